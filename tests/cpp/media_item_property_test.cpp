// The native media item library's properties: each conversion on the item form, the
// four index forms with their checks and their order, the lookups and the counters.
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "media_fixture.h"

namespace {

using mxtest::MediaTest;

class MediaProperties : public MediaTest {};

TEST_F(MediaProperties, ReadsConvertLevelsFadesAndFramesAsTheHostStoresThem) {
  MediaTrack* track = add_track("A");
  MediaItem* item = item_on(track, 0, 1);
  struct Case {
    double vol;
    double expected_dB;
  };
  auto volume = MX_NATIVE(GetMediaItemVolume);
  for (const Case& c : {Case{0.5, -6.02}, Case{1.0, 0.0}, Case{2.0, 6.02}, Case{0.0, -HUGE_VAL}}) {
    item->volume = c.vol;
    double dB = 123;
    ASSERT_TRUE(volume(item, &dB)) << c.vol;
    EXPECT_EQ(dB, c.expected_dB) << c.vol;
  }

  item->fade_in_len = 0.126;
  item->fade_out_len = 1.004;
  item->fade_in_shape = 3;
  item->fade_out_shape = 5;
  int in_shape = -1, out_shape = -1;
  double in_len = -1, out_len = -1;
  ASSERT_TRUE(MX_NATIVE(GetMediaItemFade)(item, &in_shape, &in_len, &out_shape, &out_len));
  EXPECT_EQ(in_shape, 3);
  EXPECT_EQ(out_shape, 5);
  EXPECT_DOUBLE_EQ(in_len, 0.13);
  EXPECT_DOUBLE_EQ(out_len, 1.0);

  // Frames truncate toward zero, and a time exactly on a frame boundary is that frame
  // even where the floating-point product lands a hair below it.
  struct Frames {
    double fps, seconds;
    int frame;
  };
  auto start_frame = MX_NATIVE(GetMediaItemStartTimeFrame);
  for (const Frames& c : {Frames{30, 0.999, 29}, Frames{25, 0.999, 24}, Frames{25, 1.16, 29}, Frames{25, 2.76, 69},
                          Frames{29.97, 10.0, 299}, Frames{24, 0.0, 0}, Frames{30, 3600.0, 108000}}) {
    project()->frame_rate = c.fps;
    item->position = c.seconds;
    int frame = -1;
    ASSERT_TRUE(start_frame(item, &frame));
    EXPECT_EQ(frame, c.frame) << c.seconds << " s at " << c.fps;
  }
  project()->frame_rate = 25;
  item->position = 1.5;
  item->length = 1.26;
  int end_frame = -1;
  double end = -1;
  ASSERT_TRUE(MX_NATIVE(GetMediaItemEndTimeFrame)(item, &end_frame));
  ASSERT_TRUE(MX_NATIVE(GetMediaItemEndTime)(item, &end));
  EXPECT_EQ(end_frame, 69);
  EXPECT_DOUBLE_EQ(end, 2.76);
}

TEST_F(MediaProperties, ChannelCountFollowsTheChannelModeOfTheActiveTake) {
  MediaTrack* track = add_track();
  MediaItem* mono = item_on(track, 0, 1);
  MediaItem* stereo = item_on(track, 1, 1);
  MediaItem_Take* mono_take = take_of(mono, "m", tone("mono.wav", 0.1, 1));
  MediaItem_Take* stereo_take = take_of(stereo, "s", tone("stereo.wav", 0.1, 2));
  struct Case {
    MediaItem_Take* take;
    int mode, channels;
  };
  auto count = MX_NATIVE(GetMediaItemNumChannels);
  for (const Case& c : {Case{mono_take, 0, 1}, Case{mono_take, 67, 1}, Case{stereo_take, 0, 2},
                        Case{stereo_take, 1, 2}, Case{stereo_take, 2, 1}, Case{stereo_take, 3, 1},
                        Case{stereo_take, 66, 1}, Case{stereo_take, 67, 2}}) {
    c.take->chan_mode = c.mode;
    int channels = -1;
    ASSERT_TRUE(count(c.take->item, &channels));
    EXPECT_EQ(channels, c.channels) << "mode " << c.mode;
  }
  int rate = 0, bits = 0;
  ASSERT_TRUE(MX_NATIVE(GetMediaItemSampleRate)(stereo, &rate));
  ASSERT_TRUE(MX_NATIVE(GetMediaItemBitRate)(stereo, &bits));
  EXPECT_EQ(rate, 8000);
  EXPECT_EQ(bits, 16);
}

TEST_F(MediaProperties, SourceQueriesCheckItemTakeAndSourceInThatOrder) {
  MediaTrack* track = add_track();
  MediaItem* without_take = item_on(track, 0, 1);
  MediaItem* without_source = item_on(track, 1, 1);
  take_of(without_source);
  MediaItem* dead = item_on(track, 2, 1);
  session().delete_item(dead);
  struct Case {
    MediaItem* item;
    int code;
  };
  for (const auto& query : {MX_NATIVE(GetMediaItemBitRate), MX_NATIVE(GetMediaItemSampleRate),
                            MX_NATIVE(GetMediaItemNumChannels)}) {
    for (const Case& c : {Case{dead, 11}, Case{nullptr, 11}, Case{reinterpret_cast<MediaItem*>(track), 11},
                          Case{without_take, 12}, Case{without_source, 13}}) {
      int out = 77;
      EXPECT_FALSE(query(c.item, &out));
      EXPECT_EQ(error_code(), c.code);
      EXPECT_EQ(out, 77) << "an output is written only on success";
    }
  }
}

TEST_F(MediaProperties, TakeNamesLoseTheirExtensionFromTheFirstDotAndFitTheBuffer) {
  MediaItem* item = item_on(add_track(), 0, 1);
  MediaItem_Take* take = take_of(item);
  struct Case {
    const char* name;
    int size;
    std::string expected;
  };
  auto get = MX_NATIVE(GetMediaItemName);
  for (const Case& c : {Case{"line_01.take.wav", 64, "line_01"}, Case{"line_01.take.wav", 4, "lin"},
                        Case{"take.wav", 64, "take"}, Case{"a.b.c", 64, "a"}, Case{"ends.", 64, "ends."},
                        Case{"a..", 64, "a"}, Case{".hidden", 64, ""}, Case{"one.x\ntwo.y", 64, "one\ntwo"},
                        Case{"plain", 1, ""}}) {
    take->name = c.name;
    char buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    ASSERT_TRUE(get(item, buffer, c.size)) << c.name;
    EXPECT_EQ(std::string(buffer), c.expected) << c.name << " in " << c.size;
  }
  char untouched[4] = {'x', 'x', 'x', 'x'};
  EXPECT_TRUE(get(item, untouched, 0));
  EXPECT_EQ(untouched[0], 'x');

  // Names are cut to 1023 bytes when stored.
  const std::string long_name(100 * 1024, 'n');
  ASSERT_TRUE(MX_NATIVE(SetMediaItemName)(item, long_name.c_str()));
  EXPECT_EQ(take->name, long_name.substr(0, 1023));
  EXPECT_TRUE(MX_NATIVE(SetMediaItemName)(item, nullptr));
  EXPECT_EQ(take->name, "");
}

TEST_F(MediaProperties, WritesConvertAndRefuseWhatTheItemCannotTake) {
  MediaItem* item = item_on(add_track(), 4, 10);
  MediaItem_Take* take = take_of(item);
  ASSERT_TRUE(MX_NATIVE(SetMediaItemVolume)(item, -6.0));
  EXPECT_DOUBLE_EQ(item->volume, std::exp(-6.0 * 0.115129254));
  ASSERT_TRUE(MX_NATIVE(SetMediaItemAddVolume)(item, 3.0));
  EXPECT_DOUBLE_EQ(item->volume, std::exp((20 * std::log10(std::exp(-6.0 * 0.115129254)) + 3.0) * 0.115129254));
  item->volume = 0;
  ASSERT_TRUE(MX_NATIVE(SetMediaItemAddVolume)(item, 6.0));
  EXPECT_EQ(item->volume, 0.0);

  take->pitch = 1.5;
  ASSERT_TRUE(MX_NATIVE(SetMediaItemAddPitch)(item, -2.0));
  EXPECT_DOUBLE_EQ(take->pitch, -0.5);
  ASSERT_TRUE(MX_NATIVE(SetMediaItemChannelMode)(item, 3));
  EXPECT_EQ(take->chan_mode, 3);
  ASSERT_TRUE(MX_NATIVE(SetMediaItemMute)(item, true));
  EXPECT_TRUE(item->mute);

  // A negative or undefined start is refused and the item stays; 0 is a start.
  auto set_start = MX_NATIVE(SetMediaItemStartTimeSeconds);
  for (double bad : {-0.001, -HUGE_VAL, HUGE_VAL, std::nan("")}) {
    EXPECT_FALSE(set_start(item, bad));
    EXPECT_EQ(error_code(), 15);
    EXPECT_EQ(item->position, 4.0);
  }
  EXPECT_TRUE(set_start(item, 0.0));
  EXPECT_EQ(item->position, 0.0);
  EXPECT_FALSE(MX_NATIVE(SetMediaItemVolume)(item, std::nan("")));
  EXPECT_EQ(error_code(), 15);

  // The play rate keeps the played part of the source and the fades in proportion.
  item->length = 10;
  item->fade_in_len = 1;
  item->fade_out_len = 2;
  ASSERT_TRUE(MX_NATIVE(SetMediaItemRate)(item, 2.0));
  EXPECT_DOUBLE_EQ(item->length, 5.0);
  EXPECT_DOUBLE_EQ(item->fade_in_len, 0.5);
  EXPECT_DOUBLE_EQ(item->fade_out_len, 1.0);
  EXPECT_DOUBLE_EQ(take->play_rate, 2.0);
  for (double bad : {0.0, -1.0, std::nan("")}) {
    EXPECT_FALSE(MX_NATIVE(SetMediaItemRate)(item, bad));
    EXPECT_EQ(error_code(), 15);
    EXPECT_DOUBLE_EQ(item->length, 5.0);
  }
}

TEST_F(MediaProperties, FrameStartUsesTheItemsOwnProjectRate) {
  project()->frame_rate = 30;
  ReaProject* other = session().new_project();
  other->frame_rate = 25;
  MediaTrack* track = session().insert_track(other, 0);
  MediaItem* item = item_on(track, 0, 1);
  ASSERT_TRUE(MX_NATIVE(SetMediaItemStartTimeFrame)(item, 50));
  EXPECT_DOUBLE_EQ(item->position, 2.0);
  int frame = -1;
  ASSERT_TRUE(MX_NATIVE(GetMediaItemStartTimeFrame)(item, &frame));
  EXPECT_EQ(frame, 50);
  EXPECT_FALSE(MX_NATIVE(SetMediaItemStartTimeFrame)(item, -1));
  EXPECT_EQ(error_code(), 15);
  EXPECT_DOUBLE_EQ(item->position, 2.0);
}

TEST_F(MediaProperties, ARefusedFieldIsReportedAfterTheOthersAreStored) {
  MediaItem* item = item_on(add_track(), 0, 10);
  MediaItem_Take* take = take_of(item);
  session().refuse(item, "D_FADEINLEN");
  EXPECT_FALSE(MX_NATIVE(SetMediaItemFade)(item, 2, 1.0, 4, 3.0));
  EXPECT_EQ(error_code(), 14);
  EXPECT_EQ(item->fade_in_shape, 2);
  EXPECT_EQ(item->fade_out_shape, 4);
  EXPECT_EQ(item->fade_in_len, 0.0);
  EXPECT_EQ(item->fade_out_len, 3.0);

  session().refuse(item, "D_LENGTH");
  EXPECT_FALSE(MX_NATIVE(SetMediaItemRate)(item, 2.0));
  EXPECT_EQ(error_code(), 14);
  EXPECT_EQ(item->length, 10.0);
  EXPECT_DOUBLE_EQ(take->play_rate, 2.0);
  EXPECT_DOUBLE_EQ(item->fade_out_len, 1.5);

  // Single-field setters stop at the refusal and do not redraw.
  session().refuse(item, "B_MUTE");
  const int redraws = session().update_arrange_count;
  EXPECT_FALSE(MX_NATIVE(SetMediaItemMute)(item, true));
  EXPECT_EQ(error_code(), 14);
  EXPECT_FALSE(item->mute);
  EXPECT_EQ(session().update_arrange_count, redraws);
}

// Every index form of one family, as calls that read the item's mute.
struct Form {
  const char* name;
  std::function<bool(ReaProject*, int first, int second, bool*)> call;
};

std::vector<Form> mute_forms() {
  return {{"all", [](ReaProject* p, int a, int, bool* out) { return MX_NATIVE(GetMediaMute)(p, a, out); }},
          {"selected", [](ReaProject* p, int a, int, bool* out) { return MX_NATIVE(GetSelectedMediaMute)(p, a, out); }},
          {"track", [](ReaProject* p, int a, int b, bool* out) { return MX_NATIVE(GetTrackMediaMute)(p, a, b, out); }},
          {"selected track",
           [](ReaProject* p, int a, int b, bool* out) { return MX_NATIVE(GetSelectedTrackMediaMute)(p, a, b, out); }}};
}

TEST_F(MediaProperties, IndexFormsFindTheirItemAndReportTrackBeforeItem) {
  MediaTrack* first = add_track("first");
  MediaTrack* second = add_track("second");
  item_on(first, 0, 1);
  MediaItem* target = item_on(second, 5, 1);
  item_on(second, 9, 1)->selected = true;
  target->mute = true;
  target->selected = true;
  second->selected = true;
  const auto forms = mute_forms();
  struct Case {
    size_t form;
    int a, b;
    bool ok;
    int code;
  };
  // "all" counts track by track; "selected" counts the selected items in that order;
  // the track forms name the track first, then the item on it.
  const std::vector<Case> cases = {
      {0, 1, 0, true, 0},        {1, 0, 0, true, 0},        {2, 1, 0, true, 0},         {3, 0, 0, true, 0},
      {0, 3, 0, false, 11},      {0, -1, 0, false, 11},     {0, INT_MIN, 0, false, 11}, {0, INT_MAX, 0, false, 11},
      {1, 2, 0, false, 11},      {2, 2, 0, false, 10},      {2, -1, 0, false, 10},      {2, INT_MAX, INT_MAX, false, 10},
      {2, 1, 2, false, 11},      {2, 1, INT_MIN, false, 11}, {3, 1, 0, false, 10},     {3, 0, 5, false, 11}};
  for (const Case& c : cases) {
    bool out = false;
    const bool ok = forms[c.form].call(nullptr, c.a, c.b, &out);
    EXPECT_EQ(ok, c.ok) << forms[c.form].name << " " << c.a << "," << c.b;
    EXPECT_EQ(error_code(), c.code) << forms[c.form].name << " " << c.a << "," << c.b;
    EXPECT_EQ(out, c.ok) << forms[c.form].name;
  }
  // A project pointer that names no open project never reaches the host.
  for (size_t f = 0; f < forms.size(); ++f) {
    bool out = false;
    EXPECT_FALSE(forms[f].call(reinterpret_cast<ReaProject*>(target), 0, 0, &out)) << forms[f].name;
    EXPECT_EQ(error_code(), 23) << forms[f].name;
  }
}

TEST_F(MediaProperties, AFormClearsTheCodeAndTheItemFormClearsItAgain) {
  MediaTrack* track = add_track();
  item_on(track, 0, 1);
  clear_sink_journal();
  bool out = false;
  EXPECT_FALSE(MX_NATIVE(GetMediaMute)(nullptr, 7, &out));
  EXPECT_EQ(sink_journal(), (std::vector<int>{-1, -1, 11}));
  clear_sink_journal();
  EXPECT_FALSE(MX_NATIVE(GetTrackMediaMute)(nullptr, 7, 0, &out));
  EXPECT_EQ(sink_journal(), (std::vector<int>{-1, 10}));
  clear_sink_journal();
  EXPECT_TRUE(MX_NATIVE(GetTrackMediaMute)(nullptr, 0, 0, &out));
  EXPECT_EQ(sink_journal(), (std::vector<int>{-1, -1}));
}

TEST_F(MediaProperties, SettersOfEveryFormChangeOnlyTheItemTheyName) {
  MediaTrack* track = add_track();
  MediaItem* a = item_on(track, 0, 1);
  MediaItem* b = item_on(track, 2, 1);
  take_of(a);
  MediaItem_Take* tb = take_of(b);
  b->selected = true;
  track->selected = true;
  ASSERT_TRUE(MX_NATIVE(SetMediaPitch)(nullptr, 1, 2.0));
  ASSERT_TRUE(MX_NATIVE(SetSelectedMediaAddPitch)(nullptr, 0, 1.0));
  ASSERT_TRUE(MX_NATIVE(SetTrackMediaAddPitch)(nullptr, 0, 1, 0.5));
  ASSERT_TRUE(MX_NATIVE(SetSelectedTrackMediaAddPitch)(nullptr, 0, 1, 0.25));
  EXPECT_DOUBLE_EQ(tb->pitch, 3.75);
  EXPECT_EQ(a->takes[0]->pitch, 0.0);
  char name[16];
  ASSERT_TRUE(MX_NATIVE(SetSelectedTrackMediaName)(nullptr, 0, 1, "b.wav"));
  ASSERT_TRUE(MX_NATIVE(GetTrackMediaName)(nullptr, 0, 1, name, sizeof name));
  EXPECT_EQ(std::string(name), "b");
  EXPECT_EQ(a->takes[0]->name, "take");
}

TEST_F(MediaProperties, LookupsCheckTheSelectionTypeBeforeAskingTheHost) {
  MediaTrack* track = add_track();
  MediaItem* a = item_on(track, 0, 1);
  MediaItem* b = item_on(track, 1, 1);
  b->selected = true;
  track->selected = true;
  auto select = MX_NATIVE(GetMediaItemSelect);
  auto on_track = MX_NATIVE(GetMediaTrackItemSelect);
  EXPECT_EQ(select(nullptr, 0, 0), a);
  EXPECT_EQ(select(nullptr, 0, 1), b);
  EXPECT_EQ(on_track(nullptr, 0, 1, 0), b);
  EXPECT_EQ(on_track(nullptr, 0, 1, 1), b);
  struct Case {
    std::function<MediaItem*()> lookup;
    int code;
  };
  const std::vector<Case> failing = {
      {[&] { return select(nullptr, 0, 2); }, 19},         {[&] { return select(nullptr, 0, -1); }, 19},
      {[&] { return select(nullptr, 2, 0); }, 11},         {[&] { return select(nullptr, 1, 1); }, 11},
      {[&] { return select(nullptr, INT_MIN, 0); }, 11},   {[&] { return on_track(nullptr, 0, 0, 2); }, 19},
      {[&] { return on_track(nullptr, 5, 0, 0); }, 11},    {[&] { return on_track(nullptr, INT_MIN, 0, 1); }, 11},
      {[&] { return on_track(nullptr, 0, INT_MAX, 0); }, 11}};
  for (size_t i = 0; i < failing.size(); ++i) {
    EXPECT_EQ(failing[i].lookup(), nullptr) << i;
    EXPECT_EQ(error_code(), failing[i].code) << i;
  }
}

TEST_F(MediaProperties, CountersMatchSourceTypesIgnoringCaseAndWavFindsWave) {
  MediaTrack* first = add_track();
  MediaTrack* second = add_track();
  const std::string wav = tone("a.wav", 0.1);
  const std::string flac = tone("b.flac", 0.1, 1, 8000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  take_of(item_on(first, 0, 1), "a", wav);
  take_of(item_on(first, 1, 1), "b", flac);
  item_on(first, 2, 1)->selected = true;  // no take: never matches
  MediaItem* selected_wav = item_on(second, 0, 1);
  take_of(selected_wav, "c", wav);
  selected_wav->selected = true;
  take_of(item_on(second, 1, 1));  // a take without a source
  second->selected = true;
  struct Case {
    std::function<bool(const char*, int*, int*)> count;
    const char* type;
    int count_expected, matching;
  };
  const std::vector<Case> cases = {
      {[](const char* t, int* c, int* m) { return MX_NATIVE(GetMediaTypeCount)(nullptr, t, c, m); }, "wav", 5, 2},
      {[](const char* t, int* c, int* m) { return MX_NATIVE(GetMediaTypeCount)(nullptr, t, c, m); }, "WaVe", 5, 2},
      {[](const char* t, int* c, int* m) { return MX_NATIVE(GetMediaTypeCount)(nullptr, t, c, m); }, "flac", 5, 1},
      {[](const char* t, int* c, int* m) { return MX_NATIVE(GetMediaTypeCount)(nullptr, t, c, m); }, "", 5, 5},
      {[](const char* t, int* c, int* m) { return MX_NATIVE(GetMediaTypeCount)(nullptr, t, c, m); }, nullptr, 5, 5},
      {[](const char* t, int* c, int* m) { return MX_NATIVE(GetMediaTypeCount)(nullptr, t, c, m); }, "mp3", 5, 0},
      {[](const char* t, int* c, int* m) { return MX_NATIVE(GetSelectedMediaTypeCount)(nullptr, t, c, m); }, "wav",
       2, 1},
      {[&](const char* t, int* c, int* m) { return MX_NATIVE(GetTrackItemMediaTypeCount)(first, t, c, m); }, "wav", 3,
       1},
      {[](const char* t, int* c, int* m) { return MX_NATIVE(GetTrackMediaTypeCount)(nullptr, 1, t, c, m); }, "wav", 2,
       1},
      {[](const char* t, int* c, int* m) { return MX_NATIVE(GetSelectedTrackMediaTypeCount)(nullptr, 0, t, c, m); },
       "", 2, 2},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    int count = -1, matching = -1;
    ASSERT_TRUE(cases[i].count(cases[i].type, &count, &matching)) << i;
    EXPECT_EQ(count, cases[i].count_expected) << i;
    EXPECT_EQ(matching, cases[i].matching) << i;
  }
  MediaTrack* gone = add_track();
  session().delete_track(gone);
  for (MediaTrack* bad : {gone, static_cast<MediaTrack*>(nullptr), reinterpret_cast<MediaTrack*>(selected_wav)}) {
    int count = -1;
    EXPECT_FALSE(MX_NATIVE(GetTrackItemMediaTypeCount)(bad, "", &count, nullptr));
    EXPECT_EQ(error_code(), 10);
    EXPECT_EQ(count, -1);
  }
  EXPECT_FALSE(MX_NATIVE(GetTrackMediaTypeCount)(nullptr, 9, "", nullptr, nullptr));
  EXPECT_EQ(error_code(), 10);
}

}  // namespace
