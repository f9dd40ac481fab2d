// Level riding: evens out a recorded dialogue line the way an engineer rides a fader.
// Loud syllables are pulled down toward a target taken from the line itself, quiet
// passages near the start are lifted a little; the result becomes points of the active
// take's volume envelope, and the take is then rendered.
//
// The ride is split into steps that need no host (window points, reference levels,
// gains, thinning, duplicate removal); the worker strings them together with the SWS
// envelope calls in between.
#pragma once

#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "object/mx_Peak.h"
#include "plugin/dependency_manager.h"
#include "plugin/host_api.h"

namespace mx_api::RIDEFORM {

// The SWS envelope functions a ride calls, in the order they are looked up on every ride.
#define MX_RIDEFORM_SWS(X)                                                                      \
  X(BR_EnvAlloc) X(BR_EnvSortPoints) X(BR_EnvCountPoints) X(BR_EnvDeletePoint) X(BR_EnvFree)   \
  X(BR_EnvGetPoint) X(BR_EnvSetPoint) X(BR_EnvGetProperties) X(BR_EnvSetProperties)
#define MX_RIDEFORM_DECLARE_SWS(name) extern ::dependency_manager::outside_function<::sws::name> name;
MX_RIDEFORM_SWS(MX_RIDEFORM_DECLARE_SWS)
#undef MX_RIDEFORM_DECLARE_SWS

// ratioType: 0 or below rides gently (fewest cuts), 3 or above hardest.
bool SetMediaItemRIDEFORM(MediaItem* item, int ratioType);
bool SetMediaIdRIDEFORM(ReaProject* projID, int itemID, int ratioType);
bool SetSelectedMediaIdRIDEFORM(ReaProject* projID, int selectItemID, int ratioType);
// Rides every item; 0 when all succeeded, 1 when any failed (the others are still ridden).
int SetMediaItemListRIDEFORM(std::vector<MediaItem*> itemList, int ratioType);

// --- The steps of one ride -----------------------------------------------------------

// Riding points: "Pos" (seconds from the item start) and "MaxPeak" (the window level,
// dB below full scale; smaller is louder), later "PointVol" (the gain in dB).
struct riding_points {
  std::vector<mx_object::mx_Peak> points;
  int voiced = 0;           // windows with a level below the voiced threshold
  double voiced_sum = 0.0;  // sum of their levels
};

// The level of one peak entry: how far the louder extreme lies below full scale.
double entry_level(const mx_object::mx_Peak& entry);

// One point per ten-millisecond window of the peak entries, and one for a voiced
// remainder of six to nine entries.
riding_points window_points(const std::vector<mx_object::mx_Peak>& peaks);

// The mean level of ever louder groups of windows, and the target between the loudest
// two. A mean without any contributing level is absent, as is everything built on it.
struct reference_levels {
  std::optional<double> A0, A1, A2, A3, target;
};
double ratio_of(int ratioType);
reference_levels reference_levels_of(const riding_points& riding, int ratioType);

// What the gain step writes: envelope point `id` moved to `position` with amplitude `value`.
struct point_write {
  int id;
  double position;
  double value;
};
// Gives each riding point its "PointVol" and returns the envelope writes in point order.
// A point whose rule needs an absent mean stays at unity.
std::vector<point_write> point_gains(riding_points& riding, const reference_levels& levels);

// The ids of the points inside flat stretches, ascending; never the first or the last.
std::vector<int> flat_point_ids(const std::vector<mx_object::mx_Peak>& points);

// Of two neighbouring envelope points at one position, removes the one closer to unity,
// from the last pair down to (2, 1); points 0 and 1 are never compared; two points as
// far from unity as each other both stay. `Env` offers count(), read(i) giving the
// point's (position, value), and erase(i), after which later ids move down by one.
template <class Env>
void remove_duplicates(Env& env) {
  const int m = env.count();
  if (m < 3) return;
  for (int i = m - 1; i >= 2; --i) {
    const std::pair<double, double> here = env.read(i);
    const std::pair<double, double> before = env.read(i - 1);
    if (here.first != before.first) continue;
    const double off_here = std::abs(1.0 - here.second);
    const double off_before = std::abs(1.0 - before.second);
    if (off_before > off_here) env.erase(i);
    else if (off_here > off_before) env.erase(i - 1);
  }
}

}  // namespace mx_api::RIDEFORM
