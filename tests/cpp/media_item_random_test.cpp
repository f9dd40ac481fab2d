// A seeded random run of hostile arguments over the native media item library: dead,
// null and mistyped pointers, extreme indexes, sizes, values and texts. No call may
// crash or hand the host a bad object (the fixture fails on any violation), a failure
// names a code, and a failing call that stores a single value leaves the session as it was.
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "media_fixture.h"

namespace {

using mxtest::MediaTest;

class MediaHostileInputs : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    build();
  }
  void build() {
    MediaTrack* first = add_track("first");
    MediaTrack* second = add_track("second");
    second->selected = true;
    audio = tone("line.wav", 0.3);
    MediaItem* with_source = item_on(first, 1, 2);
    take_of(with_source, "line.wav", audio);
    with_source->selected = true;
    take_of(item_on(second, 0, 1), "empty take");
    item_on(second, 4, 1);
    MediaItem* dead = item_on(first, 9, 1);
    session().delete_item(dead);
    MediaTrack* dead_track = add_track("gone");
    session().delete_track(dead_track);
    ReaProject* other = session().new_project();
    items = {with_source, second->items[0], second->items[1], dead, nullptr,
             reinterpret_cast<MediaItem*>(first), reinterpret_cast<MediaItem*>(project()),
             reinterpret_cast<MediaItem*>(0x10)};
    tracks = {first, second, dead_track, nullptr, reinterpret_cast<MediaTrack*>(with_source),
              project()->master};
    projects = {nullptr, project(), other, reinterpret_cast<ReaProject*>(first),
                reinterpret_cast<ReaProject*>(dead), reinterpret_cast<ReaProject*>(0x20)};
    texts = {"", "wav", "WAVE", "line.wav", std::string(100 * 1024, 'n'), "\xff\xfe", audio,
             folder() + "/missing.wav", folder()};
  }

  template <class T>
  const T& pick(const std::vector<T>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
  }
  int index() { return pick(std::vector<int>{-1, 0, 1, 2, 3, 7, INT_MIN, INT_MAX}); }
  double value() {
    return pick(std::vector<double>{0.0, -0.001, 1.5, 25.0, -6.0, 1e300, -1e300, HUGE_VAL, -HUGE_VAL, std::nan("")});
  }
  bool flag() { return pick(std::vector<int>{0, 1}) == 1; }
  const char* text() {
    const std::string& t = pick(texts);
    return flag() ? t.c_str() : nullptr;
  }
  int size() { return pick(std::vector<int>{0, 1, 4, 64, -1, INT_MIN}); }

  // What a failing single-value call must leave as it was.
  std::string fingerprint() {
    std::ostringstream out;
    out.precision(17);
    for (ReaProject* p : {project(), projects[2]}) {
      out << p->edit_cursor << ';';
      for (MediaTrack* t : p->tracks) {
        out << t->name << t->selected << '[';
        for (MediaItem* i : t->items) {
          out << i->position << ',' << i->length << ',' << i->volume << ',' << i->mute << ',' << i->selected << ','
              << i->fade_in_len << ',' << i->fade_out_len << ',' << i->takes.size();
          for (MediaItem_Take* k : i->takes) out << k->name << k->pitch << k->play_rate << k->chan_mode;
          out << ' ';
        }
        out << ']';
      }
    }
    return out.str();
  }

  std::mt19937 rng{20261211};
  std::string audio;
  std::vector<MediaItem*> items;
  std::vector<MediaTrack*> tracks;
  std::vector<ReaProject*> projects;
  std::vector<std::string> texts;
};

