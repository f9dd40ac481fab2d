#include "simhost/sws/envelope.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <memory>
#include <vector>

#include "simhost/sws/host.h"
#include "simhost/sws/state.h"

struct MediaItem_Take;

namespace {

// A point as the handle shows it. The raw form it was read from is kept so that a
// point left alone goes back to the host exactly as it came.
struct Point {
  double position = 0, value = 0;
  int shape = 0;
  bool selected = false;
  double bezier = 0;
  bool read = false;  // came from the host: its raw form and how the handle first showed it
  sws::state::RawPoint raw;
  double read_position = 0, read_value = 0;
  bool same_as(const Point& o) const {
    return position == o.position && value == o.value && shape == o.shape && selected == o.selected &&
           bezier == o.bezier;
  }
};

// The handle's points in id order, kept with a gap where the latest deletion was: a
// caller deleting point after point by falling id (as a ride thins its envelope) moves
// only the points between one deletion and the next, so a run of them costs one pass
// rather than one pass each. Ids, and what each call sees, are those of a plain list.
class PointList {
 public:
  size_t size() const { return points_.size() - (gap_end_ - gap_begin_); }
  Point& operator[](size_t id) { return points_[id < gap_begin_ ? id : id + (gap_end_ - gap_begin_)]; }
  // After the last point: the physical end is always the end of the list.
  Point& append(const Point& p) {
    points_.push_back(p);
    return points_.back();
  }
  void erase(size_t id) {
    move_gap(id);
    ++gap_end_;
  }
  // The points as one vector, for operations over all of them.
  std::vector<Point>& whole() {
    move_gap(size());
    points_.resize(gap_begin_);
    gap_end_ = gap_begin_;
    return points_;
  }

 private:
  void move_gap(size_t id) {
    const auto at = [this](size_t i) { return points_.begin() + static_cast<std::ptrdiff_t>(i); };
    if (id < gap_begin_) {
      std::move_backward(at(id), at(gap_begin_), at(gap_end_));
      gap_end_ -= gap_begin_ - id;
      gap_begin_ = id;
    } else if (id > gap_begin_) {
      const size_t n = id - gap_begin_;
      std::move(at(gap_end_), at(gap_end_ + n), at(gap_begin_));
      gap_begin_ += n;
      gap_end_ += n;
    }
  }

  std::vector<Point> points_;
  size_t gap_begin_ = 0, gap_end_ = 0;
};

}  // namespace

struct BR_Envelope {
  TrackEnvelope* env = nullptr;
  sws::state::State state;
  sws::state::Properties read_properties, properties;
  std::vector<Point> read_points;
  PointList points;
  bool take_envelope = false;
  double offset = 0;     // added to positions: the item start when project time is asked
  double play_rate = 1;  // take time per handle second

  bool changed() {
    const std::vector<Point>& now = points.whole();
    if (!(properties == read_properties) || now.size() != read_points.size()) return true;
    for (size_t i = 0; i < now.size(); ++i)
      if (!now[i].same_as(read_points[i])) return true;
    return false;
  }
};

