// Track insertion and folder depth through the registered functions.
#include <string>
#include <vector>

#include "harness.h"

namespace {

using mxtest::HostTest;

constexpr int ERR_INVALID_TRACK = 10, ERR_INVALID_VALUE = 15;

class Hierarchy : public HostTest {
 protected:
  // Tracks named by `names` with the given folder-depth changes.
  std::vector<MediaTrack*> layout(const std::vector<std::pair<std::string, int>>& tracks) {
    std::vector<MediaTrack*> out;
    for (const auto& [name, change] : tracks) {
      out.push_back(add_track(name));
      out.back()->folder_depth = change;
    }
    return out;
  }
  std::vector<int> depths() {
    std::vector<int> out;
    for (MediaTrack* t : project()->tracks) out.push_back(session().depth_of(t));
    return out;
  }
  std::vector<std::string> names() {
    std::vector<std::string> out;
    for (MediaTrack* t : project()->tracks) out.push_back(t->name);
    return out;
  }
  bool set_depth(MediaTrack* t, int depth) { return api<bool (*)(MediaTrack*, int)>("MX_SetTrackItemDepth")(t, depth); }
};

TEST_F(Hierarchy, MovingATrackIntoAFolderKeepsTheTracksAfterIt) {
  auto t = layout({{"A", 0}, {"B", 0}, {"C", 0}});
  EXPECT_TRUE(set_depth(t[1], 1));
  EXPECT_EQ(t[0]->folder_depth, 1);
  EXPECT_EQ(t[1]->folder_depth, -1);
  EXPECT_EQ(depths(), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(error_code(), 0);
}

TEST_F(Hierarchy, MovingTheOnlyChildOutClosesTheFolder) {
  auto t = layout({{"A", 1}, {"B", -1}, {"C", 0}});
  EXPECT_TRUE(set_depth(t[1], 0));
  EXPECT_EQ(t[0]->folder_depth, 0);
  EXPECT_EQ(t[1]->folder_depth, 0);
  EXPECT_EQ(depths(), (std::vector<int>{0, 0, 0}));
}

TEST_F(Hierarchy, AFolderMovedDeeperTakesItsChildrenAlong) {
  auto t = layout({{"A", 0}, {"F", 1}, {"c1", 0}, {"c2", -1}, {"X", 0}});
  EXPECT_TRUE(set_depth(t[1], 1));
  EXPECT_EQ(depths(), (std::vector<int>{0, 1, 2, 2, 0}));
  EXPECT_TRUE(set_depth(t[1], 0));
  EXPECT_EQ(depths(), (std::vector<int>{0, 0, 1, 1, 0}));
}

TEST_F(Hierarchy, DepthsThatCannotBeReachedChangeNothing) {
  auto t = layout({{"A", 0}, {"B", 0}, {"C", 0}});
  EXPECT_FALSE(set_depth(t[1], 2));
  EXPECT_EQ(error_code(), ERR_INVALID_VALUE);
  EXPECT_EQ(depths(), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(t[0]->folder_depth, 0);
  EXPECT_TRUE(set_depth(t[0], 1));  // the first track has nothing above it
  EXPECT_EQ(depths(), (std::vector<int>{0, 0, 0}));
  EXPECT_FALSE(set_depth(reinterpret_cast<MediaTrack*>(0x99), 1));
  EXPECT_EQ(error_code(), ERR_INVALID_TRACK);
  // Index forms: by all tracks and by the selected ones.
  t[2]->selected = true;
  EXPECT_EQ(call("SetSelectedTrackIdDepth", nullptr, 0, 1), 1);
  EXPECT_EQ(depths(), (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(call("SetTrackIdDepth", nullptr, 1, 1), 1);  // B is now C's folder: C moves along
  EXPECT_EQ(depths(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(call("SetTrackIdDepth", nullptr, 7, 1), 0);
  EXPECT_EQ(error_code(), ERR_INVALID_TRACK);
}

TEST_F(Hierarchy, InsertByIndexReturnsTheNewTrack) {
  layout({{"A", 0}, {"B", 0}, {"C", 0}});
  auto insert = api<MediaTrack* (*)(ReaProject*, int)>("MX_InsertTrackId");
  MediaTrack* fourth = insert(nullptr, 3);
  ASSERT_EQ(project()->tracks.size(), 4u);
  EXPECT_EQ(fourth, project()->tracks[3]);
  MediaTrack* last = insert(nullptr, 10);
  EXPECT_EQ(last, project()->tracks.back());
  EXPECT_EQ(project()->tracks.size(), 5u);
  MediaTrack* first = insert(nullptr, 0);
  EXPECT_EQ(first, project()->tracks.front());
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(insert(nullptr, -1), nullptr);
  EXPECT_EQ(project()->tracks.size(), 6u) << "a negative position inserts nothing";
  EXPECT_NE(error_code(), 0);
}

TEST_F(Hierarchy, InsertUniqueFindsAnExactNameOrAppendsIt) {
  layout({{"Bass", 0}, {"drums", 0}, {"Drums", 0}});
  auto unique = api<MediaTrack* (*)(ReaProject*, const char*, int*)>("MX_InsertTrackSearchUniqueOnly");
  int index = -1;
  EXPECT_EQ(unique(nullptr, "Drums", &index), project()->tracks[2]);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(project()->tracks.size(), 3u);

  host().reset_session();
  layout({{"drums", 0}});
  MediaTrack* added = unique(nullptr, "Drums", &index);
  ASSERT_EQ(project()->tracks.size(), 2u);
  EXPECT_EQ(added, project()->tracks[1]);
  EXPECT_EQ(added->name, "Drums");
  EXPECT_EQ(index, 1);
  EXPECT_EQ(error_code(), 0);
}

TEST_F(Hierarchy, ChildTracksGoAfterTheParentsWholeSubtree) {
  auto t = layout({{"P", 0}, {"X", 0}});
  auto child = api<MediaTrack* (*)(MediaTrack*, int*)>("MX_InsertChildTrack");
  int index = -1;
  MediaTrack* c1 = child(t[0], &index);
  ASSERT_NE(c1, nullptr);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(project()->tracks[1], c1);
  EXPECT_EQ(depths(), (std::vector<int>{0, 1, 0}));
  c1->name = "c1";

  MediaTrack* c2 = child(t[0], &index);
  c2->name = "c2";
  EXPECT_EQ(index, 2);
  EXPECT_EQ(names(), (std::vector<std::string>{"P", "c1", "c2", "X"}));
  EXPECT_EQ(depths(), (std::vector<int>{0, 1, 1, 0}));

  // A grandchild under c2, then another child of P: it goes after the grandchild.
  MediaTrack* g = child(c2, &index);
  g->name = "g";
  EXPECT_EQ(depths(), (std::vector<int>{0, 1, 1, 2, 0}));
  MediaTrack* c3 = child(t[0], &index);
  c3->name = "c3";
  EXPECT_EQ(names(), (std::vector<std::string>{"P", "c1", "c2", "g", "c3", "X"}));
  EXPECT_EQ(depths(), (std::vector<int>{0, 1, 1, 2, 1, 0}));
  EXPECT_EQ(session().parent_of(c3), t[0]);
  EXPECT_EQ(session().parent_of(g), c2);
  EXPECT_EQ(error_code(), 0);

  // The last track of the project gets a child too.
  MediaTrack* xc = child(t[1], &index);
  EXPECT_EQ(project()->tracks.back(), xc);
  EXPECT_EQ(session().parent_of(xc), t[1]);

  EXPECT_EQ(child(reinterpret_cast<MediaTrack*>(0x42), &index), nullptr);
  EXPECT_EQ(error_code(), ERR_INVALID_TRACK);
}

}  // namespace
