// Loudness through the simulated host and its SWS stand-in: the maximum momentary
// loudness of an item against the BS.1770 reference, setting an item to a target and
// measuring it again, the status result, the index forms and the failures.
#include <cmath>
#include <string>
#include <vector>

#include "definitions.h"
#include "harness.h"
#include "simhost/source.h"
#include "tests/support/audio_fixture.h"

namespace {

using mxtest::HostTest;
namespace audio = mxtest::audio;

using Measure = int (*)(MediaItem*, double*, double*);
using MeasureAt = int (*)(ReaProject*, int, double*, double*);
using SetTarget = bool (*)(MediaItem*, double, double*);
using SetTargetAt = bool (*)(ReaProject*, int, double, double*);

constexpr int RATE = 48000;
// A 1 kHz sine at -20 dBFS in one channel measures -23 LUFS momentary (BS.1770); the
// K-weighting at 1 kHz and the -0.691 offset cancel to within a few hundredths of an LU.
constexpr double REFERENCE_AMPLITUDE = 0.1;
constexpr double REFERENCE_LUFS = -23.0;
constexpr double REFERENCE_TOLERANCE = 0.1;
constexpr double BLOCK = 0.4;

class Loudness : public HostTest {
 protected:
  // A take over a float WAV of `frames` (mono), on an item at `position` as long as the file.
  MediaItem* item_of(const std::vector<float>& frames, double position = 0.0, const std::string& name = "tone") {
    const std::string path = scratch_folder("loudness-" + name) + "/" + name + ".wav";
    audio::write(path, frames, 1, RATE, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    MediaItem* item = session().add_item(add_track(name));
    MediaItem_Take* take = session().add_take(item);
    take->source = sim::open_file_source(path);
    EXPECT_NE(take->source, nullptr) << path;
    item->position = position;
    item->length = static_cast<double>(frames.size()) / RATE;
    return item;
  }

  // Quiet blocks around one block at the reference level, so the maximum has one place.
  MediaItem* reference_item(double position, int quiet_blocks_before) {
    std::vector<float> frames = audio::sine(1000, 0.005, quiet_blocks_before * BLOCK, RATE);
    const std::vector<float> loud = audio::sine(1000, REFERENCE_AMPLITUDE, BLOCK, RATE);
    const std::vector<float> after = audio::sine(1000, 0.005, 2 * BLOCK, RATE);
    frames.insert(frames.end(), loud.begin(), loud.end());
    frames.insert(frames.end(), after.begin(), after.end());
    return item_of(frames, position, "reference");
  }

  Measure measure() { return api<Measure>("MX_GetMediaItemLoudnessMaxMomentary"); }
  SetTarget set_target() { return api<SetTarget>("MX_SetMediaItemLoudnessMaxMomentary"); }
};

TEST_F(Loudness, TheReferenceSineMeasuresMinus23LufsAtItsBlock) {
  for (int before : {0, 3}) {
    MediaItem* item = reference_item(10.0, before);
    double level = 0, position = 0;
    EXPECT_EQ(measure()(item, &level, &position), 0);
    EXPECT_EQ(error_code(), 0);
    EXPECT_NEAR(level, REFERENCE_LUFS, REFERENCE_TOLERANCE) << before;
    // The maximum's block starts `before` blocks after the item start, in project time.
    EXPECT_NEAR(position, 10.0 + before * BLOCK, 1e-9) << before;
  }
}

TEST_F(Loudness, TheScriptAdapterReturnsTheStatusAndHandsBackBothOutputs) {
  MediaItem* item = reference_item(2.0, 1);
  double level = 0, position = 0;
  EXPECT_EQ(call("GetMediaItemLoudnessMaxMomentary", item, &level, &position), 0);
  EXPECT_NEAR(level, REFERENCE_LUFS, REFERENCE_TOLERANCE);
  EXPECT_NEAR(position, 2.0 + BLOCK, 1e-9);
  EXPECT_EQ(call("GetMediaItemLoudnessMaxMomentary", session().add_item(add_track()), &level, &position), 1);
  EXPECT_EQ(error_code(), 12);
}

TEST_F(Loudness, IndexFormsMeasureTheItemTheyName) {
  MediaItem* first = item_of(audio::sine(1000, 0.05, 1.2, RATE), 0.0, "first");
  MediaItem* second = reference_item(5.0, 0);
  second->selected = true;
  double direct = 0, by_index = 0, by_selection = 0, position = 0;
  ASSERT_EQ(measure()(second, &direct, &position), 0);
  EXPECT_EQ(api<MeasureAt>("MX_GetMediaIdLoudnessMaxMomentary")(nullptr, 1, &by_index, &position), 0);
  EXPECT_EQ(api<MeasureAt>("MX_GetSelectedMediaIdLoudnessMaxMomentary")(project(), 0, &by_selection, &position),
            0);
  EXPECT_EQ(by_index, direct);
  EXPECT_EQ(by_selection, direct);
  double quieter = 0, first_direct = 0;
  ASSERT_EQ(measure()(first, &first_direct, &position), 0);
  EXPECT_EQ(api<MeasureAt>("MX_GetMediaIdLoudnessMaxMomentary")(nullptr, 0, &quieter, &position), 0);
  EXPECT_EQ(quieter, first_direct);
  EXPECT_LT(quieter, direct - 5.0);
  // Two items, one of them selected: past the end, or negative, names nothing.
  for (const auto& [name, index] : std::vector<std::pair<std::string, int>>{
           {"MX_GetMediaIdLoudnessMaxMomentary", 2},
           {"MX_GetMediaIdLoudnessMaxMomentary", -1},
           {"MX_GetSelectedMediaIdLoudnessMaxMomentary", 1},
           {"MX_GetSelectedMediaIdLoudnessMaxMomentary", -1}}) {
    EXPECT_EQ(api<MeasureAt>(name)(nullptr, index, &by_index, &position), 1) << name << " " << index;
    EXPECT_EQ(error_code(), 11) << name << " " << index;
  }
}

// Set-to-target, then measured again: the item lands on the target, whatever volume it
// started from, and the item volume follows the dB arithmetic of the one step.
TEST_F(Loudness, SettingATargetLandsWithinATenthOfAnLu) {
  struct Case {
    double start_dB, target;
  };
  for (const Case& c : {Case{0.0, -23.0}, Case{-2.0, -23.0}, Case{0.0, -16.0}, Case{3.5, -30.0}}) {
    MediaItem* item = reference_item(1.0, 2);
    item->volume = std::exp(c.start_dB * 0.115129254);
    double before = 0, ignored = 0, position = -1;
    ASSERT_EQ(measure()(item, &before, &ignored), 0);
    EXPECT_TRUE(set_target()(item, c.target, &position)) << c.target;
    EXPECT_EQ(error_code(), 0);
    // The output is the position of the maximum, not a level.
    EXPECT_NEAR(position, 1.0 + 2 * BLOCK, 1e-9);
    EXPECT_NEAR(20 * std::log10(item->volume), c.start_dB + (c.target - before), 1e-6);
    double after = 0;
    ASSERT_EQ(measure()(item, &after, &ignored), 0);
    EXPECT_NEAR(after, c.target, 0.1) << c.start_dB << " -> " << c.target;
  }
}

TEST_F(Loudness, IndexFormsSetTheItemTheyName) {
  MediaItem* other = reference_item(0.0, 0);
  MediaItem* item = reference_item(3.0, 1);
  item->selected = true;
  double position = 0;
  EXPECT_TRUE(api<SetTargetAt>("MX_SetSelectedMediaIdLoudnessMaxMomentary")(nullptr, 0, -30.0, &position));
  EXPECT_NE(item->volume, 1.0);
  EXPECT_EQ(other->volume, 1.0);
  EXPECT_TRUE(api<SetTargetAt>("MX_SetMediaIdLoudnessMaxMomentary")(project(), 0, -18.0, &position));
  EXPECT_GT(other->volume, 1.0);
  EXPECT_FALSE(api<SetTargetAt>("MX_SetMediaIdLoudnessMaxMomentary")(nullptr, 7, -18.0, &position));
  EXPECT_EQ(error_code(), 11);
}

// Every failure reports its code, answers 1 (measure) or false (set), and leaves the
// item volume alone.
TEST_F(Loudness, FailuresReportTheirCodeAndChangeNothing) {
  struct Case {
    const char* what;
    int code;
  };
  MediaItem* dead = reference_item(0.0, 0);
  session().delete_item(dead);
  MediaItem* no_take = session().add_item(add_track());
  MediaItem* no_source = session().add_item(add_track());
  session().add_take(no_source);
  const std::vector<std::pair<MediaItem*, Case>> cases = {
      {nullptr, {"null item", 11}},
      {dead, {"deleted item", 11}},
      {reinterpret_cast<MediaItem*>(add_track()), {"a track, not an item", 11}},
      {no_take, {"item without takes", 12}},
      {no_source, {"take without a source", 28}},
      {item_of(std::vector<float>(RATE, 0.0f), 0.0, "silence"), {"silence", 28}},
      {item_of(audio::sine(1000, 0.1, 0.3, RATE), 0.0, "short"), {"shorter than one block", 28}},
  };
  for (const auto& [item, c] : cases) {
    double level = 0, position = 0;
    EXPECT_EQ(measure()(item, &level, &position), 1) << c.what;
    EXPECT_EQ(error_code(), c.code) << c.what;
    const bool live = host().session().is_live(item, "MediaItem*");
    const double volume = live ? item->volume : 0.0;
    EXPECT_FALSE(set_target()(item, -23.0, &position)) << c.what;
    EXPECT_EQ(error_code(), c.code) << c.what;
    if (live) {
      EXPECT_EQ(item->volume, volume) << c.what;
    }
  }
}

TEST_F(Loudness, ATargetNoVolumeCanReachIsRefused) {
  MediaItem* item = reference_item(0.0, 0);
  for (double target : {std::nan(""), HUGE_VAL, 1e6}) {
    double position = 0;
    EXPECT_FALSE(set_target()(item, target, &position)) << target;
    EXPECT_EQ(error_code(), 23) << target;
    EXPECT_EQ(item->volume, 1.0) << target;
  }
}

TEST_F(Loudness, AHostThatRefusesTheVolumeGivesSetFailed) {
  MediaItem* item = reference_item(0.0, 0);
  session().refuse(item, "D_VOL");
  double position = 0;
  EXPECT_FALSE(set_target()(item, -23.0, &position));
  EXPECT_EQ(error_code(), 14);
  EXPECT_EQ(item->volume, 1.0);
}

TEST_F(Loudness, Definitions) {
  const auto def = [](const char* ret, const char* types, const char* names, const char* help) {
    return std::string(ret) + '\0' + types + '\0' + names + '\0' + help;
  };
  mxtest::expect_definitions({
      {"MX_GetMediaItemLoudnessMaxMomentary",
       def("void", "MediaItem*,double*,double*", "item,maxMomentaryOut,maxMomentaryPosOut",
           "Get Media Item Momenatary")},
      {"MX_GetMediaIdLoudnessMaxMomentary",
       def("void", "ReaProject*,int,double*,double*", "projID,itemID,maxMomentaryOut,maxMomentaryPosOut",
           "Get Media Id Momenatary")},
      {"MX_GetSelectedMediaIdLoudnessMaxMomentary",
       def("void", "ReaProject*,int,double*,double*", "projID,selectItemID,maxMomentaryOut,maxMomentaryPosOut",
           "Get Selected Media Id Momenatary")},
      {"MX_SetMediaItemLoudnessMaxMomentary",
       def("void", "MediaItem*,double,double*", "item,setMaxMomentary,maxMomentaryOut",
           "Set Media Item Momenatary")},
      {"MX_SetMediaIdLoudnessMaxMomentary",
       def("void", "ReaProject*,int,double,double*", "projID,itemID,setMaxMomentary,maxMomentaryOut",
           "Set Media Id Momenatary")},
      {"MX_SetSelectedMediaIdLoudnessMaxMomentary",
       def("void", "ReaProject*,int,double,double*", "projID,selectItemID,setMaxMomentary,maxMomentaryOut",
           "Set Selected Media Id Momenatary")},
  });
}

}  // namespace
