// Pointers a careless script hands over where a project is expected: host objects of
// other types, live and deleted, and an address the host never gave out.
#pragma once

#include <vector>

#include "harness.h"

namespace mxtest {

struct NotAProject {
  const char* what;
  ReaProject* pointer;
};

// Made in the test's own session; none of them is a live project.
inline std::vector<NotAProject> not_projects(HostTest& t) {
  sim::Session& s = t.session();
  MediaTrack* track = t.add_track("live");
  MediaTrack* deleted = t.add_track("deleted");
  s.delete_track(deleted);
  MediaItem* item = s.add_item(track);
  static int never_given;
  return {
      {"a live track", reinterpret_cast<ReaProject*>(track)},
      {"a deleted track", reinterpret_cast<ReaProject*>(deleted)},
      {"a live media item", reinterpret_cast<ReaProject*>(item)},
      {"the master track", reinterpret_cast<ReaProject*>(t.project()->master)},
      {"an address the host never gave out", reinterpret_cast<ReaProject*>(&never_given)},
  };
}

}  // namespace mxtest
