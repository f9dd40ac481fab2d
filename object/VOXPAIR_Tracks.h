// The tracks of one language group of bilingual insertion: the folder track named after
// the group and its children "base" and "unique". Used only inside that insertion.
#pragma once

#include <map>

#include "object/mx_record.h"

namespace mx_object {

class VOXPAIR_Tracks final : public record<VOXPAIR_Tracks> {
 public:
  cell<std::string> MasterName;
  cell<MediaTrack*> MasterTrack;
  cell<MediaTrack*> BaseTrack;
  cell<MediaTrack*> UniqueTrack;

  // Subject-language file path -> the base-language file path matched to it.
  std::map<std::string, std::string> file_pairs;

  static constexpr auto fields() {
    return std::make_tuple(key("MasterName", &VOXPAIR_Tracks::MasterName),
                           key("MasterTrack", &VOXPAIR_Tracks::MasterTrack),
                           key("BaseTrack", &VOXPAIR_Tracks::BaseTrack),
                           key("UniqueTrack", &VOXPAIR_Tracks::UniqueTrack));
  }
  static pool_of<VOXPAIR_Tracks> pool;
};

extern template class record<VOXPAIR_Tracks>;

}  // namespace mx_object
