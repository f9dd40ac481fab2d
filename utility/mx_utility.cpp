#include "utility/mx_utility.h"

#include <strings.h>

#include <boost/regex.hpp>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace mx_utility {

void strcpy(char* dst, int size, const std::string& src) noexcept {
  if (size <= 0 || !dst) return;
  const size_t n = std::min(src.size(), static_cast<size_t>(size) - 1);
  std::memcpy(dst, src.data(), n);
  dst[n] = '\0';
}

bool Stricmp(const char* a, const char* b) noexcept {
  return strcasecmp(a ? a : "", b ? b : "") == 0;
}

double round(double value, int digits) noexcept {
  const double m = static_cast<double>(static_cast<int32_t>(std::pow(10.0, digits)));
  return std::round(value * m) / m;
}

double to_reaper_volume(double dB) noexcept { return std::exp(dB * 0.115129254); }

double to_dB(double gain) noexcept { return 20.0 * std::log10(gain); }

std::string multi_to_utf8(const std::string& text) { return text; }
std::string utf8_to_multi(const std::string& text) { return text; }

std::pair<std::string, std::string> split_extension(const std::string& name) {
  // Boost's engine keeps the ECMAScript grammar but reports runaway matching as an
  // exception instead of exhausting the stack on long names.
  try {
    static const boost::regex pattern("(.*)\\.(.*)", boost::regex::ECMAScript);
    boost::smatch match;
    if (boost::regex_match(name, match, pattern, boost::match_not_dot_newline))
      return {match[1].str(), match[2].str()};
  } catch (const std::exception&) {
  }
  return {name, std::string()};
}

std::string get_env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

namespace {

bool is_japanese_locale_name(const std::string& name) {
  if (name.compare(0, 5, "ja_JP") != 0) return false;
  return name.size() == 5 || name[5] == '.' || name[5] == '@';
}

// Where the system's locale command is absent or silent, the POSIX locale variables
// decide, in their order of precedence.
int lang_from_environment() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::string value = get_env(variable);
    if (!value.empty()) return is_japanese_locale_name(value) ? 0 : 1;
  }
  return 1;
}

}  // namespace

int get_lang() {
  FILE* pipe = popen("defaults read -g AppleLocale 2>/dev/null", "r");
  if (!pipe) return lang_from_environment();
  char word[16] = {0};
  const int read = std::fscanf(pipe, "%15s", word);
  pclose(pipe);
  if (read != 1 || word[0] == '\0') return lang_from_environment();
  return std::strcmp(word, "ja_JP") == 0 ? 0 : 1;
}

int exec_command(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return 1;
  pclose(pipe);
  return 0;
}

}  // namespace mx_utility
