// Path information as a Lua table of its present text fields, built for the Lua version
// of this plug-in build and installed into mx_Path when the library loads.
#include <lua.hpp>

#include "object/mx_Path.h"

namespace mx_object {

namespace {

void push_luavalue(const string_cell& field, lua_State* L, const std::string& key) {
  if (!field.present) return;
  lua_pushstring(L, key.c_str());
  lua_pushlstring(L, field.value.data(), field.value.size());
  lua_settable(L, -3);
}

void push_path(const mx_Path& path, lua_State* L) {
  lua_createtable(L, 0, 0);
  for (const mx_Path::field& f : mx_Path::fields()) push_luavalue(*(path.*f.member), L, f.key);
}

// Every string-keyed entry named like a field; a value that is not a string reads as "".
// Reading stops at the first key that is not a string.
void read_path(mx_Path& path, lua_State* L, int index) {
  index = lua_absindex(L, index);
  if (lua_type(L, index) != LUA_TTABLE) return;
  lua_pushnil(L);
  while (lua_next(L, index) != 0) {
    if (lua_type(L, -2) != LUA_TSTRING) {
      lua_settop(L, -3);
      return;
    }
    size_t length = 0;
    const char* text = lua_tolstring(L, -2, &length);
    const std::string name(text, length);
    for (const mx_Path::field& f : mx_Path::fields()) {
      if (name != f.key) continue;
      size_t n = 0;
      const char* value = lua_type(L, -1) == LUA_TSTRING ? lua_tolstring(L, -1, &n) : nullptr;
      (path.*f.member)->set(value ? std::string(value, n) : std::string());
    }
    lua_settop(L, -2);
  }
}

const bool installed = [] {
  lua_conversion<mx_Path>::push = &push_path;
  lua_conversion<mx_Path>::read = &read_path;
  return true;
}();

}  // namespace

}  // namespace mx_object
