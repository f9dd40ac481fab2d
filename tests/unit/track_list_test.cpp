// Track lists, the operations behind the list functions of the script bindings.
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
