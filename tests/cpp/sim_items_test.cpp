// The simulated host's media items, takes, transport and file insertion, reached
// through the host's function lookup the way an extension calls them.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "harness.h"
#include "simhost/source.h"
#include "tests/support/audio_fixture.h"

namespace {

using mxtest::HostTest;

// X(result, name, parameter types): the host functions these tests call.
#define SIM_ITEM_FUNCTIONS(X)                                                 \
  X(int, CountMediaItems, (ReaProject*))                                      \
  X(MediaItem*, GetMediaItem, (ReaProject*, int))                             \
  X(int, CountSelectedMediaItems, (ReaProject*))                              \
  X(MediaItem*, GetSelectedMediaItem, (ReaProject*, int))                     \
  X(bool, IsMediaItemSelected, (MediaItem*))                                  \
  X(int, CountTrackMediaItems, (MediaTrack*))                                 \
  X(MediaItem*, GetTrackMediaItem, (MediaTrack*, int))                        \
  X(MediaTrack*, GetMediaItem_Track, (MediaItem*))                            \
  X(ReaProject*, GetItemProjectContext, (MediaItem*))                         \
  X(MediaItem*, AddMediaItemToTrack, (MediaTrack*))                           \
  X(bool, DeleteTrackMediaItem, (MediaTrack*, MediaItem*))                    \
  X(bool, MoveMediaItemToTrack, (MediaItem*, MediaTrack*))                    \
  X(void, SetMediaItemSelected, (MediaItem*, bool))                           \
  X(void, SelectAllMediaItems, (ReaProject*, bool))                           \
  X(double, GetMediaItemInfo_Value, (MediaItem*, const char*))                \
  X(bool, SetMediaItemInfo_Value, (MediaItem*, const char*, double))          \
  X(MediaItem_Take*, GetActiveTake, (MediaItem*))                             \
  X(MediaItem_Take*, GetTake, (MediaItem*, int))                              \
  X(int, CountTakes, (MediaItem*))                                            \
  X(MediaItem_Take*, AddTakeToMediaItem, (MediaItem*))                        \
  X(const char*, GetTakeName, (MediaItem_Take*))                              \
  X(double, GetMediaItemTakeInfo_Value, (MediaItem_Take*, const char*))       \
  X(bool, SetMediaItemTakeInfo_Value, (MediaItem_Take*, const char*, double)) \
  X(bool, GetSetMediaItemTakeInfo_String, (MediaItem_Take*, const char*, char*, bool)) \
  X(MediaItem*, GetMediaItemTake_Item, (MediaItem_Take*))                     \
  X(MediaTrack*, GetMediaItemTake_Track, (MediaItem_Take*))                   \
  X(int, InsertMedia, (const char*, int))                                     \
  X(int, GetPlayState, ())                                                    \
  X(double, GetPlayPositionEx, (ReaProject*))                                 \
  X(double, GetPlayPosition, ())                                              \
  X(double, GetCursorPositionEx, (ReaProject*))                               \
  X(double, GetCursorPosition, ())                                            \
  X(void, SetEditCurPos2, (ReaProject*, double, bool, bool))                  \
  X(void, SetEditCurPos, (double, bool, bool))                                \
  X(void, CSurf_GoEnd, ())                                                    \
  X(double, GetProjectLength, (ReaProject*))                                  \
  X(double, TimeMap_curFrameRate, (ReaProject*, bool*))                       \
  X(MediaTrack*, GetLastTouchedTrack, ())                                     \
  X(void, SetTrackSelected, (MediaTrack*, bool))                              \
  X(void, SetOnlyTrackSelected, (MediaTrack*))                                \
  X(bool, SetMediaTrackInfo_Value, (MediaTrack*, const char*, double))        \
  X(double, GetMediaTrackInfo_Value, (MediaTrack*, const char*))              \
  X(int, GetTrackDepth, (MediaTrack*))                                        \
  X(MediaTrack*, GetParentTrack, (MediaTrack*))                               \
  X(void, DeleteTrack, (MediaTrack*))                                         \
  X(bool, ValidatePtr, (void*, const char*))                                  \
  X(int, AddProjectMarker2, (ReaProject*, bool, double, double, const char*, int, int))

class SimItemsTest : public HostTest {
 protected:
#define SIM_DECLARE(R, name, params) R(*name) params = nullptr;
  SIM_ITEM_FUNCTIONS(SIM_DECLARE)
#undef SIM_DECLARE

