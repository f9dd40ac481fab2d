// The play and edit cursor, and the conversion between seconds and whole frames that
// the media item operations share with it.
#pragma once

#include "mixvale_cobalt/media_item.h"

namespace mx_api::cursol {

// Whole frames at `fps` for a time in seconds, truncated toward zero. Floating-point
// products that land a hair below an exact frame boundary (2.76 s at 25 fps) still give
// that frame: the tolerance is far below one frame. Raises ERR_INVALID_VALUE when the
// result is not a number of frames an int can hold.
int seconds_to_frames(double fps, double seconds);

// The project's frame rate; ERR_INVALID_VALUE when the host gives no usable rate.
double frame_rate(ReaProject* project);

}  // namespace mx_api::cursol
