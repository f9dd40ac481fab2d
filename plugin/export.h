// Marks the few interfaces that leave the library; everything else stays hidden.
#pragma once

#define MX_EXPORT extern "C" __attribute__((visibility("default")))
// The native library keeps its C++ names (mixvale_cobalt/media_item.h).
#define MX_NATIVE_EXPORT __attribute__((visibility("default")))
