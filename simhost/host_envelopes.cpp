// The host's take envelope functions: finding a take's envelopes, their points in raw
// values at take time, evaluation by point shape, the fader scaling of volume
// envelopes, and the envelope's state text.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "simhost/host_media.h"

namespace sim {

namespace media {

// Amplitude 0..2 (−inf..+6 dB) onto 0..1000 by a fourth root: strictly increasing,
// invertible, and unlike the identity, so a caller that forgets the scaling is seen.
constexpr double FADER_TOP = 1000.0, FADER_TOP_AMPLITUDE = 2.0;

double scale_to_mode(int mode, double amplitude) {
  if (mode != 1) return amplitude;
  if (!(amplitude > 0)) return 0.0;
  return FADER_TOP * std::pow(amplitude / FADER_TOP_AMPLITUDE, 0.25);
}

double scale_from_mode(int mode, double raw) {
  if (mode != 1) return raw;
  if (!(raw > 0)) return 0.0;
  return FADER_TOP_AMPLITUDE * std::pow(raw / FADER_TOP, 4.0);
}

int scaling_mode(const TrackEnvelope& envelope) {
  return envelope.name == "Volume" && envelope.fader_scaling ? 1 : 0;
}

TrackEnvelope* add_take_envelope(MediaItem_Take* take, const std::string& name) {
  TrackEnvelope* envelope = session().add_envelope(take, name);
  envelope->fader_scaling = name == "Volume";
  return envelope;
}

// Volume neutral is amplitude 1, a pan centre, a mute envelope unmuted, pitch unshifted.
double neutral_value(const TrackEnvelope& envelope) {
  if (envelope.name == "Volume") return scale_to_mode(scaling_mode(envelope), 1.0);
  if (envelope.name == "Mute") return 1.0;
  return 0.0;
}

namespace {

// The way from one point to the next, 0 at the first and 1 at the second.
double shaped(int shape, double tension, double x) {
  switch (shape) {
    case 1: return 0.0;                              // square: hold until the next point
    case 2: return x * x * (3.0 - 2.0 * x);          // slow start and end
    case 3: return 1.0 - std::pow(1.0 - x, 3.0);     // fast start
    case 4: return x * x * x;                        // fast end
    case 5: {                                        // bezier: tension bends the line
      const double t = std::clamp(tension, -1.0, 1.0);
      return std::pow(x, std::pow(4.0, -t));
    }
    default: return x;                               // linear
  }
}

}  // namespace

double points_value(const std::vector<EnvelopePoint>& sorted, double neutral, double time) {
  if (sorted.empty()) return neutral;
  if (!(time > sorted.front().time)) return sorted.front().value;
  if (time >= sorted.back().time) return sorted.back().value;
  const auto next = std::upper_bound(sorted.begin(), sorted.end(), time,
                                     [](double t, const EnvelopePoint& p) { return t < p.time; });
  const EnvelopePoint& a = *(next - 1);
  const EnvelopePoint& b = *next;
  const double span = b.time - a.time;
  if (!(span > 0)) return b.value;
  return a.value + (b.value - a.value) * shaped(a.shape, a.tension, (time - a.time) / span);
}

namespace {
bool by_time(const EnvelopePoint& a, const EnvelopePoint& b) { return a.time < b.time; }
}  // namespace

double envelope_value(const TrackEnvelope& envelope, double time) {
  if (std::is_sorted(envelope.points.begin(), envelope.points.end(), by_time))
    return points_value(envelope.points, neutral_value(envelope), time);
  std::vector<EnvelopePoint> sorted = envelope.points;
  std::stable_sort(sorted.begin(), sorted.end(), by_time);
  return points_value(sorted, neutral_value(envelope), time);
}

}  // namespace media

namespace {

using media::live;
using media::session;

int count_of(const std::vector<EnvelopePoint>& points) { return static_cast<int>(points.size()); }

void sort_points(TrackEnvelope* e) { std::stable_sort(e->points.begin(), e->points.end(), media::by_time); }

bool finite(double v) { return std::isfinite(v); }

// A shape outside the host's six becomes the envelope's default.
int shape_or_default(const TrackEnvelope* e, int shape) { return shape >= 0 && shape <= 5 ? shape : e->default_shape; }

// ---- a take's envelopes ----------------------------------------------------------------

int CountTakeEnvelopes(MediaItem_Take* take) {
  MediaItem_Take* t = live(take, __func__);
  return t ? static_cast<int>(t->envelopes.size()) : 0;
}

TrackEnvelope* GetTakeEnvelope(MediaItem_Take* take, int envidx) {
  MediaItem_Take* t = live(take, __func__);
  if (!t || envidx < 0 || envidx >= static_cast<int>(t->envelopes.size())) return nullptr;
  return t->envelopes[static_cast<size_t>(envidx)];
}

TrackEnvelope* GetTakeEnvelopeByName(MediaItem_Take* take, const char* envname) {
  MediaItem_Take* t = live(take, __func__);
  if (!t || !envname) return nullptr;
  for (TrackEnvelope* e : t->envelopes)
    if (e->name == envname) return e;
  return nullptr;
}

// Take envelopes of the take's own parameters belong to no effect: both indexes −1.
MediaItem_Take* Envelope_GetParentTake(TrackEnvelope* env, int* indexOut, int* index2Out) {
  if (indexOut) *indexOut = -1;
  if (index2Out) *index2Out = -1;
  TrackEnvelope* e = live(env, __func__);
  return e ? e->take : nullptr;
}

bool GetEnvelopeName(TrackEnvelope* env, char* bufOut, int bufOut_sz) {
  TrackEnvelope* e = live(env, __func__);
  copy_text(bufOut, bufOut_sz, e ? e->name : "");
  return e != nullptr;
}

// ---- points ----------------------------------------------------------------------------

int CountEnvelopePoints(TrackEnvelope* envelope) {
  TrackEnvelope* e = live(envelope, __func__);
  return e ? count_of(e->points) : 0;
}

bool GetEnvelopePoint(TrackEnvelope* envelope, int ptidx, double* timeOut, double* valueOut, int* shapeOut,
                      double* tensionOut, bool* selectedOut) {
  TrackEnvelope* e = live(envelope, __func__);
  const bool known = e && ptidx >= 0 && ptidx < count_of(e->points);
  const EnvelopePoint p = known ? e->points[static_cast<size_t>(ptidx)] : EnvelopePoint{};
  if (timeOut) *timeOut = p.time;
  if (valueOut) *valueOut = p.value;
  if (shapeOut) *shapeOut = p.shape;
  if (tensionOut) *tensionOut = p.tension;
  if (selectedOut) *selectedOut = p.selected;
  return known;
}

// Only the given fields change; the points are sorted afterwards unless told not to.
// A time or value that is not a number changes nothing.
bool SetEnvelopePoint(TrackEnvelope* envelope, int ptidx, double* timeInOptional, double* valueInOptional,
                      int* shapeInOptional, double* tensionInOptional, bool* selectedInOptional,
                      bool* noSortInOptional) {
  TrackEnvelope* e = live(envelope, __func__);
  if (!e || ptidx < 0 || ptidx >= count_of(e->points)) return false;
  if ((timeInOptional && !finite(*timeInOptional)) || (valueInOptional && !finite(*valueInOptional)) ||
      (tensionInOptional && !finite(*tensionInOptional)))
    return false;
  EnvelopePoint& p = e->points[static_cast<size_t>(ptidx)];
  if (timeInOptional) p.time = *timeInOptional;
  if (valueInOptional) p.value = *valueInOptional;
  if (shapeInOptional && *shapeInOptional >= 0 && *shapeInOptional <= 5) p.shape = *shapeInOptional;
  if (tensionInOptional) p.tension = std::clamp(*tensionInOptional, -1.0, 1.0);
  if (selectedInOptional) p.selected = *selectedInOptional;
  if (!(noSortInOptional && *noSortInOptional)) sort_points(e);
  return true;
}

bool InsertEnvelopePoint(TrackEnvelope* envelope, double time, double value, int shape, double tension,
                         bool selected, bool* noSortInOptional) {
  TrackEnvelope* e = live(envelope, __func__);
  if (!e || !finite(time) || !finite(value) || !finite(tension)) return false;
  e->points.push_back({time, value, shape_or_default(e, shape), std::clamp(tension, -1.0, 1.0), selected});
  if (!(noSortInOptional && *noSortInOptional)) sort_points(e);
  return true;
}

// Removes the points from time_start up to, not including, time_end.
bool DeleteEnvelopePointRange(TrackEnvelope* envelope, double time_start, double time_end) {
  TrackEnvelope* e = live(envelope, __func__);
  if (!e) return false;
  auto& points = e->points;
  points.erase(std::remove_if(points.begin(), points.end(),
                              [&](const EnvelopePoint& p) { return p.time >= time_start && p.time < time_end; }),
               points.end());
  return true;
}

bool Envelope_SortPoints(TrackEnvelope* envelope) {
  TrackEnvelope* e = live(envelope, __func__);
  if (e) sort_points(e);
  return e != nullptr;
}

// The value at `time` with its first derivative per sample (the higher ones are left at
// 0); the result is how many of the requested samples the segment covers, at least 1.
int Envelope_Evaluate(TrackEnvelope* env, double time, double samplerate, int samplesRequested, double* valueOut,
                      double* dVdSOut, double* ddVdSOut, double* dddVdSOut) {
  TrackEnvelope* e = live(env, __func__);
  double value = 0, slope = 0;
  int covered = std::max(samplesRequested, 1);
  if (e && finite(time)) {
    value = media::envelope_value(*e, time);
    if (samplerate > 0 && finite(samplerate)) {
      const double step = 1.0 / samplerate;
      slope = media::envelope_value(*e, time + step) - value;
      for (const EnvelopePoint& p : e->points)
        if (p.time > time) covered = std::clamp(static_cast<int>(std::ceil((p.time - time) * samplerate)), 1, covered);
    }
  }
  if (valueOut) *valueOut = value;
  if (dVdSOut) *dVdSOut = slope;
  if (ddVdSOut) *ddVdSOut = 0;
  if (dddVdSOut) *dddVdSOut = 0;
  return e ? covered : 0;
}

// ---- scaling ---------------------------------------------------------------------------

int GetEnvelopeScalingMode(TrackEnvelope* env) {
  TrackEnvelope* e = live(env, __func__);
  return e ? media::scaling_mode(*e) : 0;
}

double ScaleToEnvelopeMode(int scaling_mode, double val) { return media::scale_to_mode(scaling_mode, val); }
double ScaleFromEnvelopeMode(int scaling_mode, double val) { return media::scale_from_mode(scaling_mode, val); }

// ---- the state text --------------------------------------------------------------------

const char* chunk_tag(const std::string& name) {
  if (name == "Volume") return "VOLENV";
  if (name == "Pan") return "PANENV";
  if (name == "Mute") return "MUTEENV";
  if (name == "Pitch") return "PITCHENV";
  return "PARMENV";
}

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

std::string state_text(const TrackEnvelope& e) {
  std::string s = std::string("<") + chunk_tag(e.name) + "\n";
  s += "ACT " + std::to_string(e.active ? 1 : 0) + " " + std::to_string(e.ai_options) + "\n";
  s += "VIS " + std::to_string(e.visible ? 1 : 0) + " " + std::to_string(e.in_lane ? 1 : 0) + " 1\n";
  s += "LANEHEIGHT " + std::to_string(e.lane_height) + " 0\n";
  s += "ARM " + std::to_string(e.armed ? 1 : 0) + "\n";
  s += "DEFSHAPE " + std::to_string(e.default_shape) + " -1 -1\n";
  if (e.name == "Volume") s += "VOLTYPE " + std::to_string(e.fader_scaling ? 1 : 0) + "\n";
  for (const EnvelopePoint& p : e.points)
    s += "PT " + number(p.time) + " " + number(p.value) + " " + std::to_string(p.shape) + " 0 " +
         std::to_string(p.selected ? 1 : 0) + " 0 " + number(p.tension) + "\n";
  s += ">\n";
  return s;
}

// The numbers after a line's keyword, as far as they read as finite numbers.
std::vector<double> numbers_of(std::istringstream& line) {
  std::vector<double> out;
  std::string word;
  while (line >> word) {
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    if (end == word.c_str() || *end != '\0' || !std::isfinite(v)) break;
    out.push_back(v);
  }
  return out;
}

int as_int(double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); }

// Reads the text into a copy of the envelope; the caller keeps it only when the text
// was an envelope at all.
void read_state(const std::string& text, TrackEnvelope& e) {
  std::istringstream lines(text);
  std::string raw;
  std::getline(lines, raw);  // the "<" line: the kind stays the envelope's own
  e.points.clear();
  while (std::getline(lines, raw)) {
    std::istringstream line(raw);
    std::string key;
    line >> key;
    const std::vector<double> n = numbers_of(line);
    const auto field = [&](size_t i) { return i < n.size() ? n[i] : 0.0; };
    if (key == "ACT" && !n.empty()) {
      e.active = field(0) != 0;
      if (n.size() > 1) e.ai_options = as_int(field(1));
    } else if (key == "VIS" && !n.empty()) {
      e.visible = field(0) != 0;
      e.in_lane = field(1) != 0;
    } else if (key == "LANEHEIGHT" && !n.empty()) {
      e.lane_height = std::max(0, as_int(field(0)));
    } else if (key == "ARM" && !n.empty()) {
      e.armed = field(0) != 0;
    } else if (key == "DEFSHAPE" && !n.empty()) {
      const int shape = as_int(field(0));
      if (shape >= 0 && shape <= 5) e.default_shape = shape;
    } else if (key == "VOLTYPE" && !n.empty()) {
      if (e.name == "Volume") e.fader_scaling = field(0) != 0;
    } else if (key == "PT" && n.size() >= 3) {
      const int shape = as_int(field(2));
      e.points.push_back({field(0), field(1), shape >= 0 && shape <= 5 ? shape : 0,
                          std::clamp(field(6), -1.0, 1.0), field(4) != 0});
    }
  }
  sort_points(&e);
}

bool GetEnvelopeStateChunk(TrackEnvelope* env, char* strNeedBig, int strNeedBig_sz, bool) {
  TrackEnvelope* e = live(env, __func__);
  if (!e || !strNeedBig || strNeedBig_sz <= 0) return false;
  const std::string text = state_text(*e);
  copy_text(strNeedBig, strNeedBig_sz, text);
  return text.size() < static_cast<size_t>(strNeedBig_sz);  // false when it did not fit
}

bool SetEnvelopeStateChunk(TrackEnvelope* env, const char* str, bool) {
  TrackEnvelope* e = live(env, __func__);
  if (!e || !str || str[0] != '<' || session().refused(e, __func__)) return false;
  TrackEnvelope copy = *e;
  read_state(str, copy);
  *e = std::move(copy);
  return true;
}

SIM_HOST_FUNCTION(CountTakeEnvelopes, "take");
SIM_HOST_FUNCTION(GetTakeEnvelope, "take,envidx");
SIM_HOST_FUNCTION(GetTakeEnvelopeByName, "take,envname");
SIM_HOST_FUNCTION(Envelope_GetParentTake, "env,indexOut,index2Out");
SIM_HOST_FUNCTION(GetEnvelopeName, "env,bufOut,bufOut_sz");
SIM_HOST_FUNCTION(CountEnvelopePoints, "envelope");
SIM_HOST_FUNCTION(GetEnvelopePoint, "envelope,ptidx,timeOut,valueOut,shapeOut,tensionOut,selectedOut");
SIM_HOST_FUNCTION(SetEnvelopePoint,
                  "envelope,ptidx,timeInOptional,valueInOptional,shapeInOptional,tensionInOptional,"
                  "selectedInOptional,noSortInOptional");
SIM_HOST_FUNCTION(InsertEnvelopePoint, "envelope,time,value,shape,tension,selected,noSortInOptional");
SIM_HOST_FUNCTION(DeleteEnvelopePointRange, "envelope,time_start,time_end");
SIM_HOST_FUNCTION(Envelope_SortPoints, "envelope");
SIM_HOST_FUNCTION(Envelope_Evaluate, "envelope,time,samplerate,samplesRequested,valueOut,dVdSOut,ddVdSOut,dddVdSOut");
SIM_HOST_FUNCTION(GetEnvelopeScalingMode, "env");
SIM_HOST_FUNCTION(ScaleToEnvelopeMode, "scaling_mode,val");
SIM_HOST_FUNCTION(ScaleFromEnvelopeMode, "scaling_mode,val");
SIM_HOST_FUNCTION(GetEnvelopeStateChunk, "env,strNeedBig,strNeedBig_sz,isundoOptional");
SIM_HOST_FUNCTION(SetEnvelopeStateChunk, "env,str,isundoOptional");

}  // namespace
}  // namespace sim
