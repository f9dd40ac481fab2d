#include "simhost/model.h"

#include <algorithm>

#include "simhost/source.h"

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
  projects_.push_back(project);
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
  while (!track->items.empty()) delete_item(track->items.back());
  if (track->project->last_touched == track) track->project->last_touched = nullptr;
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

Session::~Session() {
  // Sources are real objects owned by their takes; the rest is held by storage_.
  for (const auto& [object, type] : live_)
    if (type == "PCM_source*") delete static_cast<PCM_source*>(const_cast<void*>(object));
}

MediaItem* Session::add_item(MediaTrack* track) {
  MediaItem* item = make<MediaItem>("MediaItem*");
  item->track = track;
  item->serial = next_serial_++;
  track->items.push_back(item);
  reorder_items(track);
  return item;
}

MediaItem_Take* Session::add_take(MediaItem* item) {
  MediaItem_Take* take = make<MediaItem_Take>("MediaItem_Take*");
  take->item = item;
  item->takes.push_back(take);
  if (item->active_take < 0) item->active_take = 0;
  return take;
}

TrackEnvelope* Session::add_envelope(MediaItem_Take* take, const std::string& name) {
  TrackEnvelope* envelope = make<TrackEnvelope>("TrackEnvelope*");
  envelope->take = take;
  envelope->name = name;
  envelope->type = name == "Volume" ? 0 : name == "Pan" ? 2 : name == "Mute" ? 6 : name == "Pitch" ? 7 : -1;
  take->envelopes.push_back(envelope);
  return envelope;
}

void Session::delete_item(MediaItem* item) {
  for (MediaItem_Take* take : item->takes) {
    for (TrackEnvelope* envelope : take->envelopes) kill(envelope);
    if (take->source && is_live(take->source, "PCM_source*")) {
      forget_source(take->source);
      delete take->source;
    }
    take->source = nullptr;
    kill(take);
  }
  auto& items = item->track->items;
  items.erase(std::remove(items.begin(), items.end(), item), items.end());
  kill(item);
}

void Session::delete_take(MediaItem_Take* take) {
  MediaItem* item = take->item;
  MediaItem_Take* active = item->active();
  for (TrackEnvelope* envelope : take->envelopes) kill(envelope);
  if (take->source && is_live(take->source, "PCM_source*")) {
    forget_source(take->source);
    delete take->source;
  }
  take->source = nullptr;
  kill(take);
  auto& takes = item->takes;
  takes.erase(std::remove(takes.begin(), takes.end(), take), takes.end());
  const auto at = std::find(takes.begin(), takes.end(), active);
  item->active_take = takes.empty() ? -1 : at != takes.end() ? static_cast<int>(at - takes.begin()) : 0;
}

void Session::move_item(MediaItem* item, MediaTrack* track) {
  auto& from = item->track->items;
  from.erase(std::remove(from.begin(), from.end(), item), from.end());
  item->track = track;
  track->items.push_back(item);
  reorder_items(track);
}

void Session::reorder_items(MediaTrack* track) {
  std::stable_sort(track->items.begin(), track->items.end(), [](const MediaItem* a, const MediaItem* b) {
    return a->position < b->position || (a->position == b->position && a->serial < b->serial);
  });
}

std::vector<MediaItem*> Session::items_of(ReaProject* project) const {
  std::vector<MediaItem*> out;
  if (!project) return out;
  for (MediaTrack* track : project->tracks) out.insert(out.end(), track->items.begin(), track->items.end());
  return out;
}

void Session::adopt_source(PCM_source* source) {
  if (source) live_[source] = "PCM_source*";
}

void Session::forget_source(PCM_source* source) { kill(source); }

bool Session::is_live(const void* object, const char* type) const {
  const auto found = live_.find(object);
  return found != live_.end() && found->second == type;
}

}  // namespace sim
