// The native media item library's arrangement operations: inserting files with the
// selections restored, deleting by scope, selecting, moving, copying the active take,
// the file name behind a take, the play cursor, and the list definitions.
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "media_fixture.h"

namespace {

using mxtest::MediaTest;

class MediaEditing : public MediaTest {
 protected:
  // A second track selected and one item on it selected, before each insertion.
  void SetUp() override {
    MediaTest::SetUp();
    target = add_track("target");
    other = add_track("other");
    other->selected = true;
    kept = item_on(other, 0, 60);
    kept->selected = true;
  }
  void expect_selections_restored(MediaItem* inserted) {
    EXPECT_TRUE(kept->selected);
    EXPECT_TRUE(other->selected);
    EXPECT_FALSE(target->selected);
    if (inserted) {
      EXPECT_TRUE(inserted->selected);
    }
  }
  // The buffer form of the overloaded name.
  static bool source_name(MediaItem* item, int takeIndex, bool withoutExtension, char* nameOut, int nameOut_sz) {
    return mxtest::exported::find<bool (*)(MediaItem*, int, bool, char*, int)>(
        mxtest::plugin_handle(), mxtest::plugin_path(), "mx_api::mediaItem::GetSourceName",
        "(MediaItem*, int, bool, char*, int)")(item, takeIndex, withoutExtension, nameOut, nameOut_sz);
  }
  MediaTrack* target = nullptr;
  MediaTrack* other = nullptr;
  MediaItem* kept = nullptr;
};

TEST_F(MediaEditing, InsertionPlacesTheFileFromStartOrEndAndRestoresSelections) {
  const std::string file = tone("line_01.wav", 1.0);
  auto seconds = MX_NATIVE(InsertMediaTrackItemSecond);
  MediaItem* item = seconds(target, file.c_str(), 0, 12.5);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(item->track, target);
  EXPECT_DOUBLE_EQ(item->position, 12.5);
  ASSERT_NE(item->active(), nullptr);
  EXPECT_EQ(item->active()->name, "line_01.wav");
  expect_selections_restored(item);

  // From the end: the kept item ends at 60 s, the last insertion at 13.5 s.
  item->selected = false;
  MediaItem* after_end = seconds(target, file.c_str(), 1, 2.0);
  ASSERT_NE(after_end, nullptr);
  EXPECT_DOUBLE_EQ(after_end->position, 62.0);
  expect_selections_restored(after_end);

  // A target track that was selected before stays selected.
  target->selected = true;
  MediaItem* third = MX_NATIVE(InsertMediaTrackIdSecond)(nullptr, 0, file.c_str(), 0, 1.0);
  ASSERT_NE(third, nullptr);
  EXPECT_TRUE(target->selected);
  EXPECT_TRUE(other->selected);

  project()->frame_rate = 25;
  MediaItem* framed = MX_NATIVE(InsertMediaSelectedTrackIdFrame)(nullptr, 1, file.c_str(), 0, 50);
  ASSERT_NE(framed, nullptr);
  EXPECT_EQ(framed->track, other);
  EXPECT_DOUBLE_EQ(framed->position, 2.0);
  // The project now ends with the item that starts at 62 s.
  MediaItem* framed_end = MX_NATIVE(InsertMediaTrackItemFrame)(target, file.c_str(), 1, 25);
  ASSERT_NE(framed_end, nullptr);
  EXPECT_DOUBLE_EQ(framed_end->position, 64.0);
}

TEST_F(MediaEditing, FilesThatCannotBeInsertedLeaveNothingAndKeepTheSelections) {
  const std::string empty = folder() + "/empty.wav";
  std::ofstream(empty).close();
  const std::string text = folder() + "/notes.wav";
  std::ofstream(text) << "not audio at all";
  const std::string whole = tone("whole.wav", 1.0);
  const std::string truncated = folder() + "/truncated.wav";
  std::filesystem::copy_file(whole, truncated);
  std::filesystem::resize_file(truncated, 20);
  const std::string long_name = folder() + "/" + std::string(100 * 1024, 'x') + ".wav";
  for (const std::string& bad : {folder() + "/missing.wav", empty, text, truncated, folder(), long_name,
                                 std::string()}) {
    const size_t before = target->items.size() + other->items.size();
    EXPECT_EQ(MX_NATIVE(InsertMediaTrackItemSecond)(target, bad.c_str(), 0, 3.0), nullptr) << bad.substr(0, 80);
    EXPECT_EQ(error_code(), 11);
    EXPECT_EQ(target->items.size() + other->items.size(), before);
    expect_selections_restored(nullptr);
  }
  EXPECT_EQ(MX_NATIVE(InsertMediaTrackItemSecond)(target, nullptr, 0, 3.0), nullptr);
  EXPECT_EQ(error_code(), 11);

  // Tracks that are not live never reach the host.
  MediaTrack* gone = add_track();
  session().delete_track(gone);
  for (MediaTrack* bad : {gone, static_cast<MediaTrack*>(nullptr), reinterpret_cast<MediaTrack*>(kept)}) {
    EXPECT_EQ(MX_NATIVE(InsertMediaTrackItemSecond)(bad, whole.c_str(), 0, 1.0), nullptr);
    EXPECT_EQ(error_code(), 10);
  }
  for (int index : {-1, 2, INT_MIN, INT_MAX}) {
    EXPECT_EQ(MX_NATIVE(InsertMediaTrackIdFrame)(nullptr, index, whole.c_str(), 0, 1), nullptr);
    EXPECT_EQ(error_code(), 10);
  }
  EXPECT_EQ(MX_NATIVE(InsertMediaOutItem)(reinterpret_cast<ReaProject*>(kept), whole.c_str()), nullptr);
  EXPECT_EQ(error_code(), 23);
  EXPECT_EQ(target->items.size(), 0u);
}

TEST_F(MediaEditing, AListOfFilesFollowsOneAnotherInSecondsOrFrames) {
  const std::vector<std::string> files = {tone("one.wav", 1.0), tone("two.wav", 2.0), tone("half.wav", 0.5)};
  std::vector<MediaItem*> items = {kept};
  ASSERT_TRUE(MX_NATIVE(InsertMediaItems)(target, files, 10.0, 0.5, 0, items));
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0], kept);
  const double expected[] = {10.0, 11.5, 14.0};
  for (size_t i = 0; i < 3; ++i) {
    ASSERT_NE(items[i + 1], nullptr);
    EXPECT_DOUBLE_EQ(items[i + 1]->position, expected[i]) << i;
  }
  expect_selections_restored(nullptr);

  MediaTrack* framed = add_track("framed");
  project()->frame_rate = 25;
  const std::vector<std::string> seconds = {tone("a.wav", 1.0), tone("b.wav", 1.0), tone("c.wav", 1.0)};
  std::vector<MediaItem*> in_frames;
  ASSERT_TRUE(MX_NATIVE(InsertMediaItems)(framed, seconds, 250.0, 12.5, 1, in_frames));
  ASSERT_EQ(in_frames.size(), 3u);
  const int frames[] = {250, 287, 324};
  for (size_t i = 0; i < 3; ++i) {
    ASSERT_NE(in_frames[i], nullptr);
    EXPECT_NEAR(in_frames[i]->position * 25, frames[i], 1e-9) << i;
  }
}

