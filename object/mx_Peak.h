// One entry of an item's peak profile (Time, MaxPeak, MinPeak), or one riding point of
// level riding (Pos, MaxPeak, PointVol). Levels are in dB, times in seconds.
#pragma once

#include "object/mx_record.h"

namespace mx_object {

class mx_Peak final : public record<mx_Peak> {
 public:
  cell<double> Time;  // from the start of the item
  cell<double> MaxPeak;
  cell<double> MinPeak;
  cell<double> Frequency;
  cell<double> Pos;       // from the start of the item
  cell<double> PointVol;  // gain change given to the point

  static constexpr auto fields() {
    return std::make_tuple(key("Time", &mx_Peak::Time), key("MaxPeak", &mx_Peak::MaxPeak),
                           key("MinPeak", &mx_Peak::MinPeak), key("Frequency", &mx_Peak::Frequency),
                           key("Pos", &mx_Peak::Pos), key("PointVol", &mx_Peak::PointVol));
  }
  static pool_of<mx_Peak> pool;
};

extern template class record<mx_Peak>;

}  // namespace mx_object
