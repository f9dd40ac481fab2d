// Small pieces the host's project-level functions share: finding the project a call
// means, and copying text into a caller's buffer as the host does.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "simhost/host.h"
#include "simhost/host_function.h"

namespace sim {

// The project a host call means (null: the active one); a dead pointer is noted as a
// violation and means none.
inline ReaProject* live_project(ReaProject* project, const char* function) {
  ReaProject* resolved = Host::get().session().resolve(project);
  if (!resolved) Host::get().note_violation(std::string(function) + ": not a live project");
  return resolved;
}

// At most size - 1 bytes and a terminating zero; nothing for a missing buffer.
inline void copy_text(char* buffer, int size, const std::string& text) {
  if (!buffer || size <= 0) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

// The capacity the host assumes for a "NeedBig" buffer handed in by an extension.
constexpr int NEED_BIG = 1 << 20;

}  // namespace sim
