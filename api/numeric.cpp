#include "api/numeric.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>

#include "plugin/api_registry.h"
#include "plugin/mx_error.h"
#include "plugin/host_api.h"
#include "utility/mx_utility.h"

namespace mx_api::numeric {

using namespace mx_error;

namespace {

// A fresh generator per draw, seeded from the system's random device; nothing is kept
// between calls. A device that cannot be opened throws, which the frame reports.
int draw(int low, int high) {
  if (low > high) std::swap(low, high);
  std::random_device device("/dev/urandom");
  std::mt19937 generator(device());
  return std::uniform_int_distribution<int>(low, high)(generator);
}

// Decimal places beyond 9 would overflow the 32-bit scale (10^9 is the largest power
// of ten it holds), so doubleType is clamped to 0..9.
constexpr int MAX_DECIMAL_PLACES = 9;

// A scaled bound truncated toward zero; bounds beyond the 32-bit range are clamped to
// its ends, so a very large or infinite bound draws up to the largest scaled value.
int scaled_bound(double bound, int32_t scale) {
  if (std::isnan(bound)) raise(ERR_INVALID_ARGUMENT);
  const double scaled = std::trunc(bound * scale);
  return static_cast<int>(std::clamp(scaled, static_cast<double>(std::numeric_limits<int32_t>::min()),
                                     static_cast<double>(std::numeric_limits<int32_t>::max())));
}

}  // namespace

bool GetRandomNumInteger(int low, int high, int* out) {
  return frame([&] { put(out, draw(low, high)); });
}

bool GetRandomNumDouble(double low, double high, int doubleType, double* out) {
  return frame([&] {
    int32_t scale = 1;
    for (int i = 0; i < std::min(doubleType, MAX_DECIMAL_PLACES); ++i) scale *= 10;
    put(out, static_cast<double>(draw(scaled_bound(low, scale), scaled_bound(high, scale))) / scale);
  });
}

bool GetRandomColor(int* colorOut, int* rOut, int* gOut, int* bOut) {
  return frame([&] {
    const int r = draw(0, 255), g = draw(0, 255), b = draw(0, 255);
    put(rOut, r);
    put(gOut, g);
    put(bOut, b);
    put(colorOut, ColorToNative(r, g, b));
  });
}

bool FormatNumDigit(int num, int digit, char* out, int size) {
  return frame([&] {
    if (digit < 1) raise(ERR_INVALID_ARGUMENT);
    std::string text = std::to_string(num);
    if (static_cast<int>(text.size()) < digit) {
      // The magnitude in unsigned arithmetic, so the most negative integer pads like any
      // other negative number. Padding past the caller's capacity would be cut anyway,
      // so a huge digit count never builds a huge text.
      const uint32_t magnitude = num < 0 ? 0u - static_cast<uint32_t>(num) : static_cast<uint32_t>(num);
      const std::string digits = std::to_string(magnitude);
      const int zeros = std::min(digit - static_cast<int>(digits.size()), std::max(size, 0));
      text = (num < 0 ? "-" : "") + std::string(static_cast<size_t>(zeros), '0') + digits;
    }
    mx_utility::strcpy(out, size, text);
  });
}

namespace {
MX_FAMILY("Numbers");
const mx_plugin::registrar definitions[] = {
    MX_DEF(66, GetRandomNumInteger, int_out, "low,high", "Get Random Num Integer"),
    MX_DEF(67, GetRandomNumDouble, flag_void, "low,high,doubleType,randomOut", "Get Random Num Double"),
    MX_DEF(68, GetRandomColor, flag_void, "colorOut,rOut,gOut,bOut", "Get Random Color RGB"),
    MX_DEF(69, FormatNumDigit, flag_void, "num,digit,formattedNumOut,formattedNumOut_sz",
           "Format a number with specified number of digits"),
};
}  // namespace

}  // namespace mx_api::numeric
