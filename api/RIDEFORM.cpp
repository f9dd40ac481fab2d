#include "api/RIDEFORM.h"

#include <algorithm>
#include <cmath>

#include "api/envelope.h"
#include "api/item_forms.h"
#include "api/mediaItem.h"
#include "api/render.h"
#include "plugin/api_registry.h"
#include "plugin/mx_error.h"
#include "utility/mx_utility.h"

namespace mx_api::RIDEFORM {

using namespace mx_error;
using mx_object::mx_Peak;

#define MX_RIDEFORM_DEFINE_SWS(name) MX_SWS_FUNCTION(name);
MX_RIDEFORM_SWS(MX_RIDEFORM_DEFINE_SWS)
#undef MX_RIDEFORM_DEFINE_SWS

namespace {

constexpr int WINDOW = 10;               // peak entries (milliseconds) per window
constexpr double LEVEL_CEILING = 100.0;  // where each window's running minimum starts
constexpr double VOICED_BELOW = 50.0;
constexpr int FIRST_POINT_ENTRY = 3;  // a voiced window's point, clamped to entries 3..7
constexpr int LAST_POINT_ENTRY = 7;
constexpr int MIDDLE_ENTRY = 5;  // a silent window's or a remainder's point
constexpr double FLAT_WITHIN_DB = 0.5;
constexpr int TOGGLE_TAKE_VOLUME_ENVELOPE = 40693;

// Lift zones: (level below, position below, largest lift in dB), the first that holds wins.
struct lift_zone {
  double level_below;
  double position_below;
  double most;
};
// The last zone covers the points from 0.2 s on: a point before 0.2 s with a level
// below 26.0 has already met the second.
constexpr lift_zone LIFT_ZONES[] = {
    {29.0, 0.1, 4.0},
    {28.0, 0.2, 4.0},
    {26.0, INFINITY, 2.0},
};

double factor_of(double dB) { return mx_utility::to_reaper_volume(dB); }

// The mean of the levels strictly below `bound`; absent when none is, or when the bound is.
std::optional<double> mean_below(const std::vector<mx_Peak>& points, const std::optional<double>& bound) {
  if (!bound) return std::nullopt;
  double sum = 0.0;
  int count = 0;
  for (const mx_Peak& p : points) {
    if (p.MaxPeak->value < *bound) {
      sum += p.MaxPeak->value;
      ++count;
    }
  }
  if (count == 0) return std::nullopt;
  return sum / count;
}

void add_point(riding_points& riding, double position, double level, bool voiced) {
  mx_Peak& point = riding.points.emplace_back();
  point.Pos->set(position);
  point.MaxPeak->set(level);
  if (voiced) {
    ++riding.voiced;
    riding.voiced_sum += level;
  }
}

// The SWS envelope handle of one ride, with the calls the ride makes on it.
class sws_envelope {
 public:
  explicit sws_envelope(BR_Envelope* handle) : handle_(handle) {}
  sws_envelope(const sws_envelope&) = delete;
  sws_envelope& operator=(const sws_envelope&) = delete;
  // An edit cut short by a failure is dropped, never half committed.
  ~sws_envelope() {
    try {
      if (handle_) BR_EnvFree(handle_, false);
    } catch (...) {
    }
  }

  void show() {
    bool active = false, visible = false, armed = false, inLane = false, faderScaling = false;
    int laneHeight = 0, defaultShape = 0, options = 0;
    BR_EnvGetProperties(handle_, &active, &visible, &armed, &inLane, &laneHeight, &defaultShape, nullptr, nullptr,
                        nullptr, nullptr, &faderScaling, &options);
    BR_EnvSetProperties(handle_, true, true, armed, inLane, laneHeight, defaultShape, faderScaling, &options);
  }
  // Every point but point 0, which goes to unity at the item start.
  void clear() {
    BR_EnvSortPoints(handle_);
    const int n = count();
    for (int id = n - 1; id >= 1; --id) BR_EnvDeletePoint(handle_, id);
    set(n > 0 ? 0 : -1, 0.0, 1.0);  // an envelope without points gets its point 0
  }
  void set(int id, double position, double value) { BR_EnvSetPoint(handle_, id, position, value, 0, false, 0.0); }
  void append(double position) { set(-1, position, 1.0); }

  int count() { return BR_EnvCountPoints(handle_); }
  std::pair<double, double> read(int id) {
    double position = 0.0, value = 0.0, bezier = 0.0;
    int shape = 0;
    bool selected = false;
    BR_EnvGetPoint(handle_, id, &position, &value, &shape, &selected, &bezier);
    return {position, value};
  }
  void erase(int id) { BR_EnvDeletePoint(handle_, id); }

