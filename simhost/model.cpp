#include "simhost/model.h"

#include <algorithm>

namespace sim {

Session::Session() { active_ = new_project(); }

template <class T>
T* Session::make(const char* type) {
  auto object = std::make_shared<T>();
  storage_.push_back(object);
  live_[object.get()] = type;
  return object.get();
}

ReaProject* Session::new_project() {
  ReaProject* project = make<ReaProject>("ReaProject*");
  project->master = make<MediaTrack>("MediaTrack*");
  project->master->project = project;
  project->master->is_master = true;
  return project;
}

void Session::set_active(ReaProject* project) {
  if (is_live(project, "ReaProject*")) active_ = project;
}

ReaProject* Session::resolve(ReaProject* project) const {
  if (!project) return active_;
  return is_live(project, "ReaProject*") ? project : nullptr;
}

MediaTrack* Session::insert_track(ReaProject* project, int index) {
  MediaTrack* track = make<MediaTrack>("MediaTrack*");
  track->project = project;
  const int n = static_cast<int>(project->tracks.size());
  index = std::clamp(index, 0, n);
  project->tracks.insert(project->tracks.begin() + index, track);
  return track;
}

void Session::delete_track(MediaTrack* track) {
  auto& tracks = track->project->tracks;
  tracks.erase(std::remove(tracks.begin(), tracks.end(), track), tracks.end());
  kill(track);
}

int Session::index_of(const MediaTrack* track) const {
  if (!is_live(track, "MediaTrack*") || track->is_master) return -1;
  const auto& tracks = track->project->tracks;
  const auto at = std::find(tracks.begin(), tracks.end(), track);
  return at == tracks.end() ? -1 : static_cast<int>(at - tracks.begin());
}

// A track's depth is the running sum of the folder-depth changes above it, which the
// host never lets fall below the top level.
int Session::depth_of(const MediaTrack* track) const {
  const int index = index_of(track);
  if (index < 0) return 0;
  int depth = 0;
  for (int i = 0; i < index; ++i) depth = std::max(0, depth + static_cast<int>(track->project->tracks[i]->folder_depth));
  return depth;
}

MediaTrack* Session::parent_of(const MediaTrack* track) const {
  const int index = index_of(track);
  const int depth = depth_of(track);
  if (index <= 0 || depth == 0) return nullptr;
  for (int i = index - 1; i >= 0; --i) {
    MediaTrack* candidate = track->project->tracks[i];
    if (depth_of(candidate) == depth - 1) return candidate;
  }
  return nullptr;
}

bool Session::is_live(const void* object, const char* type) const {
  const auto found = live_.find(object);
  return found != live_.end() && found->second == type;
}

}  // namespace sim
