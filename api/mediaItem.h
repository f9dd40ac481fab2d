// The native media item library as the plug-in's own families use it: every operation
// other native code reaches (declared in mixvale_cobalt/media_item.h), and the peak
// profile, which hands out records of the object model.
#pragma once

#include <vector>

#include "mixvale_cobalt/media_item.h"
#include "object/mx_Peak.h"
#include "plugin/host_api.h"

namespace mx_api::mediaItem {

// One record per millisecond of the item, appended: "Time" from the item start, and
// "MaxPeak", "MinPeak" in dB (at least -80) of the window's largest and smallest sample.
MX_NATIVE_EXPORT bool GetMediaItemPeakList(MediaItem* item, std::vector<mx_object::mx_Peak>& peakListOut);
MX_NATIVE_EXPORT bool GetMediaIdPeakList(ReaProject* proj, int itemID, std::vector<mx_object::mx_Peak>& peakListOut);
MX_NATIVE_EXPORT bool GetSelectedMediaIdPeakList(ReaProject* proj, int selectItemID,
                                                 std::vector<mx_object::mx_Peak>& peakListOut);

// The peak profile handed over an entry at a time, for a caller that builds its own form
// of it (the Lua module's tables) with no records on the way: the count once, after the
// host's first answer, then each entry in time order. Codes and result as
// GetMediaItemPeakList. Kept inside the plug-in, apart from the native library.
class [[gnu::visibility("hidden")]] PeakVisitor {
 public:
  virtual void count(size_t entries) = 0;
  virtual void peak(double time, double maxPeak, double minPeak) = 0;

 protected:
  ~PeakVisitor() = default;
};
[[gnu::visibility("hidden")]] bool VisitMediaItemPeakList(MediaItem* item, PeakVisitor& visitor);
[[gnu::visibility("hidden")]] bool VisitMediaIdPeakList(ReaProject* proj, int itemID, PeakVisitor& visitor);
[[gnu::visibility("hidden")]] bool VisitSelectedMediaIdPeakList(ReaProject* proj, int selectItemID,
                                                                PeakVisitor& visitor);

// A take name without its extension: on each line, the first full stop that has
// something after it goes, together with the rest of that line.
std::string without_extension(const std::string& name);

}  // namespace mx_api::mediaItem
