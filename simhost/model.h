// The simulated host's in-memory session: projects, their tracks, the media items on
// the tracks, the takes of an item and the envelopes of a take. Objects are never
// freed while the session lives, so a stale pointer a script kept cannot be mistaken
// for a new object; `live` says which ones still exist and of what type. Audio
// sources are the exception: they are real objects of the host's source class
// (simhost/source.h), owned by their take and deleted when destroyed.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct MediaTrack;
struct MediaItem;
struct MediaItem_Take;
struct TrackEnvelope;
class PCM_source;

namespace sim {

// A field whose changes the session hears of, so that what it derives from the field
// (a track's item order, selection counts, folder depths) stays current however the
// field is written: through a host function or directly by a test.
template <class T, class Owner, void (*Changed)(Owner&)>
class watched {
 public:
  explicit watched(Owner* owner) : owner_(owner) {}
  watched(const watched&) = delete;
  watched& operator=(const watched& other) { return *this = other.value_; }
  watched& operator=(T value) {
    // A NaN compares unequal to itself and is passed on as a change.
    if (!(value == value_)) {
      value_ = value;
      Changed(*owner_);
    }
    return *this;
  }
  operator T() const { return value_; }

 private:
  Owner* owner_;
  T value_{};
};

void folder_change_changed(MediaTrack& track);
void item_position_changed(MediaItem& item);
void item_selection_changed(MediaItem& item);

}  // namespace sim

// A marker or a region. Markers and regions are numbered apart: marker 1 and region 1
// can both exist. A colour of 0 is the default colour; a custom one carries 0x1000000.
struct ProjectMarker {
  bool is_region = false;
  double pos = 0, end = 0;  // end is 0 for a marker
  std::string name;
  int number = 0;  // the number shown in the project
  int color = 0;
};

struct ReaProject {
  std::vector<MediaTrack*> tracks;  // numbered tracks, in order
  MediaTrack* master = nullptr;
  // The host's enumeration of markers and regions together, in position order. Each is
  // held apart so that a refusal aimed at one (Session::refuse) follows it when the
  // order changes.
  std::vector<std::unique_ptr<ProjectMarker>> markers;
  std::string record_path;   // "RECORD_PATH": empty, relative to the project folder, or absolute
  std::string project_path;  // the project's folder; given on first use

  // Transport and time base.
  double edit_cursor = 0;
  double frame_rate = 30;
  bool drop_frame = false;
  int play_state = 0;         // 0 stopped, &1 playing, &2 paused, &4 recording
  double play_position = 0;   // the heard position while not stopped
  MediaTrack* last_touched = nullptr;  // the current track for InsertMedia

  // Derived from the track list and the folder changes; rebuilt in one pass when a track
  // is inserted or deleted or a folder change is written (Session::depth_of).
  bool hierarchy_stale = true;
  std::vector<int> depths, parents;  // by track index; parent -1 at the top level
  int selected_items = 0;            // kept by item selection, addition and deletion
};

struct MediaTrack {
  ReaProject* project = nullptr;
  bool is_master = false;
  std::string name;
  double mute = 0, solo = 0, volume = 1.0, pan = 0;
  sim::watched<double, MediaTrack, &sim::folder_change_changed> folder_depth{this};
  int color = 0;
  bool selected = false;
  std::vector<MediaItem*> items;  // by position; equal positions keep insertion order

  // Bookkeeping of the session: the last index this track was found at, the items whose
  // position changed since the order was last restored (one of them, or several), and
  // how many of the items are selected.
  mutable int index_hint = -1;
  MediaItem* moved_item = nullptr;
  bool items_unordered = false;
  int selected_items = 0;
};

struct EnvelopePoint {
  double time = 0;  // take envelopes: take time from the item start (play rate applied)
  double value = 0;  // raw value: fader-scaled for a fader-scaled volume envelope
  int shape = 0;     // 0 linear, 1 square, 2 slow start/end, 3 fast start, 4 fast end, 5 bezier
  double tension = 0;
  bool selected = false;
};

struct TrackEnvelope {
  MediaItem_Take* take = nullptr;
  std::string name;  // "Volume", "Pan", "Mute", "Pitch"
  int type = 0;      // as BR_EnvGetProperties reports it: 0 Volume, 2 Pan, 6 Mute, 7 Pitch
  bool active = true, visible = true, armed = false, in_lane = false;
  int lane_height = 0;
  int default_shape = 0;
  bool fader_scaling = false;  // volume envelopes only
  int ai_options = -1;
  std::vector<EnvelopePoint> points;  // kept sorted by time
};

