#include "api/loudness.h"

#include <cmath>

#include "plugin/api_registry.h"
#include "plugin/dependency_manager.h"
#include "plugin/mx_error.h"
#include "utility/mx_utility.h"

namespace mx_api::loudness {

using namespace mx_error;

MX_SWS_FUNCTION(NF_AnalyzeTakeLoudness2);

namespace {

// What the analysis reports for no measurable block (silence, or a take shorter than
// one 400 ms block): its floor for minus infinity. No level can be derived from it.
constexpr double LOUDNESS_FLOOR = -150.0;

// What the analysis wrote; `measured` is false when it failed or found no level.
struct Maximum {
  double level = 0;
  double position = 0;
  bool measured = false;
};

Maximum analyse(MediaItem* item, const char* script_name) {
  dependency_manager::require_sws(script_name, NF_AnalyzeTakeLoudness2);
  MediaItem_Take* take = item_forms::active_take(item);
  double integrated = 0, range = 0, true_peak = 0, true_peak_pos = 0, short_term = 0, short_term_pos = 0;
  Maximum max;
  const bool analysed = NF_AnalyzeTakeLoudness2(take, false, &integrated, &range, &true_peak, &true_peak_pos,
                                                &short_term, &max.level, &short_term_pos, &max.position);
  max.measured = analysed && std::isfinite(max.level) && max.level > LOUDNESS_FLOOR;
  return max;
}

}  // namespace

int GetMediaItemLoudnessMaxMomentary(MediaItem* item, double* maxMomentaryOut, double* maxMomentaryPosOut) {
  return frame(1, [&] {
    const Maximum max = analyse(item, "MX_GetMediaItemLoudnessMaxMomentary");
    put(maxMomentaryOut, max.level);
    put(maxMomentaryPosOut, max.position);
    if (!max.measured) raise(ERR_LOUDNESS_ANALYSIS);
    return 0;
  });
}

bool SetMediaItemLoudnessMaxMomentary(MediaItem* item, double setMaxMomentary, double* maxMomentaryOut) {
  return frame([&] {
    const Maximum max = analyse(item, "MX_SetMediaItemLoudnessMaxMomentary");
    put(maxMomentaryOut, max.position);
    if (!max.measured) raise(ERR_LOUDNESS_ANALYSIS);
    const double current_dB = mx_utility::to_dB(GetMediaItemInfo_Value(item, "D_VOL"));
    const double volume = mx_utility::to_reaper_volume(current_dB + (setMaxMomentary - max.level));
    // A target that is no number, or so far off that no volume reaches it, is refused.
    if (!std::isfinite(volume)) raise(ERR_INVALID_ARGUMENT);
    if (!SetMediaItemInfo_Value(item, "D_VOL", volume)) raise(ERR_SET_FAILED);
    UpdateArrange();
  });
}

namespace {
MX_FAMILY("Loudness");
const mx_plugin::registrar definitions[] = {
    MX_DEF(84, GetMediaItemLoudnessMaxMomentary, status_void, "item,maxMomentaryOut,maxMomentaryPosOut",
           "Get Media Item Momenatary"),
    MX_DEF(85, GetMediaIdLoudnessMaxMomentary, status_void, "projID,itemID,maxMomentaryOut,maxMomentaryPosOut",
           "Get Media Id Momenatary"),
    MX_DEF(86, GetSelectedMediaIdLoudnessMaxMomentary, status_void,
           "projID,selectItemID,maxMomentaryOut,maxMomentaryPosOut", "Get Selected Media Id Momenatary"),
    MX_DEF(87, SetMediaItemLoudnessMaxMomentary, flag_void, "item,setMaxMomentary,maxMomentaryOut",
           "Set Media Item Momenatary"),
    MX_DEF(88, SetMediaIdLoudnessMaxMomentary, flag_void, "projID,itemID,setMaxMomentary,maxMomentaryOut",
           "Set Media Id Momenatary"),
    MX_DEF(89, SetSelectedMediaIdLoudnessMaxMomentary, flag_void,
           "projID,selectItemID,setMaxMomentary,maxMomentaryOut", "Set Selected Media Id Momenatary"),
};
}  // namespace

}  // namespace mx_api::loudness