  void SetUp() override {
    HostTest::SetUp();
#define SIM_LOOK_UP(R, name, params)                                         \
  name = reinterpret_cast<R(*) params>(host().get_func(#name));              \
  ASSERT_NE(name, nullptr) << #name " is not offered by the host";
    SIM_ITEM_FUNCTIONS(SIM_LOOK_UP)
#undef SIM_LOOK_UP
  }

  MediaItem* item_on(MediaTrack* track, double position, double length = 1.0) {
    MediaItem* item = AddMediaItemToTrack(track);
    SetMediaItemInfo_Value(item, "D_POSITION", position);
    SetMediaItemInfo_Value(item, "D_LENGTH", length);
    return item;
  }
  double item_value(MediaItem* item, const char* key) { return GetMediaItemInfo_Value(item, key); }
  double take_value(MediaItem_Take* take, const char* key) { return GetMediaItemTakeInfo_Value(take, key); }

  std::vector<MediaItem*> on_track(MediaTrack* track) {
    std::vector<MediaItem*> out;
    for (int i = 0; i < CountTrackMediaItems(track); ++i) out.push_back(GetTrackMediaItem(track, i));
    return out;
  }
  std::vector<MediaItem*> in_project(ReaProject* proj = nullptr) {
    std::vector<MediaItem*> out;
    for (int i = 0; i < CountMediaItems(proj); ++i) out.push_back(GetMediaItem(proj, i));
    return out;
  }
  std::vector<MediaItem*> selected(ReaProject* proj = nullptr) {
    std::vector<MediaItem*> out;
    for (int i = 0; i < CountSelectedMediaItems(proj); ++i) out.push_back(GetSelectedMediaItem(proj, i));
    return out;
  }
  std::string take_name(MediaItem_Take* take) {
    std::vector<char> buffer(8192, '#');
    EXPECT_TRUE(GetSetMediaItemTakeInfo_String(take, "P_NAME", buffer.data(), false));
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
  }
  double pointer_value(const void* p) { return static_cast<double>(reinterpret_cast<uint64_t>(p)); }

  // A short tone written as a WAV file in a scratch folder.
  std::string tone(const std::string& name, double seconds, int channels = 1) {
    const std::string path = scratch_folder("media-" + name) + "/" + name;
    mxtest::audio::write(path, mxtest::audio::sine(440, 0.5, seconds, 8000, channels), channels, 8000);
    return path;
  }
};

// ---- order and enumeration -------------------------------------------------------------

// A track's items run by position; equal positions keep the order they were made in,
// and a position change reorders at once.
TEST_F(SimItemsTest, TrackItemsRunByPositionWithTiesInInsertionOrder) {
  MediaTrack* t = add_track("Dialogue");
  MediaItem* late = item_on(t, 5.0);
  MediaItem* first_tie = item_on(t, 1.0);
  MediaItem* middle = item_on(t, 3.0);
  MediaItem* second_tie = item_on(t, 1.0);
  EXPECT_EQ(on_track(t), (std::vector<MediaItem*>{first_tie, second_tie, middle, late}));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(item_value(on_track(t)[static_cast<size_t>(i)], "IP_ITEMNUMBER"), i);

  ASSERT_TRUE(SetMediaItemInfo_Value(late, "D_POSITION", 0.5));
  EXPECT_EQ(on_track(t), (std::vector<MediaItem*>{late, first_tie, second_tie, middle}));
  // Moving onto a tie goes by when the item was made, not when it moved.
  ASSERT_TRUE(SetMediaItemInfo_Value(first_tie, "D_POSITION", 3.0));
  EXPECT_EQ(on_track(t), (std::vector<MediaItem*>{late, second_tie, first_tie, middle}));
  EXPECT_EQ(GetTrackMediaItem(t, 4), nullptr);
  EXPECT_EQ(GetTrackMediaItem(t, -1), nullptr);
}

// The project's items count track by track, each track in its own order, and follow
// a move between tracks at once.
TEST_F(SimItemsTest, ProjectItemsCountTrackByTrack) {
  MediaTrack* a = add_track("A");
  MediaTrack* b = add_track("B");
  MediaItem* b1 = item_on(b, 1.0);
  MediaItem* a9 = item_on(a, 9.0);
  MediaItem* a2 = item_on(a, 2.0);
  MediaItem* b0 = item_on(b, 0.0);
  EXPECT_EQ(in_project(), (std::vector<MediaItem*>{a2, a9, b0, b1}));
  EXPECT_EQ(GetMediaItem(nullptr, 4), nullptr);
  EXPECT_EQ(GetMediaItem(nullptr, -1), nullptr);

  ASSERT_TRUE(MoveMediaItemToTrack(a9, b));
  EXPECT_EQ(in_project(), (std::vector<MediaItem*>{a2, b0, b1, a9}));
  EXPECT_EQ(GetMediaItem_Track(a9), b);
  EXPECT_EQ(item_value(a9, "P_TRACK"), pointer_value(b));
  EXPECT_EQ(item_value(a9, "IP_ITEMNUMBER"), 2);

  // Another project keeps its own items; an item knows its project.
  ReaProject* other = session().new_project();
  MediaItem* elsewhere = item_on(session().insert_track(other, 0), 0.0);
  EXPECT_EQ(in_project(other), (std::vector<MediaItem*>{elsewhere}));
  EXPECT_EQ(CountMediaItems(project()), 4);
  EXPECT_EQ(GetItemProjectContext(elsewhere), other);
  EXPECT_EQ(GetItemProjectContext(a2), project());
  // The host lists no P_PROJECT for items: it reads as an unknown key.
  EXPECT_EQ(item_value(elsewhere, "P_PROJECT"), 0.0);
}

TEST_F(SimItemsTest, SelectionIsListedInProjectOrder) {
  MediaTrack* a = add_track("A");
  MediaTrack* b = add_track("B");
  MediaItem* b0 = item_on(b, 0.0);
  MediaItem* a5 = item_on(a, 5.0);
  MediaItem* a1 = item_on(a, 1.0);
  EXPECT_EQ(CountSelectedMediaItems(nullptr), 0);

  SetMediaItemSelected(b0, true);
  ASSERT_TRUE(SetMediaItemInfo_Value(a5, "B_UISEL", 1));
  EXPECT_EQ(selected(), (std::vector<MediaItem*>{a5, b0}));
  EXPECT_TRUE(IsMediaItemSelected(a5));
  EXPECT_FALSE(IsMediaItemSelected(a1));
  EXPECT_EQ(item_value(b0, "B_UISEL"), 1.0);
  EXPECT_EQ(GetSelectedMediaItem(nullptr, 2), nullptr);

  ReaProject* other = session().new_project();
  MediaItem* elsewhere = item_on(session().insert_track(other, 0), 0.0);
  SelectAllMediaItems(nullptr, true);
  EXPECT_EQ(selected(), (std::vector<MediaItem*>{a1, a5, b0}));
  EXPECT_FALSE(IsMediaItemSelected(elsewhere)) << "another project's selection is its own";
  SelectAllMediaItems(nullptr, false);
  EXPECT_TRUE(selected().empty());
  EXPECT_EQ(session().update_arrange_count, 0) << "selecting does not redraw";
}

// ---- deletion and moves ----------------------------------------------------------------

TEST_F(SimItemsTest, DeletionFreesTheItemAndItsTakes) {
  MediaTrack* a = add_track("A");
  MediaTrack* b = add_track("B");
  MediaItem* kept = item_on(a, 0.0);
  MediaItem* gone = item_on(a, 2.0);
  MediaItem_Take* take = AddTakeToMediaItem(gone);

  EXPECT_FALSE(DeleteTrackMediaItem(b, gone)) << "the item is not on that track";
  EXPECT_TRUE(ValidatePtr(gone, "MediaItem*"));
  session().refuse(gone, "DeleteTrackMediaItem");
  EXPECT_FALSE(DeleteTrackMediaItem(a, gone));
  EXPECT_EQ(CountTrackMediaItems(a), 2);
  session().clear_refusals();

  EXPECT_TRUE(DeleteTrackMediaItem(a, gone));
  EXPECT_FALSE(ValidatePtr(gone, "MediaItem*"));
  EXPECT_FALSE(ValidatePtr(take, "MediaItem_Take*"));
  EXPECT_EQ(on_track(a), (std::vector<MediaItem*>{kept}));
  EXPECT_TRUE(host().take_violations().empty());

  // A second deletion names a dead item.
  EXPECT_FALSE(DeleteTrackMediaItem(a, gone));
  EXPECT_EQ(host().take_violations().size(), 1u);

  // Deleting the track frees its items.
  DeleteTrack(a);
  EXPECT_FALSE(ValidatePtr(kept, "MediaItem*"));
  EXPECT_EQ(CountMediaItems(nullptr), 0);
}

TEST_F(SimItemsTest, MoveKeepsPositionTakesAndSelection) {
  MediaTrack* a = add_track("A");
  MediaTrack* b = add_track("B");
  MediaItem* item = item_on(a, 4.0, 2.5);
  MediaItem_Take* take = AddTakeToMediaItem(item);
  SetMediaItemSelected(item, true);
  item_on(b, 1.0);
  item_on(b, 9.0);

  ASSERT_TRUE(MoveMediaItemToTrack(item, b));
  EXPECT_EQ(CountTrackMediaItems(a), 0);
  EXPECT_EQ(on_track(b)[1], item) << "placed by position among the new track's items";
  EXPECT_EQ(item_value(item, "D_POSITION"), 4.0);
  EXPECT_EQ(item_value(item, "D_LENGTH"), 2.5);
  EXPECT_EQ(GetActiveTake(item), take);
  EXPECT_EQ(GetMediaItemTake_Track(take), b);
  EXPECT_TRUE(IsMediaItemSelected(item));
  EXPECT_TRUE(MoveMediaItemToTrack(item, b)) << "onto its own track";

  // Refused: another project's track, the master, or the test's refusal.
  MediaTrack* foreign = session().insert_track(session().new_project(), 0);
  EXPECT_FALSE(MoveMediaItemToTrack(item, foreign));
  EXPECT_FALSE(MoveMediaItemToTrack(item, project()->master));
  session().refuse(item, "MoveMediaItemToTrack");
  EXPECT_FALSE(MoveMediaItemToTrack(item, a));
  EXPECT_EQ(GetMediaItem_Track(item), b);
  EXPECT_TRUE(host().take_violations().empty());

  // A dead target is a bad pointer.
  session().clear_refusals();
  DeleteTrack(a);
  EXPECT_FALSE(MoveMediaItemToTrack(item, a));
  EXPECT_EQ(host().take_violations().size(), 1u);
  EXPECT_EQ(GetMediaItem_Track(item), b);
}

// ---- keys ------------------------------------------------------------------------------

TEST_F(SimItemsTest, NewItemsAndTakesCarryTheDefaults) {
  MediaItem* item = AddMediaItemToTrack(add_track());
  const struct {
    const char* key;
    double value;
  } item_defaults[] = {{"D_POSITION", 0}, {"D_LENGTH", 0},    {"D_VOL", 1},        {"B_MUTE", 0},
                       {"B_MUTE_ACTUAL", 0}, {"C_MUTE_SOLO", 0}, {"B_LOOPSRC", 0},  {"C_LOCK", 0},
                       {"D_FADEINLEN", 0}, {"D_FADEOUTLEN", 0}, {"C_FADEINSHAPE", 0}, {"C_FADEOUTSHAPE", 0},
                       {"B_UISEL", 0}};
  for (const auto& d : item_defaults) EXPECT_EQ(item_value(item, d.key), d.value) << d.key;
  EXPECT_EQ(CountTakes(item), 0);
  EXPECT_EQ(GetActiveTake(item), nullptr);

  MediaItem_Take* first = AddTakeToMediaItem(item);
  const struct {
    const char* key;
    double value;
  } take_defaults[] = {{"D_STARTOFFS", 0}, {"D_VOL", 1},      {"D_PAN", 0},        {"D_PLAYRATE", 1},
                       {"D_PITCH", 0},     {"B_PPITCH", 0},   {"I_CHANMODE", 0},   {"I_PITCHMODE", -1}};
  for (const auto& d : take_defaults) EXPECT_EQ(take_value(first, d.key), d.value) << d.key;
  EXPECT_EQ(take_name(first), "");
  EXPECT_STREQ(GetTakeName(first), "");

  // Only the first take is made active; later ones go last.
  MediaItem_Take* second = AddTakeToMediaItem(item);
  EXPECT_EQ(GetActiveTake(item), first);
  EXPECT_EQ(CountTakes(item), 2);
  EXPECT_EQ(GetTake(item, 1), second);
  EXPECT_EQ(GetTake(item, 2), nullptr);
  EXPECT_EQ(take_value(second, "IP_TAKENUMBER"), 1);
  EXPECT_EQ(item_value(item, "I_CURTAKE"), 0);
  ASSERT_TRUE(SetMediaItemInfo_Value(item, "I_CURTAKE", 1));
  EXPECT_EQ(GetActiveTake(item), second);
  EXPECT_FALSE(SetMediaItemInfo_Value(item, "I_CURTAKE", 2)) << "no third take";
  EXPECT_EQ(GetActiveTake(item), second);
  EXPECT_EQ(GetMediaItemTake_Item(second), item);
}

struct KeyCase {
  const char* key;
  double set;
  bool accepted;
  double read;  // after the set; the default when refused
};

// Every value travels as a double: bools as 0 or 1, ints truncated, char keys keep their
// low byte; owners and numbers are read-only; unknown keys read 0.0 and are refused.
TEST_F(SimItemsTest, ItemKeysConvertTheirValues) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const KeyCase cases[] = {
      {"D_POSITION", 12.5, true, 12.5},   {"D_POSITION", -1.0, true, -1.0},  {"D_POSITION", nan, false, 0},
      {"D_LENGTH", 3.25, true, 3.25},     {"D_LENGTH", -0.5, false, 0},      {"D_VOL", 0.5, true, 0.5},
      {"D_VOL", 0.0, true, 0.0},          {"B_MUTE", 0.3, true, 1},          {"B_MUTE_ACTUAL", 2, true, 1},
      {"B_LOOPSRC", -1, true, 1},         {"C_LOCK", 1.9, true, 1},          {"C_LOCK", 257, true, 1},
      {"C_LOCK", 255, true, -1},          {"C_MUTE_SOLO", -1, true, -1},     {"D_FADEINLEN", 0.75, true, 0.75},
      {"D_FADEOUTLEN", -0.1, false, 0},   {"C_FADEINSHAPE", 3.7, true, 3},   {"C_FADEOUTSHAPE", -2.5, true, -2},
      {"C_FADEOUTSHAPE", 1e12, false, 0}, {"B_UISEL", 1, true, 1},           {"IP_ITEMNUMBER", 3, false, 0},
      {"P_PROJECT", 1, false, 0},         {"D_NOSUCHKEY", 1, false, 0},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " = " + std::to_string(c.set));
    host().reset_session();
    MediaItem* item = AddMediaItemToTrack(add_track());
    EXPECT_EQ(SetMediaItemInfo_Value(item, c.key, c.set), c.accepted);
    EXPECT_EQ(item_value(item, c.key), c.read);
  }
  MediaTrack* t = add_track();
  MediaItem* item = AddMediaItemToTrack(t);
  EXPECT_FALSE(SetMediaItemInfo_Value(item, "P_TRACK", 0));
  EXPECT_EQ(item_value(item, "P_TRACK"), pointer_value(t));
  EXPECT_FALSE(SetMediaItemInfo_Value(item, nullptr, 1));
  EXPECT_EQ(item_value(item, nullptr), 0.0);
}

// B_MUTE ends an item solo; B_MUTE_ACTUAL mutes without touching it.
TEST_F(SimItemsTest, MuteClearsTheSoloOverrideOnlyThroughBMute) {
  MediaItem* item = AddMediaItemToTrack(add_track());
  ASSERT_TRUE(SetMediaItemInfo_Value(item, "C_MUTE_SOLO", -1));
  ASSERT_TRUE(SetMediaItemInfo_Value(item, "B_MUTE_ACTUAL", 1));
  EXPECT_EQ(item_value(item, "C_MUTE_SOLO"), -1);
  EXPECT_EQ(item_value(item, "B_MUTE"), 1);
  ASSERT_TRUE(SetMediaItemInfo_Value(item, "B_MUTE", 0));
  EXPECT_EQ(item_value(item, "C_MUTE_SOLO"), 0);
  EXPECT_EQ(item_value(item, "B_MUTE_ACTUAL"), 0);
}

TEST_F(SimItemsTest, TakeKeysConvertTheirValues) {
  const KeyCase cases[] = {
      {"D_STARTOFFS", 1.5, true, 1.5}, {"D_VOL", -0.5, true, -0.5},     {"D_PAN", -0.25, true, -0.25},
      {"D_PAN", 3, true, 1},           {"D_PLAYRATE", 0.5, true, 0.5},  {"D_PLAYRATE", 0, false, 1},
      {"D_PITCH", -2.5, true, -2.5},   {"B_PPITCH", 7, true, 1},        {"I_CHANMODE", 67.9, true, 67},
      {"I_PITCHMODE", 0x50002, true, 0x50002}, {"IP_TAKENUMBER", 1, false, 0}, {"P_NAME", 1, false, 0},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " = " + std::to_string(c.set));
    host().reset_session();
    MediaItem_Take* take = AddTakeToMediaItem(AddMediaItemToTrack(add_track()));
    EXPECT_EQ(SetMediaItemTakeInfo_Value(take, c.key, c.set), c.accepted);
    EXPECT_EQ(take_value(take, c.key), c.read);
  }
  MediaTrack* t = add_track();
  MediaItem* item = AddMediaItemToTrack(t);
  MediaItem_Take* take = AddTakeToMediaItem(item);
  EXPECT_EQ(take_value(take, "P_TRACK"), pointer_value(t));
  EXPECT_EQ(take_value(take, "P_ITEM"), pointer_value(item));
  EXPECT_FALSE(SetMediaItemTakeInfo_Value(take, "P_ITEM", 0));
  EXPECT_FALSE(SetMediaItemTakeInfo_Value(take, "P_TRACK", 0));
  EXPECT_EQ(GetMediaItemTake_Item(take), item);
}

