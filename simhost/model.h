// The simulated host's in-memory session: projects and their tracks. Objects are
// never freed while the session lives, so a stale pointer a script kept cannot be
// mistaken for a new object; `live` says which ones still exist and of what type.
#pragma once

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct MediaTrack;

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
};

struct MediaTrack {
  ReaProject* project = nullptr;
  bool is_master = false;
  std::string name;
  double mute = 0, solo = 0, volume = 1.0, pan = 0, folder_depth = 0;
  int color = 0;
  bool selected = false;
};

namespace sim {

class Session {
 public:
  Session();

  ReaProject* active() const { return active_; }
  void set_active(ReaProject* project);
  ReaProject* new_project();

  // The project a host call means: null is the active one; a dead pointer means none.
  ReaProject* resolve(ReaProject* project) const;

  MediaTrack* insert_track(ReaProject* project, int index);
  void delete_track(MediaTrack* track);
  int index_of(const MediaTrack* track) const;  // -1 for the master or a dead track
  int depth_of(const MediaTrack* track) const;
  MediaTrack* parent_of(const MediaTrack* track) const;

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
  ReaProject* active_ = nullptr;
};

}  // namespace sim
