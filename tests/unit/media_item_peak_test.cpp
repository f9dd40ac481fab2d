// The peak profile of an item, read from a file source through the host's peaks.
#include <filesystem>
#include <string>
#include <vector>

#include "api/mediaItem.h"
#include "native.h"
#include "tests/support/audio_fixture.h"

// The simulated host's file source (its header would bring a second declaration of the
// host's source class next to the plug-in's own).
namespace sim {
PCM_source* open_file_source(const std::string& path);
}

namespace {

class PeakList : public mxtest::NativeTest {
 protected:
  void SetUp() override {
    NativeTest::SetUp();
    folder = host().home() + "/peaks";
    std::filesystem::create_directories(folder);
  }
  void TearDown() override {
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(host().take_violations().empty());
  }
  std::string folder;
};

TEST_F(PeakList, OneRecordPerMillisecondWithLevelsInDecibels) {
  // 8 samples per millisecond: window 0 peaks at 0.5 / -0.5, window 1 at 1.2 / -1.0,
  // window 2 is silent, window 3 reaches 0.00009, the rest is a full-scale square.
  const int rate = 8000;
  std::vector<float> samples(static_cast<size_t>(rate), 0.0f);
  samples[1] = 0.5f;
  samples[3] = -0.5f;
  samples[9] = 1.2f;
  samples[12] = -1.0f;
  samples[27] = 0.00009f;
  for (size_t i = 32; i < samples.size(); ++i) samples[i] = (i / 4) % 2 ? 1.0f : -1.0f;
  const std::string file = folder + "/peaks.wav";
  mxtest::audio::write(file, samples, 1, rate, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  MediaTrack* track = session().insert_track(session().active(), 0);
  MediaItem* item = session().add_item(track);
  item->position = 3.0;
  item->length = 1.0;
  session().add_take(item)->source = sim::open_file_source(file);
  MediaItem* kept = session().add_item(track);  // without takes
  std::vector<mx_object::mx_Peak> peaks(1);
  peaks[0].Time->set(-1.0);
  const auto peak_list = &mx_api::mediaItem::GetMediaItemPeakList;
  ASSERT_TRUE(peak_list(item, peaks));
  ASSERT_EQ(peaks.size(), 1001u);
  EXPECT_EQ(peaks[0].Time->value, -1.0) << "records already there stay first";
  struct Window {
    size_t index;
    double max, min;
  };
  for (const Window& w : {Window{1, -6.0206, -6.0206}, Window{2, 1.5836, 0.0}, Window{3, -80.0, -80.0},
                          Window{4, -80.0, -80.0}, Window{5, 0.0, 0.0}}) {
    const mx_object::mx_Peak& p = peaks[w.index];
    EXPECT_NEAR(p.Time->value, (w.index - 1) * 0.001, 1e-12) << w.index;
    EXPECT_EQ(p.MaxPeak->value, w.max) << w.index;
    EXPECT_EQ(p.MinPeak->value, w.min) << w.index;
    EXPECT_TRUE(p.Time->present && p.MaxPeak->present && p.MinPeak->present);
    EXPECT_FALSE(p.Frequency->present || p.Pos->present || p.PointVol->present);
  }
  EXPECT_NEAR(peaks.back().Time->value, 0.999, 1e-12);

  struct Length {
    double seconds;
    size_t records;
  };
  for (const Length& l : {Length{0.0015, 2}, Length{2.3456, 2346}}) {
    item->length = l.seconds;
    std::vector<mx_object::mx_Peak> list;
    ASSERT_TRUE(peak_list(item, list)) << l.seconds;
    EXPECT_EQ(list.size(), l.records) << l.seconds;
  }
  item->length = 0.0004;
  EXPECT_FALSE(peak_list(item, peaks));
  EXPECT_EQ(error_code(), 18);
  EXPECT_EQ(peaks.size(), 1001u);
  EXPECT_FALSE(peak_list(kept, peaks));
  EXPECT_EQ(error_code(), 12);
  EXPECT_FALSE(mx_api::mediaItem::GetMediaIdPeakList(nullptr, 9, peaks));
  EXPECT_EQ(error_code(), 11);
  EXPECT_FALSE(mx_api::mediaItem::GetSelectedMediaIdPeakList(nullptr, 0, peaks));
  EXPECT_EQ(error_code(), 11);
  EXPECT_EQ(peaks.size(), 1001u);
  item->length = 1.0;
  item->selected = true;
  std::vector<mx_object::mx_Peak> selected;
  ASSERT_TRUE(mx_api::mediaItem::GetSelectedMediaIdPeakList(nullptr, 0, selected));
  ASSERT_EQ(selected.size(), 1000u);
  EXPECT_EQ(selected[1].MaxPeak->value, 1.5836);
}

}  // namespace

namespace {

// The host reports at most 0xFFFFF peak samples per call: a line of twenty minutes is
// read in runs, and its last minutes carry their own levels instead of silence.
TEST_F(PeakList, LinesLongerThanOneHostAnswerAreReadWhole) {
  const int rate = 1000;  // one sample per window keeps the file small
  const size_t windows = 20 * 60 * 1000;
  std::vector<float> samples(windows, 0.25f);
  for (size_t i = windows - 1000; i < windows; ++i) samples[i] = 0.5f;  // the last second
  const std::string file = folder + "/long.wav";
  mxtest::audio::write(file, samples, 1, rate, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  MediaTrack* track = session().insert_track(session().active(), 0);
  MediaItem* item = session().add_item(track);
  item->position = 7.0;
  item->length = static_cast<double>(windows) / rate;
  session().add_take(item)->source = sim::open_file_source(file);
  std::vector<mx_object::mx_Peak> peaks;
  ASSERT_TRUE(mx_api::mediaItem::GetMediaItemPeakList(item, peaks));
  ASSERT_EQ(peaks.size(), windows);
  for (size_t j : {size_t{0}, size_t{0xFFFFE}, size_t{0xFFFFF}, size_t{0x100000}, windows - 1001}) {
    EXPECT_DOUBLE_EQ(peaks[j].MaxPeak->value, -12.0412) << "window " << j;
  }
  EXPECT_DOUBLE_EQ(peaks[windows - 1].MaxPeak->value, -6.0206);
  EXPECT_DOUBLE_EQ(peaks[windows - 1].Time->value, static_cast<double>(windows - 1) * 0.001);
}

}  // namespace