// The name is stored as given and read back through a buffer of no stated size, at
// most 4095 bytes and the zero.
TEST_F(SimItemsTest, TakeNameTravelsThroughTheBuffer) {
  MediaItem_Take* take = AddTakeToMediaItem(AddMediaItemToTrack(add_track()));
  char name[] = "line_01.take.wav";
  ASSERT_TRUE(GetSetMediaItemTakeInfo_String(take, "P_NAME", name, true));
  EXPECT_EQ(take_name(take), "line_01.take.wav");
  EXPECT_STREQ(GetTakeName(take), "line_01.take.wav");

  std::string long_name(5000, 'x');
  ASSERT_TRUE(GetSetMediaItemTakeInfo_String(take, "P_NAME", long_name.data(), true));
  EXPECT_EQ(std::strlen(GetTakeName(take)), 5000u);
  EXPECT_EQ(take_name(take), std::string(4095, 'x'));

  char other[16] = "";
  EXPECT_FALSE(GetSetMediaItemTakeInfo_String(take, "P_NOSUCH", other, false));
  EXPECT_FALSE(GetSetMediaItemTakeInfo_String(take, "P_NAME", nullptr, true));
  EXPECT_FALSE(GetSetMediaItemTakeInfo_String(take, nullptr, other, true));
  EXPECT_EQ(std::strlen(GetTakeName(take)), 5000u);
}

