// The steps of level riding on small hand-made tables, without a host.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "api/RIDEFORM.h"

namespace {

using mx_object::mx_Peak;
using namespace mx_api::RIDEFORM;

// Peak entries one millisecond apart whose entry level is the given value: the maximum
// lies `level` dB below full scale, the minimum at the -80 dB floor.
std::vector<mx_Peak> entries(const std::vector<double>& levels) {
  std::vector<mx_Peak> out(levels.size());
  for (size_t j = 0; j < levels.size(); ++j) {
    out[j].Time->set(static_cast<double>(j) * 0.001);
    out[j].MaxPeak->set(-levels[j]);
    out[j].MinPeak->set(-80.0);
  }
  return out;
}

double time_of_entry(int window, int entry) { return static_cast<double>(window * 10 + entry - 1) * 0.001; }

riding_points points(const std::vector<std::pair<double, double>>& position_level, bool all_voiced = true) {
  riding_points riding;
  for (const auto& [position, level] : position_level) {
    mx_Peak p;
    p.Pos->set(position);
    p.MaxPeak->set(level);
    riding.points.push_back(p);
    if (all_voiced && level < 50.0) {
      ++riding.voiced;
      riding.voiced_sum += level;
    }
  }
  return riding;
}

TEST(RideSteps, EntryLevelIsTheLouderExtreme) {
  mx_Peak e;
  e.MaxPeak->set(-12.5);
  e.MinPeak->set(-6.0);
  EXPECT_EQ(entry_level(e), 6.0);
  e.MinPeak->set(-80.0);
  EXPECT_EQ(entry_level(e), 12.5);
}

TEST(RideSteps, VoicedWindowPointSitsAtItsLoudestEntryClampedToThreeToSeven) {
  const int expected_entry[] = {0, 3, 3, 3, 4, 5, 6, 7, 7, 7, 7};
  for (int loudest = 1; loudest <= 10; ++loudest) {
    std::vector<double> levels(10, 40.0);
    levels[loudest - 1] = 20.0;
    const riding_points r = window_points(entries(levels));
    ASSERT_EQ(r.points.size(), 1u) << loudest;
    EXPECT_DOUBLE_EQ(r.points[0].Pos->value, time_of_entry(0, expected_entry[loudest])) << loudest;
    EXPECT_EQ(r.points[0].MaxPeak->value, 20.0);
    EXPECT_EQ(r.voiced, 1);
    EXPECT_EQ(r.voiced_sum, 20.0);
  }
}

TEST(RideSteps, OfEqualMinimaTheFirstCounts) {
  std::vector<double> levels(10, 40.0);
  levels[3] = levels[5] = 20.0;  // entries 4 and 6
  const riding_points r = window_points(entries(levels));
  ASSERT_EQ(r.points.size(), 1u);
  EXPECT_DOUBLE_EQ(r.points[0].Pos->value, time_of_entry(0, 4));
}

TEST(RideSteps, ALevelOfExactlyFiftyIsSilentAndSitsAtEntryFive) {
  struct Case {
    double level;
    bool voiced;
  } cases[] = {{50.0, false}, {49.99, true}, {80.0, false}};
  for (const Case& c : cases) {
    std::vector<double> levels(20, 90.0);
    levels[11] = c.level;  // entry 2 of the second window
    const riding_points r = window_points(entries(levels));
    ASSERT_EQ(r.points.size(), 2u) << c.level;
    EXPECT_EQ(r.voiced, c.voiced ? 1 : 0) << c.level;
    EXPECT_DOUBLE_EQ(r.points[1].Pos->value, time_of_entry(1, c.voiced ? 3 : 5)) << c.level;
    EXPECT_EQ(r.points[1].MaxPeak->value, c.level);
    EXPECT_DOUBLE_EQ(r.points[0].Pos->value, time_of_entry(0, 5));
  }
}

TEST(RideSteps, OnlyAVoicedRemainderOfSixToNineEntriesMakesAPoint) {
  for (int remainder = 0; remainder <= 9; ++remainder) {
    for (const double level : {30.0, 60.0}) {
      const riding_points r = window_points(entries(std::vector<double>(10 + remainder, level)));
      const bool extra = remainder > 5 && level < 50.0;
      ASSERT_EQ(r.points.size(), extra ? 2u : 1u) << remainder << " " << level;
      if (extra) {
        EXPECT_DOUBLE_EQ(r.points[1].Pos->value, time_of_entry(1, 5));
      }
      EXPECT_EQ(r.voiced, level < 50.0 ? (extra ? 2 : 1) : 0);
    }
  }
  EXPECT_TRUE(window_points(entries(std::vector<double>(5, 10.0))).points.empty());
  EXPECT_TRUE(window_points({}).points.empty());
}

TEST(RideSteps, RatioByType) {
  const std::pair<int, double> table[] = {{-5, 0.6}, {0, 0.6}, {1, 0.4}, {2, 0.2}, {3, 0.0}, {7, 0.0}};
  for (const auto& [type, r] : table) EXPECT_EQ(ratio_of(type), r) << type;
}

TEST(RideSteps, ReferenceLevelsAreMeansOfEverLouderGroups) {
  // Voiced 4, 6, 8, 12, 12, 30, 40, 46 and one silent window.
  const riding_points r =
      points({{0.0, 4}, {0.0, 6}, {0.0, 8}, {0.0, 12}, {0.0, 12}, {0.0, 30}, {0.0, 40}, {0.0, 46}, {0.0, 70}});
  for (int type : {0, 3}) {
    const reference_levels l = reference_levels_of(r, type);
    ASSERT_TRUE(l.A0 && l.A1 && l.A2 && l.A3 && l.target);
    EXPECT_DOUBLE_EQ(*l.A0, 158.0 / 8);
    EXPECT_DOUBLE_EQ(*l.A1, (4 + 6 + 8 + 12 + 12) / 5.0);
    EXPECT_DOUBLE_EQ(*l.A2, 6.0);
    EXPECT_DOUBLE_EQ(*l.A3, 4.0);
    EXPECT_DOUBLE_EQ(*l.target, 6.0 + ratio_of(type) * (4.0 - 6.0));
  }
}

TEST(RideSteps, GainsFollowTheCutAndLiftRules) {
  reference_levels l;
  l.A0 = 30.0;
  l.A1 = 20.0;
  l.A2 = 10.0;
  l.A3 = 5.0;
  l.target = 7.0;
  riding_points r = points({
      {0.5, 6.0},    // cut by the distance to the target
      {0.5, 7.0},    // target reached exactly: nothing written
      {0.5, 10.0},   // equal to A2: not a cut, but a "lift" between A2 and A1 cuts
      {0.05, 28.5},  // lifted by at most 4 dB before 0.1 s
      {0.1, 28.5},   // exactly 0.1 s: the 0.2 s rule, which needs a level below 28
      {0.1, 27.0},   // the 0.2 s rule
      {0.2, 27.0},   // exactly 0.2 s: the 2 dB rule, which needs a level below 26
      {0.2, 25.0},   // the 2 dB rule
      {0.15, 21.0},  // lifted by what separates it from A1
  });
  const double expected_gain[] = {-1.0, 0.0, 10.0 - 20.0, 4.0, 0.0, 4.0, 0.0, 2.0, 1.0};
  const std::vector<point_write> writes = point_gains(r, l);
  ASSERT_EQ(writes.size(), r.points.size() - 1);
  for (size_t k = 0; k < r.points.size(); ++k)
    EXPECT_DOUBLE_EQ(r.points[k].PointVol->value, expected_gain[k]) << k;
  size_t w = 0;
  for (int k = 0; k < static_cast<int>(r.points.size()); ++k) {
    if (k == 1) continue;
    EXPECT_EQ(writes[w].id, k);
    EXPECT_EQ(writes[w].position, r.points[k].Pos->value);
    EXPECT_DOUBLE_EQ(writes[w].value, std::exp(0.115129254 * expected_gain[k])) << k;
    ++w;
  }
}

TEST(RideSteps, PointsWhoseMeanHasNoContributorStayAtUnity) {
  const std::vector<riding_points> cases = {
      points({{0.05, 20.0}, {0.3, 60.0}, {0.5, 70.0}}),  // one voiced window: nothing below its mean
      points({{0.05, 20.0}, {0.15, 20.0}, {0.3, 20.0}}),  // a perfectly steady line
      points({{0.05, 60.0}, {0.15, 100.0}}),              // no voiced window at all
  };
  for (riding_points r : cases) {
    const std::vector<point_write> writes = point_gains(r, reference_levels_of(r, 0));
    ASSERT_EQ(writes.size(), r.points.size());
    for (const point_write& w : writes) {
      EXPECT_TRUE(std::isfinite(w.value));
      EXPECT_EQ(w.value, 1.0);
    }
    for (const mx_Peak& p : r.points) EXPECT_EQ(p.PointVol->value, 0.0);
  }
}

TEST(RideSteps, ThinningKeepsTheEndsAndEveryStep) {
  struct Case {
    std::vector<double> gains;
    std::vector<int> flat;
  } cases[] = {
      {{0.0, 0.2, 0.4, 1.0, 1.1, 1.2, 3.0}, {1, 4}},
      {{0.0, 0.0, 0.0, 0.0}, {1, 2}},
      {{0.0, 0.5, 1.0}, {}},  // a difference of exactly 0.5 dB is a step
      {{0.0, 0.0}, {}},
      {{}, {}},
  };
  for (const Case& c : cases) {
    std::vector<mx_Peak> pts(c.gains.size());
    for (size_t k = 0; k < pts.size(); ++k) pts[k].PointVol->set(c.gains[k]);
    EXPECT_EQ(flat_point_ids(pts), c.flat);
  }
}

// An envelope as a plain list of (position, value) points.
struct points_env {
  std::vector<std::pair<double, double>> p;
  int count() const { return static_cast<int>(p.size()); }
  std::pair<double, double> read(int i) const { return p.at(i); }
  void erase(int i) { p.erase(p.begin() + i); }
};

TEST(RideSteps, DuplicatesLoseThePointCloserToUnity) {
  using pts = std::vector<std::pair<double, double>>;
  struct Case {
    pts before, after;
  } cases[] = {
      {{{0, 1.0}, {0.1, 0.5}, {0.1, 0.75}, {0.2, 0.5}, {0.2, 1.0}, {0.3, 0.75}, {0.3, 1.25}},
       {{0, 1.0}, {0.1, 0.5}, {0.2, 0.5}, {0.3, 0.75}, {0.3, 1.25}}},  // equal distances: both stay
      {{{0, 1.0}, {0.1, 0.5}, {0.2, 1.0}, {0.2, 0.5}}, {{0, 1.0}, {0.1, 0.5}, {0.2, 0.5}}},
      {{{0.1, 1.0}, {0.1, 0.5}, {0.5, 1.0}}, {{0.1, 1.0}, {0.1, 0.5}, {0.5, 1.0}}},  // 0 and 1 never compared
      {{{0.1, 1.0}, {0.1, 0.5}}, {{0.1, 1.0}, {0.1, 0.5}}},
  };
  for (const Case& c : cases) {
    points_env env{c.before};
    remove_duplicates(env);
    EXPECT_EQ(env.p, c.after);
  }
}

}  // namespace
