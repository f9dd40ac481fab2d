// Marks the few interfaces that leave the library; everything else stays hidden.
#pragma once

#define MX_EXPORT extern "C" __attribute__((visibility("default")))