TEST_F(MediaEditing, AFileThatFailsInAListLeavesANullEntryAndItsCode) {
  const std::vector<std::string> files = {tone("one.wav", 1.0), folder() + "/missing.wav", tone("two.wav", 1.0)};
  std::vector<MediaItem*> items;
  EXPECT_TRUE(MX_NATIVE(InsertMediaItems)(target, files, 0.0, 1.0, 0, items));
  EXPECT_EQ(error_code(), 11);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1], nullptr);
  ASSERT_NE(items[2], nullptr);
  // The failed file's place: where it would have started, plus the interval.
  EXPECT_DOUBLE_EQ(items[2]->position, 3.0);
  std::vector<MediaItem*> none;
  EXPECT_FALSE(MX_NATIVE(InsertMediaItems)(nullptr, files, 0.0, 1.0, 0, none));
  EXPECT_EQ(error_code(), 10);
  EXPECT_TRUE(none.empty());
  EXPECT_FALSE(MX_NATIVE(InsertMediaItems)(target, files, 1e300, 1.0, 1, none));
  EXPECT_EQ(error_code(), 15);
  EXPECT_TRUE(none.empty());
}

TEST_F(MediaEditing, DeletionScopesDeleteExactlyTheirItemsAndReportARefusal) {
  kept->selected = false;
  std::vector<MediaItem*> items;
  for (int i = 0; i < 6; ++i) items.push_back(item_on(target, i, 1));
  items[2]->selected = true;
  items[5]->selected = true;
  ASSERT_TRUE(MX_NATIVE(DeleteAllSelectedMedia)(nullptr));
  EXPECT_FALSE(live(items[2], "MediaItem*"));
  EXPECT_FALSE(live(items[5], "MediaItem*"));
  EXPECT_EQ(target->items.size(), 4u);
  const int redraws = session().update_arrange_count;
  ASSERT_TRUE(MX_NATIVE(DeleteAllSelectedMedia)(nullptr));
  EXPECT_EQ(session().update_arrange_count, redraws) << "nothing to delete, no redraw";

  // A refused item stays; the others go, and the refusal is reported.
  session().refuse(items[1], "DeleteTrackMediaItem");
  EXPECT_FALSE(MX_NATIVE(DeleteAllTrackMedia)(nullptr, 0));
  EXPECT_EQ(error_code(), 16);
  EXPECT_EQ(target->items, std::vector<MediaItem*>{items[1]});
  EXPECT_TRUE(live(kept, "MediaItem*"));
  EXPECT_FALSE(MX_NATIVE(DeleteMediaItem)(items[1]));
  EXPECT_EQ(error_code(), 16);
  EXPECT_TRUE(live(items[1], "MediaItem*"));

  // A track index that names no track deletes nothing.
  for (int index : {-1, 2, INT_MAX}) EXPECT_TRUE(MX_NATIVE(DeleteAllTrackMedia)(nullptr, index));
  EXPECT_TRUE(MX_NATIVE(DeleteAllSelectedTrackMedia)(nullptr, 5));
  EXPECT_TRUE(live(kept, "MediaItem*"));
  other->selected = true;
  EXPECT_TRUE(MX_NATIVE(DeleteAllSelectedTrackMedia)(nullptr, 0));
  EXPECT_FALSE(live(kept, "MediaItem*"));
  session().clear_refusals();
  EXPECT_TRUE(MX_NATIVE(DeleteAllMedia)(nullptr));
  EXPECT_TRUE(session().items_of(project()).empty());
  EXPECT_FALSE(MX_NATIVE(DeleteAllMedia)(reinterpret_cast<ReaProject*>(target)));
  EXPECT_EQ(error_code(), 23);
}

