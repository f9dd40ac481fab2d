// Simulator controls for the transport and the current track, which the host lets
// only a user change:
//   sim.set_frame_rate(fps[, dropFrame[, project]])   the project's frame rate (fps > 0)
//   sim.set_play_state(state[, position[, project]])  0 stopped, &1 playing, &2 paused,
//                                                     &4 recording; the heard position
//   sim.set_current_track(track)                      the last-touched track of its project
//                                                     (nil: the active project has none)
#include <lua.hpp>

#include <cmath>

#include "simhost/host.h"
#include "simhost/lua_bridge.h"

namespace sim {
namespace {

ReaProject* project_arg(lua_State* L, int index) {
  ReaProject* p = Host::get().session().resolve(static_cast<ReaProject*>(lua_touserdata(L, index)));
  if (!p) luaL_error(L, "not a live project");
  return p;
}

int set_frame_rate(lua_State* L) {
  const double fps = luaL_checknumber(L, 1);
  if (!(fps > 0) || !std::isfinite(fps)) return luaL_error(L, "a frame rate must be above 0");
  ReaProject* p = project_arg(L, 3);
  p->frame_rate = fps;
  p->drop_frame = lua_toboolean(L, 2);
  return 0;
}

int set_play_state(lua_State* L) {
  const lua_Integer state = luaL_checkinteger(L, 1);
  const double position = luaL_optnumber(L, 2, 0.0);
  ReaProject* p = project_arg(L, 3);
  p->play_state = static_cast<int>(state & 7);
  p->play_position = position;
  return 0;
}

int set_current_track(lua_State* L) {
  Session& session = Host::get().session();
  auto* track = static_cast<MediaTrack*>(lua_touserdata(L, 1));
  if (track && !session.is_live(track, "MediaTrack*")) return luaL_error(L, "not a live track");
  (track ? track->project : session.active())->last_touched = track;
  return 0;
}

const lua_bridge::control_registrar controls[] = {
    {"set_frame_rate", set_frame_rate},
    {"set_play_state", set_play_state},
    {"set_current_track", set_current_track},
};

}  // namespace
}  // namespace sim
