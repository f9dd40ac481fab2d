// Simulator controls for markers and regions: sim.marker_at(project, idx) gives the
// marker or region at an enumeration index (nil past the end) as an object that
// sim.refuse can name, e.g. sim.refuse(sim.marker_at(nil, 0), "DeleteProjectMarkerByIndex").
#include <lua.hpp>

#include "simhost/host.h"
#include "simhost/lua_bridge.h"

namespace {

int marker_at(lua_State* L) {
  ReaProject* p = sim::Host::get().session().resolve(static_cast<ReaProject*>(lua_touserdata(L, 1)));
  const lua_Integer idx = luaL_checkinteger(L, 2);
  if (!p || idx < 0 || idx >= static_cast<lua_Integer>(p->markers.size())) {
    lua_pushnil(L);
  } else {
    lua_pushlightuserdata(L, p->markers[static_cast<size_t>(idx)].get());
  }
  return 1;
}

const sim::lua_bridge::control_registrar controls[] = {{"marker_at", marker_at}};

}  // namespace
