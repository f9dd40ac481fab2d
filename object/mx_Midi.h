// One note, made and filled by scripts.
#pragma once

#include "object/mx_record.h"

namespace mx_object {

class mx_Midi final : public record<mx_Midi> {
 public:
  cell<int> Index;
  cell<int> Pitch;
  cell<int> Velocity;
  cell<double> StartPos;
  cell<double> EndPos;

  static constexpr auto fields() {
    return std::make_tuple(key("Index", &mx_Midi::Index), key("Pitch", &mx_Midi::Pitch),
                           key("Velocity", &mx_Midi::Velocity), key("StartPos", &mx_Midi::StartPos),
                           key("EndPos", &mx_Midi::EndPos));
  }
  static pool_of<mx_Midi> pool;
};

extern template class record<mx_Midi>;

}  // namespace mx_object
