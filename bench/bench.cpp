// Speed of the peak profile and of level riding on long lines, measured on the plug-in
// as the simulated host loads it. The host's own work (fetching peaks from the source,
// running its commands, rendering) is timed apart through wrappers around its
// functions, so the figures below are the plug-in's own.
//
//   peak list of a one-hour item against a bare loop doing the same arithmetic
//   riding a ten-minute line
//   growth of both from 10 to 60 minutes
#include <dlfcn.h>
#include <malloc.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <ctime>

#include "bench/host_timing.h"
#include "object/mx_Peak.h"
#include "simhost/host.h"
#include "simhost/host_function.h"
#include "simhost/source.h"

struct BR_Envelope;

namespace {

using mx_object::mx_Peak;

constexpr int RATE = 48000;
constexpr double HOUR = 3600.0;
constexpr double TEN_MINUTES = 600.0;

using mx_bench::timed;
double now() { return mx_bench::process_seconds(); }

// Time spent inside functions that are not the plug-in's own, by wrapper: the host's
// (its peaks, its commands and render) and the SWS stand-in's envelope editing.
double host_seconds = 0.0;
double sws_seconds = 0.0;

using Peaks = timed<host_seconds, 0, int(MediaItem_Take*, double, double, int, int, int, double*)>;
using Command = timed<host_seconds, 1, void(int, int, ReaProject*)>;

void wrap_sws() {
  timed<sws_seconds, 2, BR_Envelope*(TrackEnvelope*, bool)>::wrap_registered("BR_EnvAlloc");
  timed<sws_seconds, 3, void(BR_Envelope*)>::wrap_registered("BR_EnvSortPoints");
  timed<sws_seconds, 4, int(BR_Envelope*)>::wrap_registered("BR_EnvCountPoints");
  timed<sws_seconds, 5, bool(BR_Envelope*, int)>::wrap_registered("BR_EnvDeletePoint");
  timed<sws_seconds, 6, bool(BR_Envelope*, bool)>::wrap_registered("BR_EnvFree");
  timed<sws_seconds, 7, bool(BR_Envelope*, int, double*, double*, int*, bool*, double*)>::wrap_registered(
      "BR_EnvGetPoint");
  timed<sws_seconds, 8, bool(BR_Envelope*, int, double, double, int, bool, double)>::wrap_registered(
      "BR_EnvSetPoint");
}

// A spoken-like line: a 200 Hz tone whose level changes every 120 ms, with a pause
// every few syllables. Written in blocks, so an hour takes seconds.
std::string write_line(const std::string& path, double seconds) {
  SF_INFO info{};
  info.channels = 1;
  info.samplerate = RATE;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) throw std::runtime_error("cannot write " + path);
  constexpr int PERIOD = RATE / 200;
  constexpr int STEP = RATE * 120 / 1000;
  const float levels[] = {0.9f, 0.2f, 0.55f, 0.05f, 0.7f, 0.35f, 0.0f, 0.8f, 0.12f};
  float wave[PERIOD];
  for (int i = 0; i < PERIOD; ++i) wave[i] = static_cast<float>(std::sin(2 * M_PI * i / PERIOD));
  std::vector<float> block(STEP);
  const long steps = static_cast<long>(seconds * RATE) / STEP;
  for (long s = 0; s < steps; ++s) {
    const float level = levels[s % 9];
    for (int i = 0; i < STEP; ++i) block[i] = level * wave[(s * STEP + i) % PERIOD];
    sf_writef_float(file, block.data(), STEP);
  }
  sf_close(file);
  return path;
}

MediaItem* item_over(const std::string& path, double length) {
  sim::Session& session = sim::Host::get().session();
  MediaTrack* track = session.insert_track(session.active(), static_cast<int>(session.active()->tracks.size()));
  MediaItem* item = session.add_item(track);
  MediaItem_Take* take = session.add_take(item);
  take->name = "line";
  take->source = sim::open_file_source(path);
  if (!take->source) throw std::runtime_error("cannot open " + path);
  item->length = length;
  return item;
}

// Small blocks and the large ones the allocator maps on their own.
size_t heap_in_use() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

using PeakList = bool (*)(MediaItem*, std::vector<mx_Peak>&);
using Ride = bool (*)(MediaItem*, int);

struct peak_figures {
  double own = 0.0;    // the plug-in's time, the host's fetch taken out
  double floor = 0.0;  // the bare loop over the same host data
  double bytes_per_record = 0.0;
  size_t records = 0;
};

