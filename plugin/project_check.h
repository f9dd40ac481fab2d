// The project argument of every family: null means the active project; any other
// pointer must name an open project before it reaches the host, so a track, a closed
// project or a stale address gets a code instead of a host call on a wrong object.
#pragma once

#include "plugin/host_api.h"
#include "plugin/mx_error.h"

namespace mx_plugin {

// Returns the pointer unchanged, or raises ERR_INVALID_ARGUMENT when it names no
// open project.
inline ReaProject* checked_project(ReaProject* projID) {
  if (projID && !ValidatePtr(projID, "ReaProject*")) mx_error::raise(mx_error::ERR_INVALID_ARGUMENT);
  return projID;
}

}  // namespace mx_plugin
