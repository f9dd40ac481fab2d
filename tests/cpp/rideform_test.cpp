// Level riding through the simulated host and its SWS stand-in: a spoken line comes out
// of the ride more even than it went in; short, silent and unreadable items end with a
// unity envelope and a success; the failures report their codes and leave the
// selection as it was.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "harness.h"
#include "simhost/dialogs.h"
#include "simhost/host_media.h"
#include "simhost/source.h"
#include "tests/support/audio_fixture.h"

namespace {

using mxtest::HostTest;
namespace audio = mxtest::audio;
namespace dialogs = sim::dialogs;

using Ride = bool (*)(MediaItem*, int);
using RideAt = bool (*)(ReaProject*, int, int);
using Analyze = bool (*)(MediaItem_Take*, bool, double*, double*, double*, double*, double*, double*, double*,
                         double*);

constexpr int RATE = 48000;
constexpr double BLOCK = 0.4;  // momentary loudness window
constexpr int NO = 7;

class Riding : public HostTest {
 protected:
  // An item over a float WAV of mono `frames`, as long as the file.
  MediaItem* item_of(const std::vector<float>& frames, const std::string& name = "line") {
    const std::string path = scratch_folder("ride-" + name + std::to_string(serial_++)) + "/" + name + ".wav";
    audio::write(path, frames, 1, RATE, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    return item_over(path, static_cast<double>(frames.size()) / RATE, name);
  }
  MediaItem* item_over(const std::string& path, double length, const std::string& name) {
    MediaItem* item = session().add_item(add_track(name));
    MediaItem_Take* take = session().add_take(item);
    take->name = name;
    take->source = sim::open_file_source(path);
    item->length = length;
    return item;
  }

  // Syllable-like bursts: a tone whose level steps between loud and soft every 120 ms.
  static std::vector<float> uneven_line(double seconds) {
    std::vector<float> frames = audio::sine(220, 1.0, seconds, RATE);
    const double levels[] = {0.9, 0.15, 0.5, 0.05, 0.7, 0.3};
    for (size_t i = 0; i < frames.size(); ++i) {
      const size_t step = static_cast<size_t>(static_cast<double>(i) / RATE / 0.12);
      frames[i] *= static_cast<float>(levels[step % 6]);
    }
    return frames;
  }

  Ride ride() { return api<Ride>("MX_SetMediaItemRIDEFORM"); }

  static TrackEnvelope* volume_of(MediaItem_Take* take) {
    for (TrackEnvelope* e : take->envelopes)
      if (e->name == "Volume") return e;
    return nullptr;
  }
  // The points of the take's volume envelope as (time, amplitude).
  static std::vector<std::pair<double, double>> volume_points(MediaItem_Take* take) {
    std::vector<std::pair<double, double>> out;
    if (TrackEnvelope* e = volume_of(take))
      for (const EnvelopePoint& p : e->points) out.push_back({p.time, sim::media::scale_from_mode(sim::media::scaling_mode(*e), p.value)});
    return out;
  }

  // Momentary loudness of every whole 400 ms block of a file, each block measured on
  // its own by the SWS stand-in through an item that plays just that block.
  std::vector<double> block_loudness(const std::string& path, double length) {
    auto analyze = api<Analyze>("NF_AnalyzeTakeLoudness2");
    std::vector<double> out;
    for (int b = 0; (b + 1) * BLOCK <= length + 1e-9; ++b) {
      MediaItem* item = item_over(path, BLOCK, "block");
      item->takes[0]->start_offset = b * BLOCK;
      double lufs = 0, range = 0, peak = 0, peak_pos = 0, short_max = 0, momentary = 0, short_pos = 0, pos = 0;
      EXPECT_TRUE(analyze(item->takes[0], false, &lufs, &range, &peak, &peak_pos, &short_max, &momentary, &short_pos, &pos));
      out.push_back(momentary);
      session().delete_item(item);
    }
    return out;
  }

  int serial_ = 0;
};

double spread(const std::vector<double>& v) {
  double mean = 0;
  for (double x : v) mean += x;
  mean /= static_cast<double>(v.size());
  double sq = 0;
  for (double x : v) sq += (x - mean) * (x - mean);
  return std::sqrt(sq / static_cast<double>(v.size()));
}

TEST_F(Riding, ASpokenLineComesOutWithASmallerSpreadOfMomentaryLoudness) {
  const std::string spoken = audio::speak(scratch_folder("speech") + "/line.wav",
                                          "Get down! They are coming over the ridge, and we have no time left.");
  ASSERT_FALSE(spoken.empty()) << "espeak-ng did not speak";
  const audio::Audio line = audio::read(spoken);
  ASSERT_GT(line.rate, 0);
  const double length = static_cast<double>(line.frames.size() / static_cast<size_t>(line.channels)) / line.rate;
  MediaItem* item = item_over(spoken, length, "line");
  MediaItem_Take* original = item->takes[0];

  ASSERT_TRUE(ride()(item, 0));
  EXPECT_EQ(error_code(), 0);
  ASSERT_EQ(item->takes.size(), 2u);
  MediaItem_Take* rendered = item->active();
  ASSERT_NE(rendered, original);
  EXPECT_EQ(rendered->name, "line");  // the rendered take keeps its source take's name

  const std::vector<std::pair<double, double>> points = volume_points(original);
  ASSERT_GT(points.size(), 10u);
  double lowest = 1.0;
  for (const auto& [time, amplitude] : points) {
    EXPECT_TRUE(std::isfinite(time) && std::isfinite(amplitude));
    lowest = std::min(lowest, amplitude);
  }
  EXPECT_LT(lowest, 1.0) << "the loudest syllables are pulled down";

  const std::vector<double> before = block_loudness(spoken, length);
  const std::vector<double> after = block_loudness(rendered->source->GetFileName(), length);
  ASSERT_EQ(before.size(), after.size());
  // Inside the line: the blocks where the original speaks.
  std::vector<double> voiced_before, voiced_after;
  for (size_t b = 0; b < before.size(); ++b) {
    if (before[b] > -50.0) {
      voiced_before.push_back(before[b]);
      voiced_after.push_back(after[b]);
    }
  }
  ASSERT_GE(voiced_before.size(), 4u);
  std::printf("momentary loudness spread inside the line: %.2f LU before, %.2f LU after\n", spread(voiced_before),
              spread(voiced_after));
  EXPECT_LT(spread(voiced_after), spread(voiced_before))
      << "spread before " << spread(voiced_before) << " LU, after " << spread(voiced_after) << " LU";
}

TEST_F(Riding, ShortSilentAndUnreadableItemsEndAtUnityAndSucceed) {
  struct Case {
    const char* what;
    double seconds;
    double amplitude;
  } cases[] = {
      {"empty", 0.0, 0.5},       {"below half a millisecond", 0.0004, 0.5},
      {"just above", 0.0006, 0.5}, {"five entries", 0.005, 0.5},
      {"digital silence", 0.5, 0.0},
  };
  for (const Case& c : cases) {
    std::vector<float> frames = audio::sine(440, c.amplitude, std::max(c.seconds, 0.01), RATE);
    MediaItem* item = item_of(frames, "short");
    item->length = c.seconds;
    ASSERT_TRUE(ride()(item, 0)) << c.what;
    EXPECT_EQ(error_code(), 0) << c.what;
    for (const auto& [time, amplitude] : volume_points(item->takes[0])) {
      EXPECT_TRUE(std::isfinite(time)) << c.what;
      EXPECT_NEAR(amplitude, 1.0, 1e-9) << c.what;
    }
    const auto points = volume_points(item->takes[0]);
    if (c.seconds < 0.006) {
      EXPECT_LE(points.size(), 1u) << c.what;
    } else {
      // Thinning leaves the first and the last window's point, at their entry 5.
      ASSERT_GE(points.size(), 2u) << c.what;
      EXPECT_LE(points.size(), 3u) << c.what;
      EXPECT_DOUBLE_EQ(points.front().first, 0.004) << c.what;
      EXPECT_DOUBLE_EQ(points.back().first, c.seconds - 0.006) << c.what;
    }
  }

  // A take whose file cannot be read: the host gives no peaks, the ride still succeeds.
  const std::string broken = scratch_folder("broken") + "/broken.wav";
  FILE* f = std::fopen(broken.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("not audio", f);
  std::fclose(f);
  MediaItem* unreadable = item_over(broken, 1.0, "broken");
  EXPECT_TRUE(ride()(unreadable, 0));
  EXPECT_EQ(error_code(), 0);
  for (const auto& [time, amplitude] : volume_points(unreadable->takes[0])) EXPECT_NEAR(amplitude, 1.0, 1e-9);
}

TEST_F(Riding, RatioTypesOutsideTheTableBehaveAsTheirEnds) {
  const std::vector<float> frames = uneven_line(1.5);
  auto points_for = [&](int type) {
    MediaItem* item = item_of(frames);
    EXPECT_TRUE(ride()(item, type)) << type;
    return volume_points(item->takes[0]);
  };
  const auto gentle = points_for(0);
  const auto hard = points_for(3);
  EXPECT_NE(gentle, hard);
  EXPECT_EQ(points_for(-5), gentle);
  EXPECT_EQ(points_for(7), hard);
  for (const auto& [time, amplitude] : hard) EXPECT_TRUE(std::isfinite(amplitude) && amplitude > 0.0) << time;
}

TEST_F(Riding, SelectionComesBackAsItWas) {
  MediaItem* ridden = item_of(uneven_line(0.5), "ridden");
  MediaItem* other = item_of(uneven_line(0.5), "other");
  other->selected = true;
  ASSERT_TRUE(ride()(ridden, 1));
  EXPECT_TRUE(other->selected);
  EXPECT_FALSE(ridden->selected);
  ridden->selected = true;
  TrackEnvelope* pan = session().add_envelope(ridden->active(), "Pan");
  pan->active = pan->visible = true;
  MediaItem_Take* before = ridden->active();
  ASSERT_TRUE(ride()(ridden, 1));
  EXPECT_TRUE(other->selected && ridden->selected);
  // The take's other envelopes are switched off and stay so; its volume envelope is on.
  EXPECT_FALSE(pan->active || pan->visible);
  ASSERT_NE(volume_of(before), nullptr);
  EXPECT_TRUE(volume_of(before)->active && volume_of(before)->visible);
}

TEST_F(Riding, ItemsThatNameNothingReportTheirCodes) {
  MediaItem* dead = item_of(uneven_line(0.2), "dead");
  session().delete_item(dead);
  EXPECT_FALSE(ride()(dead, 0));
  EXPECT_EQ(error_code(), 11);
  EXPECT_FALSE(ride()(nullptr, 0));
  EXPECT_EQ(error_code(), 11);
  MediaItem* takeless = session().add_item(add_track("none"));
  EXPECT_FALSE(ride()(takeless, 0));
  EXPECT_EQ(error_code(), 12);

  host().reset_session();
  EXPECT_EQ(call("SetMediaIdRIDEFORM", nullptr, 99, 0), 0);
  EXPECT_EQ(error_code(), 11);
  EXPECT_EQ(call("SetSelectedMediaIdRIDEFORM", nullptr, 0, 0), 0);
  EXPECT_EQ(error_code(), 11);  // nothing selected

  MediaItem* item = item_of(uneven_line(0.3));
  item->selected = true;
  EXPECT_EQ(call("SetSelectedMediaIdRIDEFORM", nullptr, 0, 2), 1);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(item->takes.size(), 2u);
  // Each ride renders anew: the item is cropped to its active take and gains a render.
  MediaItem_Take* first_render = item->active();
  EXPECT_EQ(call("SetMediaIdRIDEFORM", nullptr, 0, 2), 1);
  EXPECT_EQ(item->takes.size(), 2u);
  EXPECT_NE(item->active(), first_render);
  EXPECT_EQ(call("SetMediaItemRIDEFORM", item, 2), 1);
  EXPECT_EQ(error_code(), 0);
}

TEST_F(Riding, WithoutOneSwsFunctionTheDialogComesFirstAndNothingChanges) {
  for (const char* missing : {"BR_EnvAlloc", "BR_EnvGetPoint", "BR_EnvSetProperties"}) {
    host().reset_session();
    MediaItem* item = item_of(uneven_line(0.3));
    ASSERT_TRUE(host().withdraw(missing)) << missing;
    const size_t shown = dialogs::log().size();
    for (MediaItem* target : {item, static_cast<MediaItem*>(nullptr)}) {
      dialogs::answer_message_box(NO);
      EXPECT_FALSE(ride()(target, 0)) << missing;
      EXPECT_EQ(error_code(), 25) << missing;
    }
    ASSERT_EQ(dialogs::log().size(), shown + 2) << missing;
    EXPECT_NE(dialogs::log().back().text.find("MX_SetMediaItemRideform"), std::string::npos);
    EXPECT_EQ(item->takes.size(), 1u);
    EXPECT_EQ(volume_of(item->takes[0]), nullptr) << missing;
    EXPECT_TRUE(sim::media::command_log().empty()) << missing;
  }
}

}  // namespace
struct BR_Envelope;
namespace {

// An SWS that cannot take the envelope up.
BR_Envelope* no_handle(TrackEnvelope*, bool) { return nullptr; }

TEST_F(Riding, WithoutAnEnvelopeToWriteTheRideFailsAndRestoresTheSelection) {
  void* const real_alloc = host().registered("API_BR_EnvAlloc");
  ASSERT_NE(real_alloc, nullptr);
  for (int way = 0; way < 2; ++way) {
    host().reset_session();
    MediaItem* item = item_of(uneven_line(0.3));
    MediaItem* other = item_of(uneven_line(0.3), "other");
    other->selected = true;
    if (way == 0) {
      session().refuse(item, "40693");  // the toggle leaves the take without a volume envelope
    } else {
      host().plugin_register("API_BR_EnvAlloc", reinterpret_cast<void*>(&no_handle));
    }
    EXPECT_FALSE(ride()(item, 0)) << way;
    if (way == 1) host().plugin_register("API_BR_EnvAlloc", real_alloc);  // later tests get the stand-in's
    EXPECT_EQ(error_code(), 14) << way;
    EXPECT_TRUE(other->selected) << way;
    EXPECT_FALSE(item->selected) << way;
    EXPECT_EQ(item->takes.size(), 1u) << way << ": nothing is rendered";
  }
}

}  // namespace