TEST_F(MediaEditing, DeletingOneItemByEachForm) {
  kept->selected = false;
  MediaItem* a = item_on(target, 0, 1);
  MediaItem* b = item_on(target, 1, 1);
  MediaItem* c = item_on(target, 2, 1);
  b->selected = true;
  target->selected = true;
  ASSERT_TRUE(MX_NATIVE(DeleteSelectedMedia)(nullptr, 0));
  EXPECT_FALSE(live(b, "MediaItem*"));
  ASSERT_TRUE(MX_NATIVE(DeleteSelectedTrackMedia)(nullptr, 0, 1));
  EXPECT_FALSE(live(c, "MediaItem*"));
  EXPECT_FALSE(MX_NATIVE(DeleteTrackMedia)(nullptr, 0, 1));
  EXPECT_EQ(error_code(), 11);
  ASSERT_TRUE(MX_NATIVE(DeleteMedia)(nullptr, 0));
  EXPECT_FALSE(live(a, "MediaItem*"));
  EXPECT_FALSE(MX_NATIVE(DeleteMediaItem)(a));
  EXPECT_EQ(error_code(), 11);
}

TEST_F(MediaEditing, SelectingSkipsItemsThatAreGone) {
  MediaItem* a = item_on(target, 0, 1);
  MediaItem* gone = item_on(target, 1, 1);
  session().delete_item(gone);
  std::vector<MediaItem*> selected = {a};
  ASSERT_TRUE(MX_NATIVE(GetSelectedMediaItems)(nullptr, selected));
  EXPECT_EQ(selected, (std::vector<MediaItem*>{a, kept}));
  EXPECT_FALSE(MX_NATIVE(SelectMediaItems)({a, gone, nullptr, reinterpret_cast<MediaItem*>(target)}, true));
  EXPECT_EQ(error_code(), 11);
  EXPECT_TRUE(a->selected);
  ASSERT_TRUE(MX_NATIVE(SelectMediaItems)({a, kept}, false));
  EXPECT_FALSE(kept->selected);
  ASSERT_TRUE(MX_NATIVE(SetAllMediaSelected)(nullptr, true));
  EXPECT_TRUE(a->selected && kept->selected);
  ASSERT_TRUE(MX_NATIVE(SetTrackMediaSelected)(nullptr, 1, 0, false));
  EXPECT_FALSE(kept->selected);
  EXPECT_FALSE(MX_NATIVE(SetTrackMediaSelected)(nullptr, 7, 0, false));
  EXPECT_EQ(error_code(), 10);
  EXPECT_FALSE(MX_NATIVE(SetMediaSelected)(nullptr, INT_MIN, true));
  EXPECT_EQ(error_code(), 11);
}

