// The host's transport, edit cursor and time base, as the plug-in and scripts call
// them. The simulated host never plays: the play state and the heard position are
// what the test set (sim.set_play_state), and the edit cursor moves only when asked.
#include <algorithm>
#include <cmath>

#include "simhost/host_support.h"

namespace sim {
namespace {

Session& session() { return Host::get().session(); }

// The end of the project's content: the latest item end, marker or region end. The
// simulated host keeps no tempo map.
double GetProjectLength(ReaProject* proj) {
  ReaProject* p = live_project(proj, __func__);
  if (!p) return 0;
  double end = 0;
  for (const MediaTrack* track : p->tracks)
    for (const MediaItem* item : track->items) end = std::max(end, item->position + item->length);
  for (const auto& m : p->markers) end = std::max(end, m->is_region ? m->end : m->pos);
  return end;
}

int GetPlayState() { return session().active()->play_state; }

// While stopped the heard position is the edit cursor.
double GetPlayPositionEx(ReaProject* proj) {
  ReaProject* p = live_project(proj, __func__);
  if (!p) return 0;
  return p->play_state != 0 ? p->play_position : p->edit_cursor;
}

double GetPlayPosition() { return GetPlayPositionEx(nullptr); }

double GetCursorPositionEx(ReaProject* proj) {
  ReaProject* p = live_project(proj, __func__);
  return p ? p->edit_cursor : 0;
}

double GetCursorPosition() { return GetCursorPositionEx(nullptr); }

// A time before the project start becomes 0; seeking moves a running playback along.
// A time that is not finite leaves the cursor where it is.
void SetEditCurPos2(ReaProject* proj, double time, bool, bool seekplay) {
  ReaProject* p = live_project(proj, __func__);
  if (!p || !std::isfinite(time)) return;
  p->edit_cursor = std::max(time, 0.0);
  if (seekplay && p->play_state != 0) p->play_position = p->edit_cursor;
}

void SetEditCurPos(double time, bool moveview, bool seekplay) { SetEditCurPos2(nullptr, time, moveview, seekplay); }

void CSurf_GoEnd() {
  ReaProject* p = session().active();
  p->edit_cursor = GetProjectLength(p);
}

double TimeMap_curFrameRate(ReaProject* proj, bool* dropFrameOut) {
  ReaProject* p = live_project(proj, __func__);
  if (dropFrameOut) *dropFrameOut = p && p->drop_frame;
  return p ? p->frame_rate : 0;
}

MediaTrack* GetLastTouchedTrack() {
  MediaTrack* t = session().active()->last_touched;
  return session().is_live(t, "MediaTrack*") ? t : nullptr;
}

SIM_HOST_FUNCTION(GetProjectLength, "proj");
SIM_HOST_FUNCTION(GetPlayState, "");
SIM_HOST_FUNCTION(GetPlayPositionEx, "proj");
SIM_HOST_FUNCTION(GetPlayPosition, "");
SIM_HOST_FUNCTION(GetCursorPositionEx, "proj");
SIM_HOST_FUNCTION(GetCursorPosition, "");
SIM_HOST_FUNCTION(SetEditCurPos2, "proj,time,moveview,seekplay");
SIM_HOST_FUNCTION(SetEditCurPos, "time,moveview,seekplay");
SIM_HOST_FUNCTION(CSurf_GoEnd, "");
SIM_HOST_FUNCTION(TimeMap_curFrameRate, "proj,dropFrameOut");
SIM_HOST_FUNCTION(GetLastTouchedTrack, "");

}  // namespace
}  // namespace sim
