#include <cstring>
#include <string>
#include <vector>

#include "harness.h"

namespace {

using mxtest::HostTest;

TEST_F(HostTest, SmokeMute) {
  MediaTrack* t = add_track("A");
  bool mute = true;
  EXPECT_TRUE(api<bool (*)(MediaTrack*, bool*)>("MX_GetTrackItemMute")(t, &mute));
  EXPECT_FALSE(mute);
}

}  // namespace