TEST_F(MediaEditing, MovingCountsTheTargetInTheItemsProjectAndReportsARefusal) {
  ASSERT_TRUE(MX_NATIVE(SetMediaItemMoveToTrack)(kept, 0));
  EXPECT_EQ(kept->track, target);
  EXPECT_TRUE(kept->selected);
  ASSERT_TRUE(MX_NATIVE(SetTrackMediaMoveToTrack)(nullptr, 0, 0, 1));
  EXPECT_EQ(kept->track, other);
  for (int bad : {-1, 2, INT_MIN}) {
    EXPECT_FALSE(MX_NATIVE(SetMediaItemMoveToTrack)(kept, bad));
    EXPECT_EQ(error_code(), 10);
  }
  session().refuse(kept, "MoveMediaItemToTrack");
  EXPECT_FALSE(MX_NATIVE(SetSelectedMediaMoveToTrack)(nullptr, 0, 0));
  EXPECT_EQ(error_code(), 17);
  EXPECT_EQ(kept->track, other);
}

TEST_F(MediaEditing, ACopyOfTheActiveTakeCarriesItsSettingsAndItsOwnSource) {
  const std::string file = tone("line_01.wav", 1.0);
  kept->length = 3;
  kept->fade_in_len = 0.25;
  kept->fade_out_len = 0.5;
  kept->fade_in_shape = 2;
  kept->fade_out_shape = 3;
  kept->mute = true;
  kept->loop_source = true;
  kept->lock = 1;
  kept->volume = 0.5;
  MediaItem_Take* take = take_of(kept, "dialogue", file);
  take->start_offset = 0.1;
  take->pan = -0.5;
  take->play_rate = 1.5;
  take->pitch = 2;
  take->preserve_pitch = true;
  take->chan_mode = 3;
  take->pitch_mode = 65536;
  PCM_source* original = take->source;
  ASSERT_TRUE(MX_NATIVE(SetMediaItemActiveTakeCopy)(kept, 0, 7.5));
  ASSERT_EQ(target->items.size(), 1u);
  MediaItem* copy = target->items[0];
  EXPECT_DOUBLE_EQ(copy->position, 7.5);
  EXPECT_DOUBLE_EQ(copy->length, 3);
  EXPECT_DOUBLE_EQ(copy->fade_in_len, 0.25);
  EXPECT_DOUBLE_EQ(copy->fade_out_len, 0.5);
  EXPECT_EQ(copy->fade_in_shape, 2);
  EXPECT_EQ(copy->fade_out_shape, 3);
  EXPECT_TRUE(copy->mute);
  EXPECT_TRUE(copy->loop_source);
  EXPECT_EQ(copy->lock, 1);
  EXPECT_DOUBLE_EQ(copy->volume, 0.5);
  EXPECT_FALSE(copy->selected);
  ASSERT_NE(copy->active(), nullptr);
  const MediaItem_Take* copied = copy->active();
  EXPECT_EQ(copied->name, "dialogue");
  EXPECT_DOUBLE_EQ(copied->start_offset, 0.1);
  EXPECT_DOUBLE_EQ(copied->pan, -0.5);
  EXPECT_DOUBLE_EQ(copied->play_rate, 1.5);
  EXPECT_DOUBLE_EQ(copied->pitch, 2);
  EXPECT_TRUE(copied->preserve_pitch);
  EXPECT_EQ(copied->chan_mode, 3);
  EXPECT_EQ(copied->pitch_mode, 65536);
  ASSERT_NE(copied->source, nullptr);
  EXPECT_NE(copied->source, original);
  EXPECT_EQ(take->source, original);
  char name[32] = "";
  ASSERT_TRUE(source_name(copy, 0, false, name, sizeof name));
  EXPECT_EQ(std::string(name), "line_01.wav");
  // Deleting the copy frees its own source only.
  ASSERT_TRUE(MX_NATIVE(DeleteMediaItem)(copy));
  EXPECT_TRUE(live(original, "PCM_source*"));

  MediaItem* bare = item_on(other, 10, 2);
  bare->volume = 2;
  ASSERT_TRUE(MX_NATIVE(SetMediaItemActiveTakeCopy)(bare, 0, 1.0));
  ASSERT_EQ(target->items.size(), 1u);
  EXPECT_TRUE(target->items[0]->takes.empty());
  EXPECT_DOUBLE_EQ(target->items[0]->length, 2);
  EXPECT_DOUBLE_EQ(target->items[0]->volume, 2);
  EXPECT_FALSE(MX_NATIVE(SetMediaItemActiveTakeCopy)(bare, 5, 1.0));
  EXPECT_EQ(error_code(), 10);
  EXPECT_FALSE(MX_NATIVE(SetSelectedTrackMediaActiveTakeCopy)(nullptr, 0, 5, 0, 1.0));
  EXPECT_EQ(error_code(), 11);
}

