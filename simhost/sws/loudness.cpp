#include "simhost/sws/loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "simhost/sws/host.h"
#include "simhost/sws/state.h"

namespace sws::loudness {

namespace {

// What the extension reports for minus infinity.
constexpr double FLOOR = -150.0;
constexpr double MOMENTARY_STEP = 0.4;  // seconds per momentary block
constexpr double SHORT_TERM = 3.0;      // seconds per short-term window
constexpr long long CHUNK = 4096;       // frames read from the accessor at once

double floored(double lufs) { return std::isfinite(lufs) && lufs > FLOOR ? lufs : FLOOR; }

// Output channels of the take after its channel mode: mono modes give one channel,
// pair modes two, the others the source's own count.
int output_channels(MediaItem_Take* take, int source_channels) {
  const int mode = static_cast<int>(host::GetMediaItemTakeInfo_Value(take, "I_CHANMODE"));
  if (mode >= 2 && mode <= 66) return 1;
  if (mode >= 67) return 2;
  return source_channels;
}

// The gain applied to every sample before measuring: take and item volume, the take's
// pan (no pan law) and its volume envelope when that is active and has points.
struct Gain {
  double volume = 1.0;
  double left = 1.0, right = 1.0;
  TrackEnvelope* envelope = nullptr;
  int scaling = 0;
  double play_rate = 1.0;

  double envelope_at(double item_time, double rate) const {
    if (!envelope) return 1.0;
    double raw = 0, d1 = 0, d2 = 0, d3 = 0;
    host::Envelope_Evaluate(envelope, item_time * play_rate, rate, 1, &raw, &d1, &d2, &d3);
    const double amplitude = host::ScaleFromEnvelopeMode(scaling, raw);
    return std::isfinite(amplitude) ? amplitude : 0.0;
  }
};

Gain gain_of(MediaItem_Take* take, MediaItem* item, int channels) {
  Gain g;
  g.volume = host::GetMediaItemTakeInfo_Value(take, "D_VOL") * host::GetMediaItemInfo_Value(item, "D_VOL");
  if (channels >= 2) {
    const double pan = std::clamp(host::GetMediaItemTakeInfo_Value(take, "D_PAN"), -1.0, 1.0);
    g.left = pan > 0 ? 1.0 - pan : 1.0;
    g.right = pan < 0 ? 1.0 + pan : 1.0;
  }
  const double rate = host::GetMediaItemTakeInfo_Value(take, "D_PLAYRATE");
  g.play_rate = std::isfinite(rate) && rate > 0 ? rate : 1.0;
  TrackEnvelope* env = host::GetTakeEnvelopeByName ? host::GetTakeEnvelopeByName(take, "Volume") : nullptr;
  if (env && host::Envelope_Evaluate && host::ScaleFromEnvelopeMode && host::GetEnvelopeScalingMode) {
    const auto state = state::read(env);
    if (state && state->properties().active && !state->points.empty()) {
      g.envelope = env;
      g.scaling = host::GetEnvelopeScalingMode(env);
    }
  }
  return g;
}

bool bound() {
  return host::ValidatePtr && host::GetMediaItemTake_Item && host::GetMediaItemTake_Source &&
         host::GetMediaSourceNumChannels && host::GetMediaSourceSampleRate && host::GetMediaItemInfo_Value &&
         host::GetMediaItemTakeInfo_Value && host::CreateTakeAudioAccessor && host::DestroyAudioAccessor &&
         host::GetAudioAccessorEndTime && host::GetAudioAccessorSamples;
}

struct AccessorCloser {
  void operator()(AudioAccessor* a) const { host::DestroyAudioAccessor(a); }
};
struct StateCloser {
  void operator()(ebur128_state* s) const { ebur128_destroy(&s); }
};

// The running maximum of a series of block values, first block winning ties.
struct Maximum {
  double value = FLOOR;
  long long block = 0;
  void offer(double v, long long index) {
    if (v > value) value = v, block = index;
  }
};

void put(double* out, double value) {
  if (out) *out = value;
}

}  // namespace

bool NF_AnalyzeTakeLoudness2(MediaItem_Take* take, bool analyzeTruePeak, double* lufsIntegratedOut,
                             double* rangeOut, double* truePeakOut, double* truePeakPosOut,
                             double* shortTermMaxOut, double* momentaryMaxOut, double* shortTermMaxPosOut,
                             double* momentaryMaxPosOut) {
  if (!bound() || !host::live(take, "MediaItem_Take*")) return false;
  MediaItem* item = host::GetMediaItemTake_Item(take);
  PCM_source* source = host::GetMediaItemTake_Source(take);
  if (!item || !source) return false;
  const int rate = host::GetMediaSourceSampleRate(source);
  const int source_channels = host::GetMediaSourceNumChannels(source);
  if (rate < 1 || source_channels < 1) return false;
  const int channels = output_channels(take, source_channels);
  std::unique_ptr<AudioAccessor, AccessorCloser> accessor(host::CreateTakeAudioAccessor(take));
  if (!accessor) return false;

  int mode = EBUR128_MODE_M | EBUR128_MODE_S | EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_SAMPLE_PEAK;
  if (analyzeTruePeak) mode |= EBUR128_MODE_TRUE_PEAK;
  std::unique_ptr<ebur128_state, StateCloser> meter(
      ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(rate), mode));
  if (!meter) return false;

