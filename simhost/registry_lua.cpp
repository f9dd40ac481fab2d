// Script control for reading what an extension registered, as a host-side tool would:
//   sim.definition("MX_Name")  ->  return type, {parameter types}, {parameter names}, help
// read from the "APIdef_" text registered for the function (nil when there is none).
#include <lua.hpp>

#include <cstring>
#include <string>

#include "simhost/host.h"
#include "simhost/lua_bridge.h"

namespace sim {
namespace {

// Pushes a comma-separated list as an array of strings; an empty text is an empty list.
void push_list(lua_State* L, const char* text) {
  lua_newtable(L);
  lua_Integer n = 0;
  const char* start = text;
  if (!*text) return;
  for (const char* c = text;; ++c) {
    if (*c != ',' && *c != '\0') continue;
    lua_pushlstring(L, start, static_cast<size_t>(c - start));
    lua_rawseti(L, -2, ++n);
    if (*c == '\0') return;
    start = c + 1;
  }
}

int definition(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  const char* def = static_cast<const char*>(Host::get().registered(std::string("APIdef_") + name));
  if (!def) {
    lua_pushnil(L);
    return 1;
  }
  // Return type, parameter types, parameter names and help, each ended by a zero byte.
  const char* types = def + std::strlen(def) + 1;
  const char* names = types + std::strlen(types) + 1;
  const char* help = names + std::strlen(names) + 1;
  lua_pushstring(L, def);
  push_list(L, types);
  push_list(L, names);
  lua_pushstring(L, help);
  return 4;
}

const lua_bridge::control_registrar controls[] = {{"definition", definition}};

}  // namespace
}  // namespace sim