TEST_F(MediaEditing, TheSourceNameIsTheFileNameWithOrWithoutItsExtension) {
  const std::string file = tone("line_01.wav", 0.2);
  take_of(kept, "renamed.take", file);
  const auto as_text = mxtest::exported::find<std::string (*)(MediaItem*, int, bool)>(
      mxtest::plugin_handle(), mxtest::plugin_path(), "mx_api::mediaItem::GetSourceName", "(MediaItem*, int, bool)");
  const auto into = source_name;
  EXPECT_EQ(as_text(kept, 0, false), "line_01.wav");
  EXPECT_EQ(as_text(kept, 0, true), "line_01");
  for (int index : {1, 2, -1, INT_MIN, INT_MAX}) EXPECT_EQ(as_text(kept, index, false), "") << index;
  struct Case {
    int size;
    std::string expected;
  };
  for (const Case& c : {Case{64, "line_01.wav"}, Case{5, "line"}, Case{1, ""}}) {
    char buffer[64] = "untouched";
    ASSERT_TRUE(into(kept, 0, false, buffer, c.size));
    EXPECT_EQ(std::string(buffer), c.expected);
  }
  char buffer[16] = "untouched";
  EXPECT_TRUE(into(kept, 0, false, buffer, 0));
  EXPECT_EQ(std::string(buffer), "untouched");
  std::filesystem::remove(file);
  EXPECT_EQ(as_text(kept, 0, false), "") << "a file that is gone has no name";
  session().delete_item(kept);
  EXPECT_EQ(as_text(kept, 0, false), "");
  EXPECT_FALSE(into(kept, 0, false, buffer, 16));
  EXPECT_EQ(error_code(), 11);
}