// A test can make the host refuse any setter by key on one object; the value stays.
TEST_F(SimItemsTest, RefusedSettersLeaveTheValue) {
  MediaItem* item = AddMediaItemToTrack(add_track());
  MediaItem* neighbour = AddMediaItemToTrack(add_track());
  MediaItem_Take* take = AddTakeToMediaItem(item);
  for (const char* key : {"D_POSITION", "D_LENGTH", "D_VOL", "B_MUTE", "B_UISEL", "C_FADEINSHAPE"}) {
    SCOPED_TRACE(key);
    session().refuse(item, key);
    EXPECT_FALSE(SetMediaItemInfo_Value(item, key, 2));
    EXPECT_NE(item_value(item, key), 2);
    EXPECT_TRUE(SetMediaItemInfo_Value(neighbour, key, 2)) << "only that item refuses";
  }
  for (const char* key : {"D_PITCH", "D_PLAYRATE", "I_CHANMODE"}) {
    SCOPED_TRACE(key);
    session().refuse(take, key);
    EXPECT_FALSE(SetMediaItemTakeInfo_Value(take, key, 2));
    EXPECT_NE(take_value(take, key), 2);
  }
  session().refuse(take, "P_NAME");
  char name[] = "refused";
  EXPECT_FALSE(GetSetMediaItemTakeInfo_String(take, "P_NAME", name, true));
  EXPECT_STREQ(GetTakeName(take), "");
}