peak_figures measure_peak_list(PeakList peak_list, MediaItem* item) {
  peak_figures f;
  // The floor: the host's buffer fetched once, then only the arithmetic.
  const int n = static_cast<int>(std::floor(item->length / 0.001 + 0.5));
  std::vector<double> buffer(static_cast<size_t>(n) * 3, 0.0);
  Peaks::original(item->takes[0], 1000.0, item->position, 1, n, 115, buffer.data());
  std::vector<double> out(static_cast<size_t>(n) * 3);
  const double floor_start = now();
  for (int j = 0; j < n; ++j) {
    double a = std::fabs(buffer[j]), b = std::fabs(buffer[n + j]);
    a = a < 0.0001 ? 0.0001 : std::floor(a * 10000 + 0.5) / 10000;
    b = b < 0.0001 ? 0.0001 : std::floor(b * 10000 + 0.5) / 10000;
    out[3 * j] = static_cast<double>(j) * 0.001;
    out[3 * j + 1] = std::floor(20 * std::log10(a) * 10000 + 0.5) / 10000;
    out[3 * j + 2] = std::floor(20 * std::log10(b) * 10000 + 0.5) / 10000;
  }
  f.floor = now() - floor_start;
  volatile double keep = out[out.size() / 2];
  (void)keep;

  const size_t heap_before = heap_in_use();
  std::vector<mx_Peak> peaks;
  host_seconds = 0.0;
  const double start = now();
  if (!peak_list(item, peaks)) throw std::runtime_error("the peak list failed");
  f.own = now() - start - host_seconds;
  f.records = peaks.size();
  f.bytes_per_record = static_cast<double>(heap_in_use() - heap_before) / static_cast<double>(peaks.size());
  return f;
}

struct ride_figures {
  double own = 0.0, host = 0.0, sws = 0.0;
};

ride_figures measure_ride(Ride ride, MediaItem* item) {
  host_seconds = sws_seconds = 0.0;
  const double start = now();
  if (!ride(item, 0)) throw std::runtime_error("the ride failed");
  const double total = now() - start;
  return {total - host_seconds - sws_seconds, host_seconds, sws_seconds};
}

const char* verdict(bool met) { return met ? "met" : "NOT met"; }

}  // namespace

int main() {
  try {
    sim::Host& host = sim::Host::get();
    Peaks::wrap_host("GetMediaItemTake_Peaks");
    Command::wrap_host("Main_OnCommandEx");
    host.install_sink();
    host.install_sws();
    wrap_sws();
    const std::string built = MXSIM_PLUGIN_7;
    const std::string file_name = built.substr(built.find_last_of('/') + 1);
    if (!host.install_and_load(built, file_name)) throw std::runtime_error("the plug-in did not load");
    void* plugin = dlopen((host.user_plugins() + "/" + file_name).c_str(), RTLD_NOW | RTLD_NOLOAD);
    auto peak_list = reinterpret_cast<PeakList>(
        dlsym(plugin, "_ZN6mx_api9mediaItem20GetMediaItemPeakListEP9MediaItemRSt6vectorIN9mx_object7mx_PeakESaIS5_EE"));
    auto ride = reinterpret_cast<Ride>(host.get_func("MX_SetMediaItemRIDEFORM"));
    if (!peak_list || !ride) throw std::runtime_error("the plug-in lacks the peak list or the ride");

    const double start = now();
    const std::string line = write_line(host.home() + "/hour.wav", HOUR);
    std::printf("one-hour mono %d Hz source written in %.1f s (process time, as every figure below)\n\n", RATE,
                now() - start);
    MediaItem* hour = item_over(line, HOUR);
    MediaItem* ten = item_over(line, TEN_MINUTES);

    // The first hour takes its memory fresh from the system; the later runs reuse it.
    const peak_figures cold = measure_peak_list(peak_list, hour);
    const peak_figures p60 = measure_peak_list(peak_list, hour);
    const peak_figures p10 = measure_peak_list(peak_list, ten);
    const double ratio = p60.own / p60.floor;
    std::printf("Peak list of a one-hour item (%zu records)\n", p60.records);
    std::printf("  plug-in %.3f s, bare loop %.3f s: %.2fx the floor (goal at most 3x: %s)\n", p60.own, p60.floor,
                ratio, verdict(ratio <= 3.0));
    std::printf("  first run, memory fresh from the system: %.3f s, %.2fx the floor\n", cold.own, cold.own / cold.floor);
    std::printf("  memory %.0f bytes per record\n\n", cold.bytes_per_record);

    const ride_figures r10 = measure_ride(ride, ten);
    std::printf("Riding a ten-minute line\n");
    std::printf("  plug-in %.3f s (goal at most 0.5 s: %s)\n", r10.own, verdict(r10.own <= 0.5));
    std::printf("  apart: host peaks, commands and render %.3f s, SWS envelope editing %.3f s\n\n", r10.host,
                r10.sws);
    const ride_figures r60 = measure_ride(ride, item_over(line, HOUR));

    const double peak_growth = p60.own / p10.own, ride_growth = r60.own / r10.own;
    const auto near_six = [](double g) { return g > 4.5 && g < 7.5; };
    std::printf("Growth from 10 to 60 minutes (goal near 6: between 4.5 and 7.5)\n");
    std::printf("  peak list %.3f s -> %.3f s: %.2fx (%s)\n", p10.own, p60.own, peak_growth,
                verdict(near_six(peak_growth)));
    std::printf("  ride      %.3f s -> %.3f s: %.2fx (%s)\n", r10.own, r60.own, ride_growth,
                verdict(near_six(ride_growth)));
    std::printf("  apart: host %.3f s -> %.3f s, SWS %.3f s -> %.3f s\n", r10.host, r60.host, r10.sws, r60.sws);
    host.remove_sandbox();
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "benchmark failed: %s\n", e.what());
    sim::Host::get().remove_sandbox();
    return 1;
  }
}