  const double length = host::GetAudioAccessorEndTime(accessor.get());
  const long long total =
      std::isfinite(length) && length > 0 ? static_cast<long long>(std::floor(length * rate + 1e-9)) : 0;
  const Gain gain = gain_of(take, item, channels);
  auto frame_at = [rate](double seconds) { return std::llround(seconds * rate); };

  Maximum momentary, short_term;
  double peak = 0.0, peak_time = 0.0;
  long long next_block = 0, next_window = 0;  // indexes of the next momentary block and short-term window
  std::vector<double> buffer;
  for (long long at = 0; at < total;) {
    const long long block_end = frame_at(MOMENTARY_STEP * static_cast<double>(next_block + 1));
    const long long window_end = frame_at(MOMENTARY_STEP * static_cast<double>(next_window) + SHORT_TERM);
    // A block boundary that rounds onto the current frame still moves the loop on.
    const long long end = std::max(at + 1, std::min({total, at + CHUNK, block_end, window_end}));
    const int count = static_cast<int>(end - at);
    buffer.assign(static_cast<size_t>(count) * static_cast<size_t>(channels), 0.0);
    if (host::GetAudioAccessorSamples(accessor.get(), rate, channels, static_cast<double>(at) / rate, count,
                                      buffer.data()) != 1)
      std::fill(buffer.begin(), buffer.end(), 0.0);
    for (int f = 0; f < count; ++f) {
      const double item_time = static_cast<double>(at + f) / rate;
      const double g = gain.volume * gain.envelope_at(item_time, rate);
      for (int c = 0; c < channels; ++c) {
        double& s = buffer[static_cast<size_t>(f) * static_cast<size_t>(channels) + static_cast<size_t>(c)];
        s *= g * (c == 0 ? gain.left : c == 1 ? gain.right : 1.0);
        if (!std::isfinite(s)) s = 0.0;
        if (std::fabs(s) > peak) peak = std::fabs(s), peak_time = item_time;
      }
    }
    ebur128_add_frames_double(meter.get(), buffer.data(), static_cast<size_t>(count));
    at = end;
    double value = 0;
    if (at >= block_end) {
      if (ebur128_loudness_momentary(meter.get(), &value) == EBUR128_SUCCESS) momentary.offer(floored(value), next_block);
      ++next_block;
    }
    if (at >= window_end) {
      if (ebur128_loudness_shortterm(meter.get(), &value) == EBUR128_SUCCESS)
        short_term.offer(floored(value), next_window);
      ++next_window;
    }
  }

  double integrated = FLOOR, range = 0.0, true_peak = FLOOR;
  if (ebur128_loudness_global(meter.get(), &integrated) != EBUR128_SUCCESS) integrated = FLOOR;
  if (ebur128_loudness_range(meter.get(), &range) != EBUR128_SUCCESS || !std::isfinite(range)) range = 0.0;
  if (analyzeTruePeak) {
    double highest = 0.0;
    for (int c = 0; c < channels; ++c) {
      double p = 0;
      if (ebur128_true_peak(meter.get(), static_cast<unsigned>(c), &p) == EBUR128_SUCCESS) highest = std::max(highest, p);
    }
    true_peak = highest > 0 ? floored(20.0 * std::log10(highest)) : FLOOR;
  }

  const double position = host::GetMediaItemInfo_Value(item, "D_POSITION");
  put(lufsIntegratedOut, floored(integrated));
  put(rangeOut, range);
  put(truePeakOut, true_peak);
  put(truePeakPosOut, analyzeTruePeak && peak > 0 ? peak_time : 0.0);
  put(shortTermMaxOut, short_term.value);
  put(momentaryMaxOut, momentary.value);
  put(shortTermMaxPosOut, position + MOMENTARY_STEP * static_cast<double>(short_term.block));
  put(momentaryMaxPosOut, position + MOMENTARY_STEP * static_cast<double>(momentary.block));
  return true;
}

}  // namespace sws::loudness