// Every function given a dead or mistyped object notes one violation and answers the
// neutral value.
TEST_F(SimItemsTest, DeadOrMistypedObjectsAreViolations) {
  MediaTrack* track = add_track();
  MediaItem* dead_item = AddMediaItemToTrack(track);
  MediaItem_Take* dead_take = AddTakeToMediaItem(dead_item);
  ASSERT_TRUE(DeleteTrackMediaItem(track, dead_item));
  MediaItem* live_item = AddMediaItemToTrack(track);
  auto* track_as_item = reinterpret_cast<MediaItem*>(track);
  auto* item_as_track = reinterpret_cast<MediaTrack*>(live_item);
  auto* item_as_take = reinterpret_cast<MediaItem_Take*>(live_item);
  ReaProject* dead_project = reinterpret_cast<ReaProject*>(track);
  char buffer[64] = "unchanged";

  const std::vector<std::pair<const char*, std::function<bool()>>> calls = {
      {"CountMediaItems", [&] { return CountMediaItems(dead_project) == 0; }},
      {"GetMediaItem", [&] { return GetMediaItem(dead_project, 0) == nullptr; }},
      {"CountSelectedMediaItems", [&] { return CountSelectedMediaItems(dead_project) == 0; }},
      {"GetSelectedMediaItem", [&] { return GetSelectedMediaItem(dead_project, 0) == nullptr; }},
      {"SelectAllMediaItems", [&] { return SelectAllMediaItems(dead_project, true), true; }},
      {"IsMediaItemSelected", [&] { return !IsMediaItemSelected(dead_item); }},
      {"CountTrackMediaItems", [&] { return CountTrackMediaItems(item_as_track) == 0; }},
      {"GetTrackMediaItem", [&] { return GetTrackMediaItem(nullptr, 0) == nullptr; }},
      {"GetMediaItem_Track", [&] { return GetMediaItem_Track(track_as_item) == nullptr; }},
      {"GetItemProjectContext", [&] { return GetItemProjectContext(dead_item) == nullptr; }},
      {"AddMediaItemToTrack", [&] { return AddMediaItemToTrack(item_as_track) == nullptr; }},
      {"DeleteTrackMediaItem", [&] { return !DeleteTrackMediaItem(track, dead_item); }},
      {"MoveMediaItemToTrack", [&] { return !MoveMediaItemToTrack(dead_item, track); }},
      {"SetMediaItemSelected", [&] { return SetMediaItemSelected(dead_item, true), true; }},
      {"GetMediaItemInfo_Value", [&] { return GetMediaItemInfo_Value(dead_item, "D_LENGTH") == 0.0; }},
      {"SetMediaItemInfo_Value", [&] { return !SetMediaItemInfo_Value(track_as_item, "D_LENGTH", 1); }},
      {"GetActiveTake", [&] { return GetActiveTake(dead_item) == nullptr; }},
      {"GetTake", [&] { return GetTake(dead_item, 0) == nullptr; }},
      {"CountTakes", [&] { return CountTakes(dead_item) == 0; }},
      {"AddTakeToMediaItem", [&] { return AddTakeToMediaItem(dead_item) == nullptr; }},
      {"GetTakeName", [&] { return GetTakeName(dead_take) == nullptr; }},
      {"GetMediaItemTakeInfo_Value", [&] { return GetMediaItemTakeInfo_Value(item_as_take, "D_VOL") == 0.0; }},
      {"SetMediaItemTakeInfo_Value", [&] { return !SetMediaItemTakeInfo_Value(dead_take, "D_VOL", 1); }},
      {"GetSetMediaItemTakeInfo_String",
       [&] { return !GetSetMediaItemTakeInfo_String(dead_take, "P_NAME", buffer, false); }},
      {"GetMediaItemTake_Item", [&] { return GetMediaItemTake_Item(dead_take) == nullptr; }},
      {"GetMediaItemTake_Track", [&] { return GetMediaItemTake_Track(item_as_take) == nullptr; }},
      {"GetPlayPositionEx", [&] { return GetPlayPositionEx(dead_project) == 0.0; }},
      {"GetCursorPositionEx", [&] { return GetCursorPositionEx(dead_project) == 0.0; }},
      {"SetEditCurPos2", [&] { return SetEditCurPos2(dead_project, 5, true, true), GetCursorPosition() == 0.0; }},
      {"GetProjectLength", [&] { return GetProjectLength(dead_project) == 0.0; }},
      {"TimeMap_curFrameRate", [&] {
         bool drop = true;
         return TimeMap_curFrameRate(dead_project, &drop) == 0.0 && !drop;
       }},
  };
  for (const auto& [name, call] : calls) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(call()) << "neutral answer";
    const auto violations = host().take_violations();
    ASSERT_EQ(violations.size(), 1u);
    EXPECT_EQ(violations[0].rfind(name, 0), 0u) << violations[0];
  }
  EXPECT_STREQ(buffer, "unchanged");
  EXPECT_EQ(on_track(track), (std::vector<MediaItem*>{live_item}));
  EXPECT_FALSE(IsMediaItemSelected(live_item));
}

