// Reading the definition texts that the script bridges (Lua and Python) are built from.
#pragma once

#include <cstring>
#include <string>
#include <vector>

namespace sim::bridge_text {

// The entries of a comma-separated list; an empty text is an empty list.
inline std::vector<std::string> split(const char* text) {
  std::vector<std::string> out;
  if (!*text) return out;
  std::string item;
  for (const char* c = text;; ++c) {
    if (*c == ',' || *c == '\0') {
      out.push_back(item);
      item.clear();
      if (*c == '\0') break;
    } else {
      item += *c;
    }
  }
  return out;
}

inline bool ends_with(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

}  // namespace sim::bridge_text
