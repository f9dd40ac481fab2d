// Track lists, the operations behind the list functions of the script bindings.
#include <string>
#include <vector>

#include "api/track.h"
#include "native.h"

namespace {

using mxtest::NativeTest;

class TrackLists : public NativeTest {
 protected:
  MediaTrack* add(int change) {
    MediaTrack* t = session().insert_track(session().active(), static_cast<int>(session().active()->tracks.size()));
    t->folder_depth = change;
    return t;
  }
};

TEST_F(TrackLists, DirectChildrenOnlyAppendedAfterWhatTheListHeld) {
  MediaTrack* p = add(1);
  MediaTrack* c = add(1);
  MediaTrack* g = add(-1);
  MediaTrack* c2 = add(-1);
  MediaTrack* x = add(0);
  std::vector<MediaTrack*> list{x};
  int count = -1;
  EXPECT_TRUE(mx_api::track::GetTrackItemChildList(p, list, count));
  EXPECT_EQ(list, (std::vector<MediaTrack*>{x, c, c2}));
  EXPECT_EQ(count, 3);
  list.clear();
  EXPECT_TRUE(mx_api::track::GetTrackItemChildList(c, list, count));
  EXPECT_EQ(list, (std::vector<MediaTrack*>{g}));
  list.clear();
  EXPECT_TRUE(mx_api::track::GetTrackIdChildList(nullptr, 0, list, count));
  EXPECT_EQ(count, 2);
  c->selected = true;
  list.clear();
  EXPECT_TRUE(mx_api::track::GetSelectedTrackIdChildList(nullptr, 0, list));
  EXPECT_EQ(list, (std::vector<MediaTrack*>{g}));
  EXPECT_EQ(error_code(), 0);

  list.clear();
  EXPECT_FALSE(mx_api::track::GetTrackIdChildList(nullptr, 9, list, count));
  EXPECT_EQ(error_code(), 10);
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(mx_api::track::GetTrackItemChildList(reinterpret_cast<MediaTrack*>(0x10), list, count));
  EXPECT_TRUE(list.empty());
}

TEST_F(TrackLists, AllTracksReplaceTheListsContent) {
  MediaTrack* a = add(0);
  MediaTrack* b = add(0);
  std::vector<MediaTrack*> list{b, b, b};
  EXPECT_TRUE(mx_api::track::GetTrackItemList(nullptr, list));
  EXPECT_EQ(list, (std::vector<MediaTrack*>{a, b}));
  EXPECT_FALSE(mx_api::track::GetTrackItemList(reinterpret_cast<ReaProject*>(0x20), list));
}

}  // namespace

namespace {

using mx_object::TrackDetail;

class TrackRecords : public mxtest::NativeTest {
 protected:
  MediaTrack* add(const std::string& name, int change = 0) {
    MediaTrack* t = session().insert_track(session().active(), static_cast<int>(session().active()->tracks.size()));
    t->name = name;
    t->folder_depth = change;
    return t;
  }
};

TEST_F(TrackRecords, DepthListHoldsEveryTrackWithTrackAndDepthOnly) {
  MediaTrack* a = add("A", 1);
  MediaTrack* b = add("B", -1);
  std::vector<TrackDetail> records(1);  // kept in front
  EXPECT_TRUE(mx_api::track::GetTrackDepthList(nullptr, records));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[1].Track->value, a);
  EXPECT_EQ(records[2].Track->value, b);
  EXPECT_EQ(records[2].Depth->value, 1);
  EXPECT_EQ(records[2].get_size(), 2);
  EXPECT_EQ(records[2].get_key_info(0).first, "Track");
  EXPECT_EQ(records[2].get_key_info(1).first, "Depth");
  EXPECT_FALSE(records[2].Index->present);
}

TEST_F(TrackRecords, NameListsMatchExactlyOrByContainedTextIgnoringCase) {
  add("Drums");
  add("drums");
  add("Overhead Drums L");
  add("Bass");
  std::vector<TrackDetail> same;
  EXPECT_TRUE(mx_api::track::GetSamePerfectTrackNameList(nullptr, "Drums", same));
  ASSERT_EQ(same.size(), 1u);
  EXPECT_EQ(same[0].Index->value, 0);
  std::vector<TrackDetail> included;
  EXPECT_TRUE(mx_api::track::GetIncludePerfectTrackNameList(nullptr, "DRUM", included));
  ASSERT_EQ(included.size(), 3u);
  EXPECT_EQ(included[2].Index->value, 2);
  EXPECT_EQ(included[2].Track->value, session().active()->tracks[2]);
  EXPECT_FALSE(included[2].Depth->present);
  EXPECT_EQ(error_code(), 0);
}

TEST_F(TrackRecords, AnUnreadableNameEndsTheListWithItsCode) {
  add("Drums");
  MediaTrack* b = add("Drums");
  add("Drums");
  session().refuse(b, "GetTrackName");
  std::vector<TrackDetail> same;
  EXPECT_FALSE(mx_api::track::GetSamePerfectTrackNameList(nullptr, "Drums", same));
  EXPECT_EQ(same.size(), 1u) << "records made before the failure stay";
  EXPECT_EQ(error_code(), 34);
}

}  // namespace