namespace sws::envelope {

namespace {

std::map<BR_Envelope*, std::unique_ptr<BR_Envelope>>& handles() {
  static std::map<BR_Envelope*, std::unique_ptr<BR_Envelope>> live;
  return live;
}

BR_Envelope* find(BR_Envelope* h) { return handles().count(h) ? h : nullptr; }

bool valid_shape(int shape) { return shape >= 0 && shape <= 5; }

// Lane range and type by the envelope's tag; volume follows the simulated host's
// preference of 0 to 2 with unity in the middle.
struct Kind {
  const char* tag;
  int type;
  double min, max, center;
};
constexpr Kind KINDS[] = {
    {"VOLENV", 0, 0.0, 2.0, 1.0},  {"PANENV", 2, -1.0, 1.0, 0.0}, {"MUTEENV", 6, 0.0, 1.0, 0.5},
    {"PITCHENV", 7, -3.0, 3.0, 0.0}, {"PARMENV", 10, 0.0, 1.0, 0.5},
};
constexpr Kind OTHER{"", -1, 0.0, 1.0, 0.5};

const Kind& kind_of(const BR_Envelope& h) {
  for (const Kind& k : KINDS)
    if (h.state.tag == k.tag) return k;
  return OTHER;
}

bool fader_scaled(const BR_Envelope& h, const state::Properties& p) { return h.state.is_volume() && p.fader_scaling; }

double to_amplitude(bool scaled, double raw) {
  return scaled && host::ScaleFromEnvelopeMode ? host::ScaleFromEnvelopeMode(1, raw) : raw;
}
double to_raw(bool scaled, double amplitude) {
  return scaled && host::ScaleToEnvelopeMode ? host::ScaleToEnvelopeMode(1, amplitude) : amplitude;
}

template <class T, class V>
void put(T* out, V value) {
  if (out) *out = static_cast<T>(value);
}

// The host's points for the handle's current state: untouched values keep their raw form.
std::vector<state::RawPoint> raw_points(BR_Envelope& h) {
  const bool scaled = fader_scaled(h, h.properties);
  const bool same_scaling = scaled == fader_scaled(h, h.read_properties);
  std::vector<state::RawPoint> out;
  for (const Point& p : h.points.whole()) {
    state::RawPoint r{(p.position - h.offset) * h.play_rate, to_raw(scaled, p.value), p.shape, p.selected, p.bezier};
    if (p.read && p.position == p.read_position) r.time = p.raw.time;
    if (p.read && p.value == p.read_value && same_scaling) r.value = p.raw.value;
    out.push_back(r);
  }
  return out;
}

}  // namespace

BR_Envelope* BR_EnvAlloc(TrackEnvelope* envelope, bool takeEnvelopesUseProjectTime) {
  auto state = state::read(envelope);
  if (!state) return nullptr;
  auto h = std::make_unique<BR_Envelope>();
  h->env = envelope;
  h->state = std::move(*state);
  h->read_properties = h->properties = h->state.properties();
  int index = 0, index2 = 0;
  MediaItem_Take* take =
      host::Envelope_GetParentTake ? host::Envelope_GetParentTake(envelope, &index, &index2) : nullptr;
  if (take && host::GetMediaItemTakeInfo_Value) {
    h->take_envelope = true;
    const double rate = host::GetMediaItemTakeInfo_Value(take, "D_PLAYRATE");
    h->play_rate = std::isfinite(rate) && rate > 0 ? rate : 1.0;
    MediaItem* item = host::GetMediaItemTake_Item ? host::GetMediaItemTake_Item(take) : nullptr;
    if (takeEnvelopesUseProjectTime && item && host::GetMediaItemInfo_Value)
      h->offset = host::GetMediaItemInfo_Value(item, "D_POSITION");
  }
  const bool scaled = fader_scaled(*h, h->properties);
  for (const state::RawPoint& r : h->state.points) {
    Point p{h->offset + r.time / h->play_rate, to_amplitude(scaled, r.value), r.shape, r.selected, r.tension, true, r};
    p.read_position = p.position, p.read_value = p.value;
    h->points.append(p);
  }
  h->read_points = h->points.whole();
  BR_Envelope* handle = h.get();
  handles().emplace(handle, std::move(h));
  return handle;
}

bool BR_EnvFree(BR_Envelope* envelope, bool commit) {
  BR_Envelope* h = find(envelope);
  if (!h) return false;
  bool wrote = false;
  if (commit && h->changed()) {
    state::State out = h->state;
    out.set_properties(h->properties);
    out.points = raw_points(*h);
    std::stable_sort(out.points.begin(), out.points.end(),
                     [](const state::RawPoint& a, const state::RawPoint& b) { return a.time < b.time; });
    wrote = state::store(h->env, out);
    if (wrote && host::UpdateArrange) host::UpdateArrange();
  }
  handles().erase(h);
  return wrote;
}

void BR_EnvGetProperties(BR_Envelope* envelope, bool* activeOut, bool* visibleOut, bool* armedOut, bool* inLaneOut,
                         int* laneHeightOut, int* defaultShapeOut, double* minValueOut, double* maxValueOut,
                         double* centerValueOut, int* typeOut, bool* faderScalingOut,
                         int* automationItemsOptionsOutOptional) {
  const BR_Envelope* h = find(envelope);
  const state::Properties p = h ? h->properties : state::Properties{0, -1, 0, 0, 0, 0, 0, 0};
  const Kind& k = h ? kind_of(*h) : Kind{"", -1, 0.0, 0.0, 0.0};
  put(activeOut, p.active != 0);
  put(visibleOut, p.visible != 0);
  put(armedOut, p.armed != 0);
  put(inLaneOut, p.in_lane != 0);
  put(laneHeightOut, p.lane_height);
  put(defaultShapeOut, p.default_shape);
  put(minValueOut, k.min);
  put(maxValueOut, k.max);
  put(centerValueOut, k.center);
  put(typeOut, k.type);
  put(faderScalingOut, h && fader_scaled(*h, p));
  put(automationItemsOptionsOutOptional, p.ai_options);
}

void BR_EnvSetProperties(BR_Envelope* envelope, bool active, bool visible, bool armed, bool inLane, int laneHeight,
                         int defaultShape, bool faderScaling, int* automationItemsOptionsInOptional) {
  BR_Envelope* h = find(envelope);
  if (!h) return;
  state::Properties& p = h->properties;
  p.active = active, p.visible = visible, p.armed = armed, p.in_lane = inLane;
  if (laneHeight >= 0) p.lane_height = laneHeight;
  if (valid_shape(defaultShape)) p.default_shape = defaultShape;
  if (h->state.is_volume()) p.fader_scaling = faderScaling;
  if (automationItemsOptionsInOptional && *automationItemsOptionsInOptional >= -1 &&
      *automationItemsOptionsInOptional <= 6)
    p.ai_options = *automationItemsOptionsInOptional;
}

void BR_EnvSortPoints(BR_Envelope* envelope) {
  BR_Envelope* h = find(envelope);
  if (!h) return;
  std::vector<Point>& points = h->points.whole();
  std::stable_sort(points.begin(), points.end(),
                   [](const Point& a, const Point& b) { return a.position < b.position; });
}

int BR_EnvCountPoints(BR_Envelope* envelope) {
  const BR_Envelope* h = find(envelope);
  return h ? static_cast<int>(h->points.size()) : 0;
}

bool BR_EnvGetPoint(BR_Envelope* envelope, int id, double* positionOut, double* valueOut, int* shapeOut,
                    bool* selectedOut, double* bezierOut) {
  BR_Envelope* h = find(envelope);
  const bool known = h && id >= 0 && id < static_cast<int>(h->points.size());
  const Point p = known ? h->points[static_cast<size_t>(id)] : Point{};
  put(positionOut, p.position);
  put(valueOut, p.value);
  put(shapeOut, p.shape);
  put(selectedOut, p.selected);
  put(bezierOut, p.bezier);
  return known;
}

bool BR_EnvSetPoint(BR_Envelope* envelope, int id, double position, double value, int shape, bool selected,
                    double bezier) {
  BR_Envelope* h = find(envelope);
  // A value the host cannot store is refused rather than written.
  if (!h || !std::isfinite(position) || !std::isfinite(value) || !std::isfinite(bezier)) return false;
  Point* p = nullptr;
  if (id == -1) {
    p = &h->points.append(Point{});
    p->shape = valid_shape(shape) ? shape : h->properties.default_shape;
  } else if (id >= 0 && id < static_cast<int>(h->points.size())) {
    p = &h->points[static_cast<size_t>(id)];
    if (valid_shape(shape)) p->shape = shape;
  } else {
    return false;
  }
  p->position = position;
  p->value = value;
  p->selected = selected;
  p->bezier = p->shape == 5 ? bezier : 0.0;
  return true;
}

bool BR_EnvDeletePoint(BR_Envelope* envelope, int id) {
  BR_Envelope* h = find(envelope);
  if (!h || id < 0 || id >= static_cast<int>(h->points.size())) return false;
  h->points.erase(static_cast<size_t>(id));
  return true;
}

void free_all() { handles().clear(); }

}  // namespace sws::envelope