struct MediaItem_Take {
  MediaItem* item = nullptr;
  PCM_source* source = nullptr;  // owned; null for an empty take
  std::string name;
  double start_offset = 0, volume = 1, pan = 0, play_rate = 1, pitch = 0;
  bool preserve_pitch = false;
  int chan_mode = 0, pitch_mode = -1;
  std::vector<TrackEnvelope*> envelopes;
};

struct MediaItem {
  MediaTrack* track = nullptr;
  sim::watched<double, MediaItem, &sim::item_position_changed> position{this};
  double length = 0, volume = 1;
  bool mute = false, loop_source = false;
  sim::watched<bool, MediaItem, &sim::item_selection_changed> selected{this};
  int mute_solo = 0;  // "C_MUTE_SOLO": the solo override that B_MUTE clears
  int lock = 0;
  double fade_in_len = 0, fade_out_len = 0;
  int fade_in_shape = 0, fade_out_shape = 0;
  std::vector<MediaItem_Take*> takes;
  int active_take = -1;  // index into takes, -1 without takes
  uint64_t serial = 0;   // insertion order, which breaks position ties
  bool attached = false;  // on its track's list (a deleted item is not)
  MediaItem_Take* active() const {
    return active_take >= 0 && active_take < static_cast<int>(takes.size()) ? takes[static_cast<size_t>(active_take)]
                                                                            : nullptr;
  }
};

namespace sim {

class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  ReaProject* active() const { return active_; }
  void set_active(ReaProject* project);
  ReaProject* new_project();
  // Every project made in this session, in the order made.
  const std::vector<ReaProject*>& projects() const { return projects_; }

  // The project a host call means: null is the active one; a dead pointer means none.
  ReaProject* resolve(ReaProject* project) const;

  // Track lookups answer in constant time, as the host's do: indices are remembered per
  // track and depths and parents kept per project, rebuilt in one pass after a change.
  MediaTrack* insert_track(ReaProject* project, int index);
  void delete_track(MediaTrack* track);
  int index_of(const MediaTrack* track) const;  // -1 for the master or a dead track
  int depth_of(const MediaTrack* track) const;
  MediaTrack* parent_of(const MediaTrack* track) const;

  // Media. New objects carry the host's defaults; deleting an item frees its takes,
  // their envelopes and their sources.
  MediaItem* add_item(MediaTrack* track);
  MediaItem_Take* add_take(MediaItem* item);
  TrackEnvelope* add_envelope(MediaItem_Take* take, const std::string& name);
  void delete_item(MediaItem* item);
  // Frees one take with its envelopes and source; the item's active take stays the same
  // take, or becomes the first when the active one went.
  void delete_take(MediaItem_Take* take);
  // Moves an item to another track of its project, keeping position, takes and selection.
  void move_item(MediaItem* item, MediaTrack* track);
  // Restores a track's position order after an item's position changed: one item moved
  // is put in its place, several are sorted again.
  void reorder_items(MediaTrack* track);
  // Every item of a project, track by track, each track in its own order.
  std::vector<MediaItem*> items_of(ReaProject* project) const;
  // The project's selected items in that order, and the one at `index` among them
  // (null out of range), found through the per-track counts.
  std::vector<MediaItem*> selected_items_of(ReaProject* project) const;
  MediaItem* selected_item(ReaProject* project, int index) const;
  // Sources are registered live while some take or caller owns them.
  void adopt_source(PCM_source* source);
  void forget_source(PCM_source* source);

  bool is_live(const void* object, const char* type) const;

  // Keeps the selection counts of an item's track and project; called as the item's
  // selection changes.
  static void count_selection(const MediaItem& item, int change);

  // Fault injection: the host refuses `key` (a parameter name or a function name) on
  // `object`.
  void refuse(const void* object, const std::string& key) { refusals_.insert({object, key}); }
  bool refused(const void* object, const std::string& key) const { return refusals_.count({object, key}) > 0; }
  void clear_refusals() { refusals_.clear(); }

  int update_arrange_count = 0;

 private:
  template <class T>
  T* make(const char* type);
  void kill(const void* object) { live_.erase(object); }
  void rebuild_hierarchy(ReaProject* project) const;
  int position_of(const MediaTrack* track) const;  // a live numbered track's index
  void attach(MediaItem* item, MediaTrack* track);
  void detach(MediaItem* item);
  void end_take(MediaItem_Take* take);

  std::deque<std::shared_ptr<void>> storage_;
  // The type name of each live object, one of the literals its maker passed: compared as
  // text, since a caller's literal of the same name may live elsewhere.
  std::unordered_map<const void*, const char*> live_;
  std::set<std::pair<const void*, std::string>> refusals_;
  uint64_t next_serial_ = 0;
  ReaProject* active_ = nullptr;
  std::vector<ReaProject*> projects_;
};

}  // namespace sim
