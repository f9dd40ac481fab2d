// One track of a project as track lists hand it to scripts.
#pragma once

#include "object/mx_record.h"

namespace mx_object {

class TrackDetail final : public record<TrackDetail> {
 public:
  cell<std::string> Name;
  cell<MediaTrack*> Track;
  cell<double> Volume;
  cell<int> Index;  // 0-based among the project's tracks
  cell<int> Depth;  // folder depth

  static constexpr auto fields() {
    return std::make_tuple(key("Name", &TrackDetail::Name), key("Track", &TrackDetail::Track, not_from_lua),
                           key("Volume", &TrackDetail::Volume), key("Index", &TrackDetail::Index),
                           key("Depth", &TrackDetail::Depth));
  }
  static pool_of<TrackDetail> pool;
};

extern template class record<TrackDetail>;

}  // namespace mx_object
