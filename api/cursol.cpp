#include "api/cursol.h"

#include <cmath>
#include <limits>

#include "plugin/host_api.h"
#include "plugin/mx_error.h"
#include "plugin/project_check.h"

namespace mx_api::cursol {

using namespace mx_error;
using mx_plugin::checked_project;

namespace {

// A frame count is far from a boundary when it is this much below it.
constexpr double FRAME_TOLERANCE = 1e-6;

double current_position(ReaProject* project) {
  return GetPlayState() != 0 ? GetPlayPositionEx(project) : GetCursorPositionEx(project);
}

// Where "from the end" starts: the host moves the edit cursor to the project's end.
double origin(ReaProject* project, int startEndType) {
  if (startEndType == 0) return 0.0;
  CSurf_GoEnd();
  return current_position(project);
}

void move_edit_cursor(ReaProject* project, double target) {
  if (!std::isfinite(target)) raise(ERR_INVALID_VALUE);
  SetEditCurPos2(project, target, true, true);
}

}  // namespace

int seconds_to_frames(double fps, double seconds) {
  const double frames = fps * seconds;
  const double whole = frames >= 0 ? std::floor(frames + FRAME_TOLERANCE) : std::ceil(frames - FRAME_TOLERANCE);
  if (!(whole >= std::numeric_limits<int>::min() && whole <= std::numeric_limits<int>::max()))
    raise(ERR_INVALID_VALUE);
  return static_cast<int>(whole);
}

double frame_rate(ReaProject* project) {
  bool dropFrame = false;
  const double fps = TimeMap_curFrameRate(project, &dropFrame);
  if (!(fps > 0.0) || !std::isfinite(fps)) raise(ERR_INVALID_VALUE);
  return fps;
}

bool GetPlayCursorPosition(ReaProject* projID, double* positionOut) {
  return frame([&] { put(positionOut, current_position(checked_project(projID))); });
}

bool SetPlayCursorPosition(ReaProject* projID, int startEndType, double position, double* positionOut) {
  return frame([&] {
    checked_project(projID);
    if (!std::isfinite(position)) raise(ERR_INVALID_VALUE);
    move_edit_cursor(projID, origin(projID, startEndType) + position);
    put(positionOut, current_position(projID));
  });
}

bool SetPlayCursorPositionFrame(ReaProject* projID, int startEndType, int frame, int* frameOut) {
  return mx_error::frame([&] {
    checked_project(projID);
    const double fps = frame_rate(projID);
    const double target = origin(projID, startEndType) + frame / fps;
    move_edit_cursor(projID, target);
    put(frameOut, startEndType == 0 ? frame : seconds_to_frames(fps, target));
  });
}

}  // namespace mx_api::cursol