// ---- transport -------------------------------------------------------------------------

TEST_F(SimItemsTest, EditCursorAndPlayPosition) {
  EXPECT_EQ(GetPlayState(), 0);
  SetEditCurPos(3.5, false, false);
  EXPECT_EQ(GetCursorPosition(), 3.5);
  EXPECT_EQ(GetPlayPosition(), 3.5) << "stopped: the heard position is the edit cursor";
  SetEditCurPos2(nullptr, -2.0, true, true);
  EXPECT_EQ(GetCursorPositionEx(nullptr), 0.0) << "before the start becomes 0";
  SetEditCurPos2(nullptr, std::numeric_limits<double>::infinity(), true, true);
  EXPECT_EQ(GetCursorPositionEx(nullptr), 0.0) << "not a time";

  project()->play_state = 1;
  project()->play_position = 7.25;
  SetEditCurPos(1.0, true, false);
  EXPECT_EQ(GetPlayState(), 1);
  EXPECT_EQ(GetPlayPositionEx(nullptr), 7.25) << "playing: the heard position";
  EXPECT_EQ(GetCursorPositionEx(nullptr), 1.0);
  SetEditCurPos2(project(), 2.0, true, true);
  EXPECT_EQ(GetPlayPositionEx(project()), 2.0) << "seeking moves playback along";
  project()->play_state = 2;
  EXPECT_EQ(GetPlayPosition(), 2.0) << "paused";

  // Each project has its own cursor; the functions without a project mean the active one.
  ReaProject* other = session().new_project();
  SetEditCurPos2(other, 9.0, false, false);
  EXPECT_EQ(GetCursorPositionEx(other), 9.0);
  EXPECT_EQ(GetPlayPositionEx(other), 9.0);
  EXPECT_EQ(GetCursorPosition(), 2.0);
  session().set_active(other);
  EXPECT_EQ(GetCursorPosition(), 9.0);
  EXPECT_EQ(GetPlayState(), 0);
}

TEST_F(SimItemsTest, ProjectEndIsTheLatestItemMarkerOrRegionEnd) {
  EXPECT_EQ(GetProjectLength(nullptr), 0.0);
  MediaTrack* t = add_track();
  item_on(t, 50.0, 10.0);
  item_on(t, 55.0, 1.0);
  EXPECT_EQ(GetProjectLength(nullptr), 60.0);
  AddProjectMarker2(nullptr, false, 61.0, 0, "late marker", -1, 0);
  EXPECT_EQ(GetProjectLength(nullptr), 61.0);
  AddProjectMarker2(nullptr, true, 10.0, 70.0, "long region", -1, 0);
  EXPECT_EQ(GetProjectLength(nullptr), 70.0);

  CSurf_GoEnd();
  EXPECT_EQ(GetCursorPosition(), 70.0);
  // The end of another project's content does not count.
  ReaProject* other = session().new_project();
  EXPECT_EQ(GetProjectLength(other), 0.0);
}

TEST_F(SimItemsTest, FrameRateOfEachProject) {
  bool drop = true;
  EXPECT_EQ(TimeMap_curFrameRate(nullptr, &drop), 30.0);
  EXPECT_FALSE(drop);
  EXPECT_EQ(TimeMap_curFrameRate(nullptr, nullptr), 30.0) << "the flag may be left out";
  ReaProject* other = session().new_project();
  other->frame_rate = 29.97;
  other->drop_frame = true;
  EXPECT_EQ(TimeMap_curFrameRate(other, &drop), 29.97);
  EXPECT_TRUE(drop);
  EXPECT_EQ(TimeMap_curFrameRate(nullptr, &drop), 30.0);
  EXPECT_FALSE(drop);
}

// A track that turns selected becomes the current track; selecting one that is already
// selected does not, except through SetOnlyTrackSelected.
TEST_F(SimItemsTest, SelectingATrackMakesItCurrent) {
  MediaTrack* a = add_track("A");
  MediaTrack* b = add_track("B");
  MediaTrack* c = add_track("C");
  EXPECT_EQ(GetLastTouchedTrack(), nullptr);
  SetTrackSelected(a, true);
  EXPECT_EQ(GetLastTouchedTrack(), a);
  ASSERT_TRUE(SetMediaTrackInfo_Value(b, "I_SELECTED", 1));
  EXPECT_EQ(GetLastTouchedTrack(), b);
  SetTrackSelected(a, true);
  EXPECT_EQ(GetLastTouchedTrack(), b) << "a was selected already";
  SetTrackSelected(b, false);
  EXPECT_EQ(GetLastTouchedTrack(), b) << "deselecting leaves it current";
  SetOnlyTrackSelected(a);
  EXPECT_EQ(GetLastTouchedTrack(), a);
  EXPECT_FALSE(c->selected);
  SetTrackSelected(a, false);
  SetTrackSelected(a, true);
  EXPECT_EQ(GetLastTouchedTrack(), a) << "deselect and reselect";
  DeleteTrack(a);
  EXPECT_EQ(GetLastTouchedTrack(), nullptr);
}

