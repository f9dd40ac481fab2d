// An envelope's state as the host writes it in its state text: the opening tag, the
// property lines (kept token by token, so lines and fields this extension does not
// know travel back unchanged) and one PT line per point.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct TrackEnvelope;

namespace sws::state {

struct RawPoint {
  double time = 0;   // as the host stores it (take envelopes: take time from the item start)
  double value = 0;  // raw: fader-scaled when the envelope is
  int shape = 0;
  bool selected = false;
  double tension = 0;
};

// The properties the handle edits; each lives in one field of one property line.
struct Properties {
  int active = 1, ai_options = -1, visible = 1, in_lane = 0, lane_height = 0, armed = 0, default_shape = 0,
      fader_scaling = 0;
  bool operator==(const Properties& o) const;
};

struct State {
  std::string tag;                               // "VOLENV", "PANENV", ...
  std::vector<std::vector<std::string>> lines;   // property lines, split into tokens
  std::vector<RawPoint> points;
  bool is_volume() const { return tag == "VOLENV"; }
  Properties properties() const;
  void set_properties(const Properties& p);
};

// Null for a text that is not an envelope state.
std::optional<State> parse(const std::string& text);
std::string write(const State& state);

// The envelope's state read from the host; null for a dead envelope or a failed read.
std::optional<State> read(TrackEnvelope* env);
bool store(TrackEnvelope* env, const State& state);

}  // namespace sws::state