  void commit() {
    BR_EnvFree(std::exchange(handle_, nullptr), true);
  }

 private:
  BR_Envelope* handle_;
};

// Keeps the project's item selection: whatever happens to the ride, the items selected
// before are selected again afterwards, and the ridden item only if it was one of them.
class kept_selection {
 public:
  kept_selection(MediaItem* item, ReaProject* project) : item_(item), project_(project) {
    mediaItem::GetSelectedMediaItems(project_, saved_);
  }
  kept_selection(const kept_selection&) = delete;
  kept_selection& operator=(const kept_selection&) = delete;
  ~kept_selection() {
    try {
      SetMediaItemSelected(item_, false);
      mediaItem::SelectMediaItems(saved_, true);
    } catch (...) {  // a host function missing here must not end the process
    }
  }
  void only_the_item() {
    SelectAllMediaItems(project_, false);
    SetMediaItemSelected(item_, true);
  }

 private:
  MediaItem* item_;
  ReaProject* project_;
  std::vector<MediaItem*> saved_;
};

void bind_sws() {
  dependency_manager::require_sws("MX_SetMediaItemRideform", BR_EnvAlloc, BR_EnvSortPoints, BR_EnvCountPoints,
                                  BR_EnvDeletePoint, BR_EnvFree, BR_EnvGetPoint, BR_EnvSetPoint,
                                  BR_EnvGetProperties, BR_EnvSetProperties);
}

// Steps 6 to 14 of one ride on the opened envelope.
void ride(MediaItem* item, sws_envelope& envelope, int ratioType) {
  envelope.show();
  envelope.clear();

  std::vector<mx_Peak> peaks;
  mediaItem::GetMediaItemPeakList(item, peaks);  // a list it cannot read stays empty
  riding_points riding = window_points(peaks);
  peaks = {};
  for (const mx_Peak& p : riding.points) envelope.append(p.Pos->value);

  if (!riding.points.empty()) {
    for (const point_write& w : point_gains(riding, reference_levels_of(riding, ratioType)))
      envelope.set(w.id, w.position, w.value);
    const std::vector<int> flat = flat_point_ids(riding.points);
    for (auto id = flat.rbegin(); id != flat.rend(); ++id) envelope.erase(*id);
    remove_duplicates(envelope);
  }
  envelope.commit();
}

}  // namespace

// --- Steps ----------------------------------------------------------------------------

double entry_level(const mx_Peak& entry) { return std::min(std::abs(entry.MaxPeak->value), std::abs(entry.MinPeak->value)); }

riding_points window_points(const std::vector<mx_Peak>& peaks) {
  riding_points riding;
  mx_Peak::reserve(riding.points, peaks.size() / WINDOW + 1);
  double times[WINDOW + 1] = {};  // by entry number 1..10
  int c = 0;
  int loudest = 1;
  double minimum = LEVEL_CEILING;
  for (const mx_Peak& entry : peaks) {
    times[++c] = entry.Time->value;
    const double level = entry_level(entry);
    if (level < minimum) {
      minimum = level;
      loudest = c;
    }
    if (c == WINDOW) {
      const bool voiced = minimum < VOICED_BELOW;
      const int at = voiced ? std::clamp(loudest, FIRST_POINT_ENTRY, LAST_POINT_ENTRY) : MIDDLE_ENTRY;
      add_point(riding, times[at], minimum, voiced);
      c = 0;
      loudest = 1;
      minimum = LEVEL_CEILING;
    }
  }
  if (c > MIDDLE_ENTRY && minimum < VOICED_BELOW) add_point(riding, times[MIDDLE_ENTRY], minimum, true);
  return riding;
}

double ratio_of(int ratioType) {
  if (ratioType <= 0) return 0.6;
  if (ratioType == 1) return 0.4;
  if (ratioType == 2) return 0.2;
  return 0.0;
}

reference_levels reference_levels_of(const riding_points& riding, int ratioType) {
  reference_levels levels;
  if (riding.voiced > 0) levels.A0 = riding.voiced_sum / riding.voiced;
  levels.A1 = mean_below(riding.points, levels.A0);
  levels.A2 = mean_below(riding.points, levels.A1);
  levels.A3 = mean_below(riding.points, levels.A2);
  if (levels.A2 && levels.A3) levels.target = *levels.A2 + ratio_of(ratioType) * (*levels.A3 - *levels.A2);
  return levels;
}

std::vector<point_write> point_gains(riding_points& riding, const reference_levels& levels) {
  std::vector<point_write> writes;
  const int n = static_cast<int>(riding.points.size());
  for (int k = 0; k < n; ++k) {
    mx_Peak& point = riding.points[k];
    const double level = point.MaxPeak->value;
    const double position = point.Pos->value;
    double gain = 0.0;
    bool write = true;
    if (levels.A2 && level < *levels.A2) {
      // A level below A2 always leaves a mean A3 and so a target.
      const double d = levels.target ? *levels.target - level : 0.0;
      write = d > 0.0;
      if (write) gain = -d;
    } else if (levels.A1) {
      for (const lift_zone& zone : LIFT_ZONES) {
        if (level < zone.level_below && position < zone.position_below) {
          gain = std::min(zone.most, level - *levels.A1);
          break;
        }
      }
    }
    point.PointVol->set(gain);
    if (write) writes.push_back({k, position, factor_of(gain)});
  }
  return writes;
}

std::vector<int> flat_point_ids(const std::vector<mx_Peak>& points) {
  std::vector<int> ids;
  const auto gain = [&](size_t k) { return points[k].PointVol->value; };
  for (size_t k = 1; k + 1 < points.size(); ++k) {
    if (std::abs(gain(k) - gain(k - 1)) < FLAT_WITHIN_DB && std::abs(gain(k) - gain(k + 1)) < FLAT_WITHIN_DB)
      ids.push_back(static_cast<int>(k));
  }
  return ids;
}

// --- Operations -----------------------------------------------------------------------

bool SetMediaItemRIDEFORM(MediaItem* item, int ratioType) {
  return frame([&] {
    bind_sws();
    if (!ValidatePtr(item, "MediaItem*")) raise(ERR_INVALID_MEDIA_ITEM);
    envelope::SetMediaItemEnvelopeAllOFF(item);
    MediaItem_Take* take = GetActiveTake(item);
    if (!take) raise(ERR_NO_ACTIVE_TAKE);
    {
      ReaProject* project = GetItemProjectContext(item);
      kept_selection selection(item, project);
      selection.only_the_item();
      Main_OnCommandEx(TOGGLE_TAKE_VOLUME_ENVELOPE, 0, project);
      TrackEnvelope* volume = GetTakeEnvelopeByName(take, "Volume");
      BR_Envelope* handle = volume ? BR_EnvAlloc(volume, false) : nullptr;
      // Without an envelope to write there is nothing to ride and nothing to render.
      if (!handle) raise(ERR_SET_FAILED);
      sws_envelope envelope(handle);
      ride(item, envelope, ratioType);
    }
    render::RenderMediaItemActiveTake(item);
    Bridge_IF::reset_errorCode();
  });
}

bool SetMediaIdRIDEFORM(ReaProject* projID, int itemID, int ratioType) {
  return SetMediaItemRIDEFORM(item_forms::item_at(projID, itemID, false), ratioType);
}

bool SetSelectedMediaIdRIDEFORM(ReaProject* projID, int selectItemID, int ratioType) {
  return SetMediaItemRIDEFORM(item_forms::item_at(projID, selectItemID, true), ratioType);
}

int SetMediaItemListRIDEFORM(std::vector<MediaItem*> itemList, int ratioType) {
  return frame(1, [&] {
    bool all = true;
    for (MediaItem* item : itemList) all = SetMediaItemRIDEFORM(item, ratioType) && all;
    if (!all) raise(ERR_NOT_ALL_ITEMS);
    return 0;
  });
}

namespace {
MX_FAMILY("Level riding");
const mx_plugin::registrar definitions[] = {
    MX_DEF(81, SetMediaItemRIDEFORM, flag_void, "item,ratioType", "Set Media Item RIDEFORM"),
    MX_DEF(82, SetMediaIdRIDEFORM, flag_void, "projID,itemID,ratioType", "Set Media ID RIDEFORM"),
    MX_DEF(83, SetSelectedMediaIdRIDEFORM, flag_void, "projID,selectItemID,ratioType",
           "Set Selected Media ID RIDEFORM"),
    MX_DEF_LIST(103, SetMediaItemListRIDEFORM, "void", "MediaItemArray*,int", "itemList,ratioType",
                "Ajust volume of mediaitems in itemList"),
};
}  // namespace

}  // namespace mx_api::RIDEFORM
