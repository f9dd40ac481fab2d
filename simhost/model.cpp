#include "simhost/model.h"

#include <algorithm>
#include <cstring>

#include "simhost/source.h"

namespace sim {

void folder_change_changed(MediaTrack& track) {
  if (track.project) track.project->hierarchy_stale = true;
}

// One item moved is put back in place by itself; a second one means sorting again.
void item_position_changed(MediaItem& item) {
  if (!item.attached) return;
  MediaTrack& track = *item.track;
  if (!track.moved_item) track.moved_item = &item;
  else if (track.moved_item != &item) track.items_unordered = true;
}

void item_selection_changed(MediaItem& item) {
  if (item.attached) Session::count_selection(item, item.selected ? 1 : -1);
}

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
  project->hierarchy_stale = true;
  return track;
}

void Session::delete_track(MediaTrack* track) {
  while (!track->items.empty()) delete_item(track->items.back());
  if (track->project->last_touched == track) track->project->last_touched = nullptr;
  auto& tracks = track->project->tracks;
  tracks.erase(std::remove(tracks.begin(), tracks.end(), track), tracks.end());
  track->project->hierarchy_stale = true;
  kill(track);
}

int Session::index_of(const MediaTrack* track) const {
  return is_live(track, "MediaTrack*") && !track->is_master ? position_of(track) : -1;
}

// A track that moved is found again by renumbering the whole list once, so that a run of
// lookups after an insertion near the top costs one pass, not one per lookup.
int Session::position_of(const MediaTrack* track) const {
  const auto& tracks = track->project->tracks;
  const auto hint = static_cast<size_t>(track->index_hint);
  if (track->index_hint >= 0 && hint < tracks.size() && tracks[hint] == track) return track->index_hint;
  for (size_t i = 0; i < tracks.size(); ++i) tracks[i]->index_hint = static_cast<int>(i);
  const auto again = static_cast<size_t>(track->index_hint);
  return track->index_hint >= 0 && again < tracks.size() && tracks[again] == track ? track->index_hint : -1;
}

// A track's depth is the running sum of the folder-depth changes above it, which the
// host never lets fall below the top level; its parent is the nearest track above it
// one level up.
void Session::rebuild_hierarchy(ReaProject* project) const {
  const auto& tracks = project->tracks;
  project->depths.assign(tracks.size(), 0);
  project->parents.assign(tracks.size(), -1);
  std::vector<int> last_at_depth;
  int depth = 0;
  for (size_t i = 0; i < tracks.size(); ++i) {
    tracks[i]->index_hint = static_cast<int>(i);
    project->depths[i] = depth;
    if (depth > 0 && static_cast<size_t>(depth - 1) < last_at_depth.size())
      project->parents[i] = last_at_depth[static_cast<size_t>(depth - 1)];
    if (last_at_depth.size() <= static_cast<size_t>(depth)) last_at_depth.resize(static_cast<size_t>(depth) + 1, -1);
    last_at_depth[static_cast<size_t>(depth)] = static_cast<int>(i);
    depth = std::max(0, depth + static_cast<int>(tracks[i]->folder_depth));
  }
  project->hierarchy_stale = false;
}

int Session::depth_of(const MediaTrack* track) const {
  const int index = index_of(track);
  if (index < 0) return 0;
  if (track->project->hierarchy_stale) rebuild_hierarchy(track->project);
  return track->project->depths[static_cast<size_t>(index)];
}

MediaTrack* Session::parent_of(const MediaTrack* track) const {
  const int index = index_of(track);
  if (index < 0) return nullptr;
  if (track->project->hierarchy_stale) rebuild_hierarchy(track->project);
  const int parent = track->project->parents[static_cast<size_t>(index)];
  return parent < 0 ? nullptr : track->project->tracks[static_cast<size_t>(parent)];
}

Session::~Session() {
  // Sources are real objects owned by their takes; the rest is held by storage_.
  for (const auto& [object, type] : live_)
    if (std::strcmp(type, "PCM_source*") == 0) delete static_cast<PCM_source*>(const_cast<void*>(object));
}