// ---- inserting a file ------------------------------------------------------------------

// The file goes to the current track at the edit cursor as one selected item of its
// length with one take named after the file; the cursor ends at the item's end.
TEST_F(SimItemsTest, InsertMediaAddsTheFileToTheCurrentTrack) {
  const std::string file = tone("line_01.wav", 1.5);
  MediaTrack* a = add_track("A");
  MediaTrack* b = add_track("B");
  MediaItem* earlier = item_on(a, 0.0);
  MediaItem* other_selected = item_on(b, 9.0);
  SetMediaItemSelected(earlier, true);
  SetMediaItemSelected(other_selected, true);
  SetOnlyTrackSelected(a);
  SetEditCurPos(2.0, false, false);

  ASSERT_EQ(InsertMedia(file.c_str(), 0), 1);
  ASSERT_EQ(CountTrackMediaItems(a), 2);
  MediaItem* item = GetTrackMediaItem(a, 1);
  EXPECT_EQ(selected(), (std::vector<MediaItem*>{item}));
  EXPECT_EQ(item_value(item, "D_POSITION"), 2.0);
  EXPECT_NEAR(item_value(item, "D_LENGTH"), 1.5, 1e-9);
  ASSERT_EQ(CountTakes(item), 1);
  MediaItem_Take* take = GetActiveTake(item);
  EXPECT_EQ(take_name(take), "line_01.wav");
  PCM_source* source = take->source;
  ASSERT_NE(source, nullptr);
  EXPECT_TRUE(ValidatePtr(source, "PCM_source*"));
  EXPECT_NEAR(source->GetLength(), 1.5, 1e-9);
  EXPECT_NEAR(GetCursorPosition(), 3.5, 1e-9);
  EXPECT_EQ(CountTrackMediaItems(b), 1);

  // The source goes with the item.
  ASSERT_TRUE(DeleteTrackMediaItem(a, item));
  EXPECT_FALSE(ValidatePtr(source, "PCM_source*"));
}

