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
};

struct MediaTrack {
  ReaProject* project = nullptr;
  bool is_master = false;
  std::string name;
  double mute = 0, solo = 0, volume = 1.0, pan = 0, folder_depth = 0;
  int color = 0;
  bool selected = false;
  std::vector<MediaItem*> items;  // by position; equal positions keep insertion order
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
  double position = 0, length = 0, volume = 1;
  bool mute = false, loop_source = false, selected = false;
  int mute_solo = 0;  // "C_MUTE_SOLO": the solo override that B_MUTE clears
  int lock = 0;
  double fade_in_len = 0, fade_out_len = 0;
  int fade_in_shape = 0, fade_out_shape = 0;
  std::vector<MediaItem_Take*> takes;
  int active_take = -1;  // index into takes, -1 without takes
  uint64_t serial = 0;   // insertion order, which breaks position ties
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
  // Restores a track's position order after an item's position changed.
  void reorder_items(MediaTrack* track);
  // Every item of a project, track by track, each track in its own order.
  std::vector<MediaItem*> items_of(ReaProject* project) const;
  // Sources are registered live while some take or caller owns them.
  void adopt_source(PCM_source* source);
  void forget_source(PCM_source* source);

  bool is_live(const void* object, const char* type) const;

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

  std::deque<std::shared_ptr<void>> storage_;
  std::unordered_map<const void*, std::string> live_;
  std::set<std::pair<const void*, std::string>> refusals_;
  uint64_t next_serial_ = 0;
  ReaProject* active_ = nullptr;
  std::vector<ReaProject*> projects_;
};

}  // namespace sim
