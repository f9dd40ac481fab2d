// An item's maximum momentary loudness (LUFS, 400 ms blocks) as the SWS analysis
// measures its active take, and setting the item's volume so that maximum meets a target.
#pragma once

#include "api/item_forms.h"
#include "plugin/host_api.h"

namespace mx_api::loudness {

// 0 on success, 1 on failure. The outputs receive what the analysis wrote: the maximum
// and the project time where its block starts.
int GetMediaItemLoudnessMaxMomentary(MediaItem* item, double* maxMomentaryOut, double* maxMomentaryPosOut);
// Raises the item volume in dB by (target - measured maximum), in one step;
// `maxMomentaryOut` receives the position of the measured maximum, not a level.
bool SetMediaItemLoudnessMaxMomentary(MediaItem* item, double setMaxMomentary, double* maxMomentaryOut);

MX_MEDIA_INDEX_FORMS(Get, LoudnessMaxMomentary)
MX_MEDIA_INDEX_FORMS(Set, LoudnessMaxMomentary)

}  // namespace mx_api::loudness
