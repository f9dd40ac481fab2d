// Small helpers shared by every family: bounded text copy, comparison, rounding,
// level conversion, extension splitting, environment, locale, shell, formatting.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>

namespace mx_utility {

// Copies at most size - 1 bytes of src and a terminating zero; nothing when size <= 0.
void strcpy(char* dst, int size, const std::string& src) noexcept;

// True when the two texts are equal ignoring the letter case of A-Z.
bool Stricmp(const char* a, const char* b) noexcept;

// Rounds to `digits` decimal places, halves away from zero (callers keep digits 0..9).
double round(double value, int digits) noexcept;

double to_reaper_volume(double dB) noexcept;
double to_dB(double gain) noexcept;

std::string multi_to_utf8(const std::string& text);
std::string utf8_to_multi(const std::string& text);

// (stem, extension) split at the last dot; (name, "") when there is no dot.
std::pair<std::string, std::string> split_extension(const std::string& name);

std::string get_env(const char* name);

// 0 when the user's locale is Japanese (ja_JP), non-zero otherwise.
int get_lang();

// Runs a shell command and waits for it; 0 when it could be started, 1 otherwise.
int exec_command(const std::string& command);

template <class... Args>
std::string format(const char* templ, Args... args) {
  const int length = std::snprintf(nullptr, 0, templ, args...);
  if (length < 0) throw std::length_error("format");
  std::string out(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(out.data(), out.size(), templ, args...);
  out.resize(static_cast<size_t>(length));
  return out;
}

// Text a script passed: a null pointer reads as the empty text.
inline std::string text(const char* s) { return s ? std::string(s) : std::string(); }

}  // namespace mx_utility
