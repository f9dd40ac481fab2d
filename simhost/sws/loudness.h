// Loudness of a take as the host plays it, measured with libebur128.
#pragma once

struct MediaItem_Take;

namespace sws::loudness {

// False for a null or dead take, one without a source or without audio (MIDI), or when
// the measurement cannot start. Any output may be null.
bool NF_AnalyzeTakeLoudness2(MediaItem_Take* take, bool analyzeTruePeak, double* lufsIntegratedOut,
                             double* rangeOut, double* truePeakOut, double* truePeakPosOut,
                             double* shortTermMaxOut, double* momentaryMaxOut, double* shortTermMaxPosOut,
                             double* momentaryMaxPosOut);

}  // namespace sws::loudness