MediaItem* Session::add_item(MediaTrack* track) {
  MediaItem* item = make<MediaItem>("MediaItem*");
  item->serial = next_serial_++;
  attach(item, track);
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

// A take's envelopes and its source end with it.
void Session::end_take(MediaItem_Take* take) {
  for (TrackEnvelope* envelope : take->envelopes) kill(envelope);
  if (take->source && is_live(take->source, "PCM_source*")) {
    forget_source(take->source);
    delete take->source;
  }
  take->source = nullptr;
  kill(take);
}

void Session::delete_item(MediaItem* item) {
  for (MediaItem_Take* take : item->takes) end_take(take);
  detach(item);
  kill(item);
}

void Session::delete_take(MediaItem_Take* take) {
  MediaItem* item = take->item;
  MediaItem_Take* active = item->active();
  end_take(take);
  auto& takes = item->takes;
  takes.erase(std::remove(takes.begin(), takes.end(), take), takes.end());
  const auto at = std::find(takes.begin(), takes.end(), active);
  item->active_take = takes.empty() ? -1 : at != takes.end() ? static_cast<int>(at - takes.begin()) : 0;
}

void Session::move_item(MediaItem* item, MediaTrack* track) {
  detach(item);
  attach(item, track);
}

namespace {
bool before(const MediaItem* a, const MediaItem* b) {
  return a->position < b->position || (a->position == b->position && a->serial < b->serial);
}
}  // namespace

void Session::reorder_items(MediaTrack* track) {
  auto& items = track->items;
  if (track->items_unordered) {
    std::stable_sort(items.begin(), items.end(), before);
  } else if (MediaItem* moved = track->moved_item) {
    // The others kept their order: the moved item alone goes where it now belongs.
    items.erase(std::find(items.begin(), items.end(), moved));
    items.insert(std::upper_bound(items.begin(), items.end(), moved, before), moved);
  }
  track->moved_item = nullptr;
  track->items_unordered = false;
}

// An item joins a track in its position order, counted among the selected if it is.
void Session::attach(MediaItem* item, MediaTrack* track) {
  reorder_items(track);
  item->track = track;
  track->items.insert(std::upper_bound(track->items.begin(), track->items.end(), item, before), item);
  item->attached = true;
  if (item->selected) count_selection(*item, 1);
}

void Session::detach(MediaItem* item) {
  MediaTrack* track = item->track;
  if (item->selected) count_selection(*item, -1);
  item->attached = false;
  if (track->moved_item == item) track->moved_item = nullptr;
  auto& items = track->items;
  items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

void Session::count_selection(const MediaItem& item, int change) {
  item.track->selected_items += change;
  item.track->project->selected_items += change;
}

std::vector<MediaItem*> Session::items_of(ReaProject* project) const {
  std::vector<MediaItem*> out;
  if (!project) return out;
  for (MediaTrack* track : project->tracks) out.insert(out.end(), track->items.begin(), track->items.end());
  return out;
}

std::vector<MediaItem*> Session::selected_items_of(ReaProject* project) const {
  std::vector<MediaItem*> out;
  if (!project) return out;
  out.reserve(static_cast<size_t>(project->selected_items));
  for (MediaTrack* track : project->tracks) {
    if (track->selected_items == 0) continue;
    for (MediaItem* item : track->items)
      if (item->selected) out.push_back(item);
  }
  return out;
}

// Tracks without selected items are passed by their count; within the track the search
// runs from both ends at once, so an item just inserted at either end of a long line of
// items is found at once.
MediaItem* Session::selected_item(ReaProject* project, int index) const {
  if (!project || index < 0 || index >= project->selected_items) return nullptr;
  for (MediaTrack* track : project->tracks) {
    const int count = track->selected_items;
    if (index >= count) {
      index -= count;
      continue;
    }
    const auto& items = track->items;
    int ahead = index, behind = count - 1 - index;
    for (size_t front = 0, back = items.size(); front < back;) {
      MediaItem* first = items[front++];
      if (first->selected && ahead-- == 0) return first;
      if (front == back) break;
      MediaItem* last = items[--back];
      if (last->selected && behind-- == 0) return last;
    }
    return nullptr;
  }
  return nullptr;
}

void Session::adopt_source(PCM_source* source) {
  if (source) live_[source] = "PCM_source*";
}

void Session::forget_source(PCM_source* source) { kill(source); }

bool Session::is_live(const void* object, const char* type) const {
  const auto found = live_.find(object);
  return found != live_.end() && type && std::strcmp(found->second, type) == 0;
}

}  // namespace sim
