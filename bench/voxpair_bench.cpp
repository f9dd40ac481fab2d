// Bilingual insertion at scale: 1,000 and then 2,000 pairs of short lines laid out by the
// plug-in's operation bound to the simulated host (with its SWS stand-in), without and
// with loudness matching. The layout should grow in proportion to the pairs:
// time(2000)/time(1000) at most 2.2. The host's reading of the files (InsertMedia) and
// the SWS stand-in's loudness analysis are timed apart, so the plug-in's own time and
// its growth are printed too.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/VOXPAIR.h"
#include "bench/host_timing.h"
#include "plugin/Bridge_IF.h"
#include "plugin/host_api.h"
#include "plugin/reaper_MIXVALE_COBALT.h"
#include "simhost/host.h"

namespace fs = std::filesystem;

namespace {

constexpr int RATE = 48000;
constexpr double GOAL = 2.2;

// A short tone written once through libsndfile; every line of a folder is a copy of it.
void write_tone(const std::string& path, double seconds, double amplitude) {
  SF_INFO info{};
  info.samplerate = RATE;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) throw std::runtime_error("cannot write " + path);
  std::vector<float> samples(static_cast<size_t>(seconds * RATE));
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<float>(amplitude * std::sin(2.0 * M_PI * 440.0 * static_cast<double>(i) / RATE));
  sf_write_float(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
}

// `pairs` lines in each folder, under two groups of names.
void make_lines(const std::string& root, int pairs, double seconds) {
  const std::string tone_base = root + "/tone_base.wav", tone_subject = root + "/tone_subject.wav";
  fs::create_directories(root);
  write_tone(tone_base, seconds, 0.5);
  write_tone(tone_subject, seconds, 0.1);
  for (const char* side : {"base", "subject"}) fs::create_directories(root + "/" + side);
  for (int i = 0; i < pairs; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "%s_%05d.wav", i % 2 ? "hero" : "guard", i);
    fs::copy_file(tone_base, root + "/base/" + name);
    fs::copy_file(tone_subject, root + "/subject/" + name);
  }
}

using mx_bench::process_seconds;

// Time inside the host's file insertion and the SWS stand-in's loudness analysis.
double outside_seconds = 0.0;
using Insert = mx_bench::timed<outside_seconds, 0, int(const char*, int)>;
using Analyze = mx_bench::timed<outside_seconds, 1,
                                bool(MediaItem_Take*, bool, double*, double*, double*, double*, double*, double*,
                                     double*, double*)>;

void* lookup(const char* name) { return sim::Host::get().get_func(name); }

// The operation sees the host as a load would give it: host functions, the error-code
// sink, and the host record through which it finds the SWS functions.
void bind_to_host() {
  static reaper_plugin_info_t record{};
  record.GetFunc = &lookup;
  REAPERAPI_LoadAPI(&lookup);
  Bridge_IF::bridge_init();
  reaper_plugin = &record;
}

struct figures {
  double total = 0.0, own = 0.0;  // own: without the host's and the SWS stand-in's time
};

figures seconds_for(const std::string& root, bool volMatch) {
  sim::Host::get().reset_session();
  std::vector<std::string> keywords{"hero", "guard"}, unmatched;
  outside_seconds = 0.0;
  const double start = process_seconds();
  mx_api::VOXPAIR::VOXPAIR_InsertMediaItems(root + "/subject", root + "/base", 0.0, 0.1, 0, volMatch, false, 0,
                                            keywords, unmatched);
  const double took = process_seconds() - start;
  if (!unmatched.empty()) throw std::runtime_error("lines went unmatched");
  return {took, took - outside_seconds};
}

// The fastest of a few runs, the first of which also warms the file cache.
figures best_of(const std::string& root, bool volMatch) {
  figures best = seconds_for(root, volMatch);
  for (int run = 0; run < 3; ++run) {
    const figures f = seconds_for(root, volMatch);
    best.total = std::min(best.total, f.total);
    best.own = std::min(best.own, f.own);
  }
  return best;
}

}  // namespace

int main() {
  sim::Host& host = sim::Host::get();
  host.make_sandbox();
  host.install_sink();
  host.install_sws();
  Insert::wrap_host("InsertMedia");
  Analyze::wrap_registered("NF_AnalyzeTakeLoudness2");
  bind_to_host();

  // Short lines keep the host's in-memory sources small; the measuring and matching steps
  // run all the same (a line under one momentary block measures at the floor).
  const double line_seconds = 0.05;
  const std::string root_1000 = host.home() + "/voxpair_1000", root_2000 = host.home() + "/voxpair_2000";
  make_lines(root_1000, 1000, line_seconds);
  make_lines(root_2000, 2000, line_seconds);

  bool met = true;
  std::printf("bilingual insertion, lines of %.2f s (goal: time(2000)/time(1000) <= %.1f)\n", line_seconds, GOAL);
  for (bool volMatch : {false, true}) {
    const figures t1000 = best_of(root_1000, volMatch);
    const figures t2000 = best_of(root_2000, volMatch);
    const double ratio = t2000.total / t1000.total;
    met = met && ratio <= GOAL;
    std::printf("  isVolMatch %-5s  1000 pairs %7.3f s  2000 pairs %7.3f s (processor time)  ratio %.2f  %s\n",
                volMatch ? "true" : "false", t1000.total, t2000.total, ratio, ratio <= GOAL ? "met" : "NOT met");
    std::printf("                    plug-in's own %7.3f s             %7.3f s                   ratio %.2f\n",
                t1000.own, t2000.own, t2000.own / t1000.own);
  }
  std::printf("%s\n", met ? "goal met" : "goal NOT met");
  host.reset_session();
  host.remove_sandbox();
  return 0;
}