TEST_F(MediaHostileInputs, EveryCallAnswersWithoutCrashOrBadHostObject) {
  struct Operation {
    const char* name;
    bool single_value;  // a failure leaves everything as it was
    std::function<bool()> call;
  };
  char buffer[64];
  int i1 = 0, i2 = 0, i3 = 0;
  double d1 = 0, d2 = 0;
  bool b = false;
  const std::vector<Operation> operations = {
      {"GetMediaItemBitRate", true, [&] { return MX_NATIVE(GetMediaItemBitRate)(pick(items), &i1); }},
      {"GetSelectedMediaSampleRate", true,
       [&] { return MX_NATIVE(GetSelectedMediaSampleRate)(pick(projects), index(), &i1); }},
      {"GetTrackMediaNumChannels", true,
       [&] { return MX_NATIVE(GetTrackMediaNumChannels)(pick(projects), index(), index(), &i1); }},
      {"SetMediaChannelMode", true, [&] { return MX_NATIVE(SetMediaChannelMode)(pick(projects), index(), index()); }},
      {"GetMediaItemName", true,
       [&] { return MX_NATIVE(GetMediaItemName)(pick(items), flag() ? buffer : nullptr, std::min(size(), 64)); }},
      {"SetSelectedTrackMediaName", true,
       [&] { return MX_NATIVE(SetSelectedTrackMediaName)(pick(projects), index(), index(), text()); }},
      {"SetMediaItemMute", true, [&] { return MX_NATIVE(SetMediaItemMute)(pick(items), flag()); }},
      {"SetMediaItemStartTimeSeconds", true,
       [&] { return MX_NATIVE(SetMediaItemStartTimeSeconds)(pick(items), value()); }},
      {"SetMediaStartTimeFrame", true,
       [&] { return MX_NATIVE(SetMediaStartTimeFrame)(pick(projects), index(), value()); }},
      {"GetMediaItemEndTimeFrame", true, [&] { return MX_NATIVE(GetMediaItemEndTimeFrame)(pick(items), &i1); }},
      {"GetTrackMediaFade", true,
       [&] { return MX_NATIVE(GetTrackMediaFade)(pick(projects), index(), index(), &i1, &d1, &i2, &d2); }},
      {"SetMediaItemFade", true,
       [&] { return MX_NATIVE(SetMediaItemFade)(pick(items), index(), value(), index(), value()); }},
      {"SetMediaItemAddVolume", true, [&] { return MX_NATIVE(SetMediaItemAddVolume)(pick(items), value()); }},
      {"SetMediaItemVolume", true, [&] { return MX_NATIVE(SetMediaItemVolume)(pick(items), value()); }},
      {"SetMediaItemAddPitch", true, [&] { return MX_NATIVE(SetMediaItemAddPitch)(pick(items), value()); }},
      {"SetMediaItemRate", true, [&] { return MX_NATIVE(SetMediaItemRate)(pick(items), value()); }},
      {"GetMediaItemSelect", true,
       [&] { return MX_NATIVE(GetMediaItemSelect)(pick(projects), index(), index()) != nullptr; }},
      {"GetMediaTrackItemSelect", true,
       [&] { return MX_NATIVE(GetMediaTrackItemSelect)(pick(projects), index(), index(), index()) != nullptr; }},
      {"GetTrackItemMediaTypeCount", true,
       [&] { return MX_NATIVE(GetTrackItemMediaTypeCount)(pick(tracks), text(), &i1, &i3); }},
      {"GetSelectedMediaTypeCount", true,
       [&] { return MX_NATIVE(GetSelectedMediaTypeCount)(pick(projects), text(), &i1, &i3); }},
      {"SetMediaSelected", true, [&] { return MX_NATIVE(SetMediaSelected)(pick(projects), index(), flag()); }},
      {"SetTrackMediaSelected", true,
       [&] { return MX_NATIVE(SetTrackMediaSelected)(pick(projects), index(), index(), flag()); }},
      {"SetMediaItemMoveToTrack", true, [&] { return MX_NATIVE(SetMediaItemMoveToTrack)(pick(items), index()); }},
      {"GetSourceName", true,
       [&] {
         return mxtest::exported::find<bool (*)(MediaItem*, int, bool, char*, int)>(
             mxtest::plugin_handle(), mxtest::plugin_path(), "mx_api::mediaItem::GetSourceName",
             "(MediaItem*, int, bool, char*, int)")(pick(items), index(), flag(), buffer, std::min(size(), 64));
       }},
      {"GetPlayCursorPosition", true,
       [&] { return MX_NATIVE_IN(cursol, GetPlayCursorPosition)(pick(projects), &d1); }},
      {"InsertMediaTrackItemSecond", false,
       [&] { return MX_NATIVE(InsertMediaTrackItemSecond)(pick(tracks), text(), index(), value()) != nullptr; }},
      {"InsertMediaSelectedTrackIdFrame", false,
       [&] {
         return MX_NATIVE(InsertMediaSelectedTrackIdFrame)(pick(projects), index(), text(), index(), index()) != nullptr;
       }},
      {"InsertMediaOutItem", true,
       [&] { return MX_NATIVE(InsertMediaOutItem)(pick(projects), text()) != nullptr; }},
      // These finish what they can before they report, or move the edit cursor first.
      {"SetPlayCursorPositionFrame", false,
       [&] { return MX_NATIVE_IN(cursol, SetPlayCursorPositionFrame)(pick(projects), index(), index(), &i1); }},
      {"SelectMediaItems", false,
       [&] { return MX_NATIVE(SelectMediaItems)({pick(items), pick(items)}, flag()); }},
      {"SetMediaItemActiveTakeCopy", false,
       [&] { return MX_NATIVE(SetMediaItemActiveTakeCopy)(pick(items), index(), value()); }},
      {"InsertMediaItems", false,
       [&] {
         std::vector<MediaItem*> out;
         return MX_NATIVE(InsertMediaItems)(pick(tracks), {pick(texts), pick(texts)}, value(), value(), index(), out);
       }},
      {"DeleteTrackMedia", true, [&] { return MX_NATIVE(DeleteTrackMedia)(pick(projects), index(), index()); }},
      {"DeleteAllSelectedTrackMedia", false,
       [&] { return MX_NATIVE(DeleteAllSelectedTrackMedia)(pick(projects), index()); }},
      {"GetSelectedTrackMediaMute", true,
       [&] { return MX_NATIVE(GetSelectedTrackMediaMute)(pick(projects), index(), index(), &b); }},
  };
  int failures = 0;
  for (int round = 0; round < 400; ++round) {
    const Operation& op = pick(operations);
    const std::string before = op.single_value ? fingerprint() : std::string();
    const bool ok = op.call();
    const int code = error_code();
    // A list of files succeeds as a whole and keeps the code of a file that failed.
    if (ok && std::string(op.name) != "InsertMediaItems") {
      EXPECT_EQ(code, 0) << op.name << " in round " << round;
    } else if (!ok) {
      ++failures;
      EXPECT_NE(code, 0) << op.name << " failed without a code in round " << round;
      if (op.single_value) {
        EXPECT_EQ(fingerprint(), before) << op.name << " changed the session in round " << round;
      }
    }
    const auto violations = host().take_violations();
    ASSERT_TRUE(violations.empty()) << op.name << " in round " << round << ": " << violations.front();
    // Keep a few items alive for the next rounds.
    if (session().items_of(project()).size() < 2) {
      host().reset_session();
      build();
    }
  }
  EXPECT_GT(failures, 100) << "the run should mostly meet hostile arguments";
}

}  // namespace