TEST_F(MediaEditing, ThePlayCursorMovesFromTheStartOrTheEnd) {
  auto set = MX_NATIVE_IN(cursol, SetPlayCursorPosition);
  auto set_frame = MX_NATIVE_IN(cursol, SetPlayCursorPositionFrame);
  auto get = MX_NATIVE_IN(cursol, GetPlayCursorPosition);
  double position = -1;
  ASSERT_TRUE(set(nullptr, 1, 2.0, &position));
  EXPECT_DOUBLE_EQ(position, 62.0);
  EXPECT_DOUBLE_EQ(project()->edit_cursor, 62.0);
  ASSERT_TRUE(set(nullptr, 0, 5.0, &position));
  EXPECT_DOUBLE_EQ(position, 5.0);
  project()->frame_rate = 25;
  int frame = -1;
  ASSERT_TRUE(set_frame(nullptr, 0, 69, &frame));
  EXPECT_EQ(frame, 69);
  EXPECT_DOUBLE_EQ(project()->edit_cursor, 2.76);
  ASSERT_TRUE(set_frame(nullptr, 1, 25, &frame));
  EXPECT_EQ(frame, 61 * 25);
  project()->play_state = 1;
  project()->play_position = 33.0;
  ASSERT_TRUE(get(nullptr, &position));
  EXPECT_DOUBLE_EQ(position, 33.0);
  EXPECT_FALSE(set(nullptr, 0, std::nan(""), &position));
  EXPECT_EQ(error_code(), 15);
  EXPECT_FALSE(get(reinterpret_cast<ReaProject*>(kept), &position));
  EXPECT_EQ(error_code(), 23);
}

TEST_F(MediaEditing, ListAndJsonDefinitionsAreRegisteredWithTheEmptyEntry) {
  struct Case {
    const char* name;
    std::vector<const char*> parts;
  };
  const std::vector<Case> cases = {
      {"GetPathInfo", {"void", "const char*,PathInfo*", "filePath,pathInfoOut", "Get path infomation object"}},
      {"Json_Deserialize", {"void", "const char*,object*", "jsonStr,objOut", "Convert json string to object"}},
      {"Json_Serialize", {"void", "object*,string*", "obj,jsonStrOut", "Convert object to json string"}},
      {"GetMediaItemPeakList", {"void", "MediaItem*,ObjectArray*", "item,peakListOut", "Get peak list of media item"}},
      {"GetMediaIdPeakList",
       {"void", "ReaProject*,int,ObjectArray*", "proj,itemID,peakListOut", "Get peak list of media item"}},
      {"GetSelectedMediaIdPeakList",
       {"void", "ReaProject*,int,ObjectArray*", "proj,selectItemID,peakListOut", "Get peak list of media item"}}};
  const size_t before = session().items_of(project()).size();
  for (const Case& c : cases) {
    std::string expected;
    for (const char* p : c.parts) expected += std::string(p) + '\0';
    expected.resize(1024, '\0');
    const void* def = host().registered(std::string("APIdef_MX_") + c.name);
    ASSERT_NE(def, nullptr) << c.name;
    EXPECT_EQ(std::string(static_cast<const char*>(def), 1024), expected) << c.name;
    void* direct = host().get_func((std::string("MX_") + c.name).c_str());
    EXPECT_EQ(direct, host().registered(std::string("APIvararg_MX_") + c.name)) << c.name;
    std::vector<void*> slots = {kept, nullptr, nullptr, nullptr};
    EXPECT_EQ(reinterpret_cast<void* (*)(void**, int)>(direct)(slots.data(), 2), nullptr) << c.name;
  }
  EXPECT_EQ(session().items_of(project()).size(), before);
}

}  // namespace