// A file the host cannot read, or no current track, changes nothing and gives 0.
TEST_F(SimItemsTest, InsertMediaThatCannotInsertChangesNothing) {
  const std::string folder = scratch_folder("unreadable");
  const std::string text = folder + "/notes.wav";
  FILE* f = std::fopen(text.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("not audio at all", f);
  std::fclose(f);
  const std::string good = tone("good.wav", 0.5);

  MediaTrack* a = add_track("A");
  MediaItem* kept = item_on(a, 0.0);
  SetMediaItemSelected(kept, true);
  SetEditCurPos(4.0, false, false);
  const auto unchanged = [&] {
    EXPECT_EQ(in_project(), (std::vector<MediaItem*>{kept}));
    EXPECT_EQ(selected(), (std::vector<MediaItem*>{kept}));
    EXPECT_EQ(GetCursorPosition(), 4.0);
    EXPECT_EQ(project()->tracks.size(), 1u);
  };

  EXPECT_EQ(InsertMedia(good.c_str(), 0), 0) << "no current track yet";
  unchanged();
  SetOnlyTrackSelected(a);
  for (const std::string& bad : {text, folder, folder + "/missing.wav", std::string()}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(InsertMedia(bad.c_str(), 0), 0);
    EXPECT_EQ(InsertMedia(bad.c_str(), 1), 0);
    EXPECT_EQ(InsertMedia(bad.c_str(), 3), 0);
    unchanged();
  }
  EXPECT_EQ(InsertMedia(nullptr, 0), 0);
  EXPECT_EQ(InsertMedia(good.c_str(), 2), 0) << "no such mode";
  unchanged();
  // The master track takes no items.
  SetOnlyTrackSelected(project()->master);
  EXPECT_EQ(InsertMedia(good.c_str(), 0), 0);
  unchanged();
}

// Mode 1 makes a new track below the current one, which becomes current and the only
// selected track.
TEST_F(SimItemsTest, InsertMediaOnANewTrack) {
  const std::string file = tone("room tone.wav", 0.25, 2);
  MediaTrack* a = add_track("A");
  MediaTrack* b = add_track("B");
  SetOnlyTrackSelected(a);
  ASSERT_EQ(InsertMedia(file.c_str(), 1), 1);
  ASSERT_EQ(project()->tracks.size(), 3u);
  MediaTrack* made = project()->tracks[1];
  EXPECT_EQ(project()->tracks[2], b);
  EXPECT_EQ(GetLastTouchedTrack(), made);
  EXPECT_TRUE(made->selected);
  EXPECT_FALSE(a->selected);
  ASSERT_EQ(CountTrackMediaItems(made), 1);
  EXPECT_STREQ(GetTakeName(GetActiveTake(GetTrackMediaItem(made, 0))), "room tone.wav");
  EXPECT_NEAR(GetCursorPosition(), 0.25, 1e-9);

  // Without a current track the new one goes last.
  session().active()->last_touched = nullptr;
  ASSERT_EQ(InsertMedia(file.c_str(), 1), 1);
  EXPECT_EQ(CountTrackMediaItems(project()->tracks[3]), 1);
  EXPECT_EQ(GetMediaItem(nullptr, 1), GetTrackMediaItem(project()->tracks[3], 0));
}

// Mode 3 adds the file as the new active take of every selected item, each with its
// own source, and leaves positions, lengths and the cursor alone.
TEST_F(SimItemsTest, InsertMediaAsTakesOfTheSelectedItems) {
  const std::string file = tone("alt.wav", 0.5);
  MediaTrack* a = add_track("A");
  MediaItem* first = item_on(a, 1.0, 4.0);
  MediaItem* second = item_on(a, 6.0, 2.0);
  MediaItem* untouched = item_on(a, 9.0, 1.0);
  MediaItem_Take* old = AddTakeToMediaItem(first);
  SetMediaItemSelected(first, true);
  SetMediaItemSelected(second, true);
  SetEditCurPos(3.0, false, false);

  ASSERT_EQ(InsertMedia(file.c_str(), 3), 1);
  EXPECT_EQ(CountTakes(first), 2);
  EXPECT_EQ(GetTake(first, 0), old);
  MediaItem_Take* added = GetActiveTake(first);
  EXPECT_EQ(GetTake(first, 1), added);
  EXPECT_STREQ(GetTakeName(added), "alt.wav");
  EXPECT_EQ(CountTakes(second), 1);
  EXPECT_EQ(CountTakes(untouched), 0);
  PCM_source* s1 = added->source;
  PCM_source* s2 = GetActiveTake(second)->source;
  ASSERT_NE(s1, nullptr);
  ASSERT_NE(s2, nullptr);
  EXPECT_NE(s1, s2);
  EXPECT_TRUE(ValidatePtr(s2, "PCM_source*"));
  EXPECT_EQ(item_value(first, "D_LENGTH"), 4.0);
  EXPECT_EQ(GetCursorPosition(), 3.0);
  EXPECT_EQ(selected(), (std::vector<MediaItem*>{first, second}));

  SelectAllMediaItems(nullptr, false);
  EXPECT_EQ(InsertMedia(file.c_str(), 3), 0) << "no selected item";
}

// ---- what the host keeps up to date ---------------------------------------------------

// The selection, the items' order and the tracks' numbers, depths and parents answer as a
// walk over the session would after any mix of changes, made through host functions or
// written into the objects directly, with items and tracks inserted, moved and deleted.
TEST_F(SimItemsTest, KeptListsFollowEveryKindOfChange) {
  std::mt19937 random(20261211);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  std::vector<MediaTrack*> tracks;
  for (int i = 0; i < 4; ++i) tracks.push_back(add_track("T" + std::to_string(i)));
  ReaProject* other = session().new_project();
  SetMediaItemSelected(item_on(session().insert_track(other, 0), 0.0), true);
  auto items = [&] { return session().items_of(project()); };
  auto any_item = [&]() -> MediaItem* {
    const auto all = items();
    return all.empty() ? nullptr : all[static_cast<size_t>(pick(static_cast<int>(all.size())))];
  };
  auto any_track = [&] { return project()->tracks[static_cast<size_t>(pick(static_cast<int>(project()->tracks.size())))]; };
  auto in_order = [](const std::vector<MediaItem*>& list) {
    return std::is_sorted(list.begin(), list.end(), [](const MediaItem* a, const MediaItem* b) {
      return a->position < b->position || (a->position == b->position && a->serial < b->serial);
    });
  };
  std::set<const MediaTrack*> written;  // a position written directly, the order not yet restored

  for (int step = 0; step < 600; ++step) {
    MediaItem* item = any_item();
    switch (pick(12)) {
      case 0: case 1: item_on(any_track(), pick(8) * 0.5); break;
      case 2: if (item) SetMediaItemInfo_Value(item, "D_POSITION", pick(8) * 0.5); break;
      case 3:  // written directly, the order restored only sometimes
        if (!item) break;
        item->position = pick(8) * 0.5;
        written.insert(item->track);
        if (pick(2)) {
          session().reorder_items(item->track);
          written.erase(item->track);
        }
        break;
      case 4: if (item) SetMediaItemSelected(item, pick(2) == 0); break;
      case 5: if (item) item->selected = !item->selected; break;
      case 6: if (item) SetMediaItemInfo_Value(item, "B_UISEL", pick(2)); break;
      case 7: if (item) MoveMediaItemToTrack(item, any_track()); break;
      case 8: if (item) DeleteTrackMediaItem(item->track, item); break;
      case 9:
        if (pick(4) == 0) SelectAllMediaItems(nullptr, pick(2) == 0);
        else if (project()->tracks.size() > 2 && pick(2)) DeleteTrack(any_track());
        else session().insert_track(project(), pick(static_cast<int>(project()->tracks.size()) + 1));
        break;
      case 10: SetMediaTrackInfo_Value(any_track(), "I_FOLDERDEPTH", pick(4) - 1); break;
      case 11: any_track()->folder_depth = pick(4) - 1; break;
    }

    std::vector<MediaItem*> walked;
    for (MediaItem* i : items())
      if (i->selected) walked.push_back(i);
    ASSERT_EQ(selected(), walked) << "step " << step;
    ASSERT_EQ(CountSelectedMediaItems(other), 1) << "step " << step;

    for (const MediaTrack* t : project()->tracks)
      if (!written.count(t)) {
        ASSERT_TRUE(in_order(t->items)) << "step " << step;
      }

    const auto& list = project()->tracks;
    std::vector<int> depths;
    int depth = 0;
    for (const MediaTrack* t : list) {
      depths.push_back(depth);
      depth = std::max(0, depth + static_cast<int>(t->folder_depth));
    }
    for (size_t t = 0; t < list.size(); ++t) {
      ASSERT_EQ(GetMediaTrackInfo_Value(list[t], "IP_TRACKNUMBER"), static_cast<double>(t + 1)) << "step " << step;
      ASSERT_EQ(GetTrackDepth(list[t]), depths[t]) << "step " << step << ", track " << t;
      MediaTrack* parent = nullptr;
      for (size_t above = t; depths[t] > 0 && above-- > 0;)
        if (depths[above] == depths[t] - 1) {
          parent = list[above];
          break;
        }
      ASSERT_EQ(GetParentTrack(list[t]), parent) << "step " << step << ", track " << t;
    }
  }
  // Once restored, every track runs by position, ties in the order the items were made.
  for (MediaTrack* t : project()->tracks) {
    session().reorder_items(t);
    EXPECT_TRUE(in_order(t->items));
  }
}

}  // namespace
