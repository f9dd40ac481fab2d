// Track properties through the plug-in's direct entries and script adapters.
#include <cmath>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "harness.h"

namespace {

using mxtest::HostTest;

constexpr int ERR_INVALID_TRACK = 10, ERR_SET_FAILED = 14, ERR_NOT_ALL_TRACKS = 21, ERR_INVALID_ARGUMENT = 23,
              ERR_GET_NAME_FAILED = 34;
constexpr int RESET = -1;

MediaTrack* const BOGUS_TRACK = reinterpret_cast<MediaTrack*>(0x1234);
ReaProject* const BOGUS_PROJECT = reinterpret_cast<ReaProject*>(0x5678);

class Tracks : public HostTest {};

TEST_F(Tracks, IndexAdapterReturnsZeroForTheFirstTrackAndForAnInvalidOneOnlyTheCodeTells) {
  MediaTrack* first = add_track("A");
  add_track("B");
  EXPECT_EQ(call("GetTrackItemIndex", first), 0);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(call("GetTrackItemIndex", BOGUS_TRACK), 0);
  EXPECT_EQ(error_code(), ERR_INVALID_TRACK);
  EXPECT_EQ(call("GetTrackItemIndex", project()->tracks[1]), 1);
  EXPECT_EQ(error_code(), 0);
  // The master track is valid but has no index among the numbered tracks.
  int index = 7;
  EXPECT_FALSE(api<bool (*)(MediaTrack*, int*)>("MX_GetTrackItemIndex")(project()->master, &index));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(error_code(), ERR_INVALID_TRACK);
}

TEST_F(Tracks, AdaptersReadSlotsByDeclaredType) {
  MediaTrack* t = add_track("A");
  add_track("B");
  // double: through the slot's pointer
  double volume = -6.0;
  call("SetTrackItemVolume", t, &volume);
  EXPECT_NEAR(t->volume, 0.5011872, 1e-7);
  // bool: any non-zero slot is true, also one whose low 32 bits are zero
  call("SetTrackItemMute", t, reinterpret_cast<void*>(uintptr_t{1} << 32));
  EXPECT_EQ(t->mute, 1.0);
  // int: the low 32 bits only
  project()->tracks[1]->mute = 1;
  EXPECT_EQ(call("GetTrackIdMute", nullptr, reinterpret_cast<void*>(uintptr_t{0xFFFFFFFF00000001})), 1);
  // pointer results pass through; a failing lookup is null
  EXPECT_EQ(call("GetTrackItemSelect", nullptr, 1, 0), reinterpret_cast<intptr_t>(project()->tracks[1]));
  EXPECT_EQ(call("GetTrackItemSelect", nullptr, 5, 0), 0);
  // the int class returns negative values sign-extended
  EXPECT_EQ(call("GetTrackCountSelect", nullptr, 0), 2);
}

TEST_F(Tracks, FailuresLeaveTheirCodeAndALaterSuccessClearsIt) {
  MediaTrack* t = add_track("A");
  using Setter = bool (*)(MediaTrack*, bool);
  struct Case {
    const char* refused;
    const char* function;
  };
  for (const Case& c : {Case{"B_MUTE", "MX_SetTrackItemMute"}, Case{"I_SOLO", "MX_SetTrackItemSolo"}}) {
    session().refuse(t, c.refused);
    EXPECT_FALSE(api<Setter>(c.function)(t, true)) << c.function;
    EXPECT_EQ(error_code(), ERR_SET_FAILED) << c.function;
    session().clear_refusals();
    EXPECT_TRUE(api<Setter>(c.function)(t, true)) << c.function;
    EXPECT_EQ(error_code(), 0) << c.function;
  }
  session().refuse(t, "D_VOL");
  EXPECT_FALSE(api<bool (*)(MediaTrack*, double)>("MX_SetTrackItemVolume")(t, -3));
  EXPECT_EQ(error_code(), ERR_SET_FAILED);
  EXPECT_EQ(t->volume, 1.0);
  // adding volume does not check the host's answer
  EXPECT_TRUE(api<bool (*)(MediaTrack*, double)>("MX_SetTrackItemAddVolume")(t, -3));
  session().refuse(t, "P_NAME");
  EXPECT_FALSE(api<bool (*)(MediaTrack*, const char*)>("MX_SetTrackItemName")(t, "B"));
  EXPECT_EQ(error_code(), ERR_SET_FAILED);
  EXPECT_EQ(t->name, "A");

  session().refuse(t, "GetTrackName");
  char name[16] = "untouched";
  EXPECT_FALSE(api<bool (*)(MediaTrack*, char*, int)>("MX_GetTrackItemName")(t, name, sizeof name));
  EXPECT_EQ(error_code(), ERR_GET_NAME_FAILED);
  EXPECT_STREQ(name, "untouched");

  int count = 9;
  EXPECT_FALSE(api<bool (*)(ReaProject*, int, int*)>("MX_GetTrackCountSelect")(nullptr, 2, &count));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(error_code(), ERR_INVALID_ARGUMENT);
  EXPECT_TRUE(api<bool (*)(ReaProject*, int, int*)>("MX_GetTrackCountSelect")(nullptr, 0, &count));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(error_code(), 0);
}

TEST_F(Tracks, SelectLookupWithAnUnknownTypeHandsCodeZeroToTheSink) {
  add_track("A");
  EXPECT_EQ(call("GetTrackItemSelect", nullptr, 0, 2), 0);
  EXPECT_EQ(sink_journal(), (std::vector<int>{RESET, 0}));
  clear_sink_journal();
  EXPECT_FALSE(api<bool (*)(ReaProject*, int, int)>("MX_DeleteTrackIdSelect")(nullptr, 0, 2));
  EXPECT_EQ(error_code(), ERR_INVALID_TRACK);
  EXPECT_EQ(project()->tracks.size(), 1u);
}

TEST_F(Tracks, SwitchingAllOffTriesEveryTrackAndReportsTheOneThatRefused) {
  MediaTrack* a = add_track("A");
  MediaTrack* b = add_track("B");
  MediaTrack* c = add_track("C");
  for (MediaTrack* t : {a, b, c}) t->mute = 1, t->solo = 2;
  session().refuse(b, "B_MUTE");
  session().refuse(a, "I_SOLO");
  clear_sink_journal();
  EXPECT_FALSE(api<bool (*)(ReaProject*)>("MX_SetTrackAllMuteOFF")(nullptr));
  EXPECT_EQ(error_code(), ERR_NOT_ALL_TRACKS);
  const auto journal = sink_journal();
  EXPECT_NE(std::find(journal.begin(), journal.end(), ERR_SET_FAILED), journal.end());
  EXPECT_EQ(journal.back(), ERR_NOT_ALL_TRACKS);
  EXPECT_EQ(a->mute, 0);
  EXPECT_EQ(b->mute, 1);
  EXPECT_EQ(c->mute, 0);
  EXPECT_FALSE(api<bool (*)(ReaProject*)>("MX_SetTrackAllSoloOFF")(nullptr));
  EXPECT_EQ(error_code(), ERR_NOT_ALL_TRACKS);
  EXPECT_EQ(a->solo, 2);
  EXPECT_EQ(b->solo, 0);
  EXPECT_EQ(c->solo, 0);

  host().reset_session();
  EXPECT_TRUE(api<bool (*)(ReaProject*)>("MX_SetTrackAllMuteOFF")(nullptr));
  EXPECT_EQ(error_code(), 0);
}

TEST_F(Tracks, NameCopiesAreBoundedByTheCallersCapacity) {
  MediaTrack* t = add_track("Vocals");
  auto get_name = api<bool (*)(MediaTrack*, char*, int)>("MX_GetTrackItemName");
  struct Case {
    int size;
    std::string expected;
  };
  for (const Case& c : {Case{4, "Voc"}, Case{1, ""}, Case{7, "Vocals"}, Case{100, "Vocals"}}) {
    char buffer[128];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_TRUE(get_name(t, buffer, c.size));
    EXPECT_EQ(std::string(buffer), c.expected) << c.size;
    EXPECT_EQ(buffer[c.expected.size() + 1], 'x') << "wrote past the terminator with size " << c.size;
  }
  char untouched[4] = "abc";
  EXPECT_TRUE(get_name(t, untouched, 0));
  EXPECT_STREQ(untouched, "abc");
  EXPECT_TRUE(get_name(t, nullptr, 100));  // no storage: nothing written, no crash

  // A name longer than the working buffer comes back whole when the caller has room.
  const std::string long_name(200000, 'n');
  t->name = long_name;
  std::vector<char> big(long_name.size() + 1, 'x');
  EXPECT_TRUE(get_name(t, big.data(), static_cast<int>(big.size())));
  EXPECT_EQ(std::string(big.data()), long_name);
  std::vector<char> small(1024, 'x');
  EXPECT_TRUE(get_name(t, small.data(), 1024));
  EXPECT_EQ(std::string(small.data()), long_name.substr(0, 1023));
}

TEST_F(Tracks, BadPointersIndexesAndProjectsGiveCodesNotCrashes) {
  MediaTrack* t = add_track("A");
  auto mute = api<bool (*)(MediaTrack*, bool*)>("MX_GetTrackItemMute");
  bool out = true;
  for (MediaTrack* bad : {BOGUS_TRACK, static_cast<MediaTrack*>(nullptr),
                          reinterpret_cast<MediaTrack*>(project())}) {
    EXPECT_FALSE(mute(bad, &out));
    EXPECT_EQ(error_code(), ERR_INVALID_TRACK);
    EXPECT_TRUE(out) << "output written on failure";
  }
  EXPECT_TRUE(mute(t, nullptr));  // no storage for the output

  auto id_mute = api<bool (*)(ReaProject*, int, bool*)>("MX_GetTrackIdMute");
  for (int index : {-1, 1, 999, INT32_MIN, INT32_MAX}) {
    EXPECT_FALSE(id_mute(nullptr, index, &out)) << index;
    EXPECT_EQ(error_code(), ERR_INVALID_TRACK);
  }
  EXPECT_FALSE(id_mute(BOGUS_PROJECT, 0, &out));
  EXPECT_EQ(error_code(), ERR_INVALID_TRACK);
  int count = 5;
  EXPECT_FALSE(api<bool (*)(ReaProject*, int, int*)>("MX_GetTrackCountSelect")(BOGUS_PROJECT, 0, &count));
  EXPECT_EQ(count, 0);
  EXPECT_FALSE(api<bool (*)(ReaProject*)>("MX_SetTrackAllMuteOFF")(BOGUS_PROJECT));
  EXPECT_NE(error_code(), 0);
  int index = 3;
  EXPECT_EQ(api<MediaTrack* (*)(ReaProject*, int*)>("MX_GetSelectedTrackFirstInfo")(BOGUS_PROJECT, &index), nullptr);
  EXPECT_EQ(index, 3);

  // A deleted track is no longer valid.
  session().delete_track(t);
  EXPECT_FALSE(mute(t, &out));
  EXPECT_EQ(error_code(), ERR_INVALID_TRACK);
}

TEST_F(Tracks, AnotherProjectIsAddressedByItsPointer) {
  ReaProject* other = session().new_project();
  MediaTrack* there = session().insert_track(other, 0);
  there->name = "Elsewhere";
  add_track("Here");
  EXPECT_EQ(call("GetTrackItemSelect", other, 0, 0), reinterpret_cast<intptr_t>(there));
  EXPECT_EQ(call("GetTrackItemIndex", there), 0);
  EXPECT_EQ(error_code(), 0);
  call("SetTrackIdMute", other, 0, true);
  EXPECT_EQ(there->mute, 1);
  EXPECT_EQ(project()->tracks[0]->mute, 0);
}

}  // namespace
