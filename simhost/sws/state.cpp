#include "simhost/sws/state.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "simhost/sws/host.h"

namespace sws::state {

namespace {

// Where each handle property sits: line key and field (1 = first after the key).
struct Field {
  int Properties::*member;
  const char* key;
  size_t index;
};
constexpr Field FIELDS[] = {
    {&Properties::active, "ACT", 1},         {&Properties::ai_options, "ACT", 2},
    {&Properties::visible, "VIS", 1},        {&Properties::in_lane, "VIS", 2},
    {&Properties::lane_height, "LANEHEIGHT", 1}, {&Properties::armed, "ARM", 1},
    {&Properties::default_shape, "DEFSHAPE", 1}, {&Properties::fader_scaling, "VOLTYPE", 1},
};

double number(const std::string& token) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(token.c_str(), &end);
  return end != token.c_str() && std::isfinite(v) ? v : 0.0;
}

int integer(const std::string& token) {
  const double v = number(token);
  return v > 2e9 || v < -2e9 ? 0 : static_cast<int>(v);
}

std::vector<std::string> tokens(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  for (std::string t; in >> t;) out.push_back(t);
  return out;
}

std::string text(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

}  // namespace

bool Properties::operator==(const Properties& o) const {
  for (const Field& f : FIELDS)
    if (this->*f.member != o.*f.member) return false;
  return true;
}

Properties State::properties() const {
  Properties p;
  for (const Field& f : FIELDS)
    for (const auto& line : lines)
      if (line[0] == f.key && line.size() > f.index) p.*f.member = integer(line[f.index]);
  return p;
}

void State::set_properties(const Properties& p) {
  for (const Field& f : FIELDS) {
    if (f.member == &Properties::fader_scaling && !is_volume()) continue;
    std::vector<std::string>* line = nullptr;
    for (auto& l : lines)
      if (l[0] == f.key) line = &l;
    if (!line) {
      lines.push_back({f.key});
      line = &lines.back();
    }
    if (line->size() <= f.index) line->resize(f.index + 1, "0");
    (*line)[f.index] = std::to_string(p.*f.member);
  }
}

std::optional<State> parse(const std::string& text_in) {
  std::istringstream in(text_in);
  std::string line;
  if (!std::getline(in, line) || line.empty() || line[0] != '<') return std::nullopt;
  State s;
  const auto head = tokens(line.substr(1));
  s.tag = head.empty() ? std::string() : head[0];
  while (std::getline(in, line)) {
    auto t = tokens(line);
    if (t.empty()) continue;
    if (t[0] == ">") break;
    if (t[0] != "PT") {
      s.lines.push_back(std::move(t));
      continue;
    }
    auto field = [&t](size_t i) { return i < t.size() ? t[i] : std::string("0"); };
    s.points.push_back({number(field(1)), number(field(2)), integer(field(3)), integer(field(5)) != 0, number(field(7))});
  }
  return s;
}

std::string write(const State& s) {
  std::string out = "<" + s.tag + "\n";
  for (const auto& line : s.lines) {
    for (size_t i = 0; i < line.size(); ++i) out += (i ? " " : "") + line[i];
    out += "\n";
  }
  for (const RawPoint& p : s.points)
    out += "PT " + text(p.time) + " " + text(p.value) + " " + std::to_string(p.shape) + " 0 " +
           (p.selected ? "1" : "0") + " 0 " + text(p.tension) + "\n";
  out += ">\n";
  return out;
}

std::optional<State> read(TrackEnvelope* env) {
  if (!host::live(env, "TrackEnvelope*") || !host::GetEnvelopeStateChunk) return std::nullopt;
  // The host truncates to the buffer; a text that fills it is read again in a larger one.
  for (size_t size = 1 << 16; size <= (1u << 28); size *= 4) {
    std::vector<char> buffer(size, '\0');
    if (!host::GetEnvelopeStateChunk(env, buffer.data(), static_cast<int>(size), false)) return std::nullopt;
    buffer.back() = '\0';
    const size_t n = std::strlen(buffer.data());
    if (n + 1 < size) return parse(std::string(buffer.data(), n));
  }
  return std::nullopt;
}

bool store(TrackEnvelope* env, const State& state) {
  if (!host::live(env, "TrackEnvelope*") || !host::SetEnvelopeStateChunk) return false;
  return host::SetEnvelopeStateChunk(env, write(state).c_str(), false);
}

}  // namespace sws::state
