// Script controls for the SWS extension stand-in, to exercise what the plug-in does
// when the extension, or one function of it, is missing:
//   sim.withdraw(name)   withdraws one registered function; true when it was there
//   sim.remove_sws()     withdraws every function of the extension
//   sim.restore_sws()    puts back everything withdrawn (sim.reset() does too)
// The `reaper` table follows at once.
#include <lua.hpp>

#include "simhost/host.h"
#include "simhost/lua_bridge.h"

namespace sim {
namespace {

int withdraw(lua_State* L) {
  const bool was_there = Host::get().withdraw(luaL_checkstring(L, 1));
  lua_bridge::refresh(L);
  lua_pushboolean(L, was_there);
  return 1;
}

int remove_sws(lua_State* L) {
  Host::get().remove_sws();
  lua_bridge::refresh(L);
  return 0;
}

int restore_sws(lua_State* L) {
  Host::get().restore_withdrawn();
  lua_bridge::refresh(L);
  return 0;
}

const lua_bridge::control_registrar controls[] = {
    {"withdraw", withdraw},
    {"remove_sws", remove_sws},
    {"restore_sws", restore_sws},
};

}  // namespace
}  // namespace sim
