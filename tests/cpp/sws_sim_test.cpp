// The SWS extension stand-in as the plug-in meets it: every function found through the
// host's lookup by name and called there, or through its script adapter; the session
// it works on is built in the simulated host's model.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "definitions.h"
#include "harness.h"
#include "simhost/source.h"
#include "tests/support/audio_fixture.h"

struct BR_Envelope;

namespace mxtest {
namespace {

constexpr int RATE = 48000;
constexpr double FLOOR = -150.0;

using Analyze = bool (*)(MediaItem_Take*, bool, double*, double*, double*, double*, double*, double*, double*,
                         double*);
using EnvAlloc = BR_Envelope* (*)(TrackEnvelope*, bool);
using EnvFree = bool (*)(BR_Envelope*, bool);
using EnvGetProperties = void (*)(BR_Envelope*, bool*, bool*, bool*, bool*, int*, int*, double*, double*, double*,
                                  int*, bool*, int*);
using EnvSetProperties = void (*)(BR_Envelope*, bool, bool, bool, bool, int, int, bool, int*);
using EnvSortPoints = void (*)(BR_Envelope*);
using EnvCountPoints = int (*)(BR_Envelope*);
using EnvGetPoint = bool (*)(BR_Envelope*, int, double*, double*, int*, bool*, double*);
using EnvSetPoint = bool (*)(BR_Envelope*, int, double, double, int, bool, double);
using EnvDeletePoint = bool (*)(BR_Envelope*, int);

double db(double factor) { return 20.0 * std::log10(factor); }

struct Loudness {
  bool ok = false;
  double integrated = 0, range = 0, true_peak = 0, true_peak_pos = 0, short_term = 0, momentary = 0,
         short_term_pos = 0, momentary_pos = 0;
};

// Tone segments laid end to end: (seconds, amplitude) of a 1 kHz sine.
using Segments = std::vector<std::pair<double, double>>;

class SwsTest : public HostTest {
 public:  // case tables call these through the fixture
  std::vector<float> tone(const Segments& segments, int channels = 1) {
    std::vector<float> out;
    for (const auto& [seconds, amplitude] : segments) {
      const auto part = audio::sine(1000.0, amplitude, seconds, RATE, channels);
      out.insert(out.end(), part.begin(), part.end());
    }
    return out;
  }

  // An item at `position` as long as the audio (or `length`), one take holding it.
  MediaItem_Take* take_of(const std::vector<float>& frames, int channels, double position = 0.0,
                          double length = -1.0) {
    const std::string path = scratch_folder("sws-audio") + "/take" + std::to_string(files_++) + ".wav";
    audio::write(path, frames, channels, RATE, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    MediaItem* item = session().add_item(add_track());
    item->position = position;
    item->length = length >= 0 ? length : static_cast<double>(frames.size() / static_cast<size_t>(channels)) / RATE;
    MediaItem_Take* take = session().add_take(item);
    take->source = sim::open_file_source(path);
    EXPECT_NE(take->source, nullptr) << path;
    return take;
  }

  Loudness analyze(MediaItem_Take* take, bool true_peak = false) {
    Loudness l;
    l.ok = api<Analyze>("NF_AnalyzeTakeLoudness2")(take, true_peak, &l.integrated, &l.range, &l.true_peak,
                                                   &l.true_peak_pos, &l.short_term, &l.momentary, &l.short_term_pos,
                                                   &l.momentary_pos);
    return l;
  }

  // Raw envelope values as the host stores them for an amplitude.
  double raw(bool fader, double amplitude) {
    return fader ? api<double (*)(int, double)>("ScaleToEnvelopeMode")(1, amplitude) : amplitude;
  }

  TrackEnvelope* volume_envelope(MediaItem_Take* take, bool fader, const std::vector<std::pair<double, double>>& points,
                                 int shape = 1) {
    TrackEnvelope* env = session().add_envelope(take, "Volume");
    env->fader_scaling = fader;
    for (const auto& [time, amplitude] : points) env->points.push_back({time, raw(fader, amplitude), shape, 0, false});
    return env;
  }

 private:
  int files_ = 0;
};

// ---- loudness -------------------------------------------------------------------------

TEST_F(SwsTest, SineAtMinus20DbfsIsAboutMinus23Lufs) {
  MediaItem_Take* take = take_of(tone({{2.0, 0.1}}), 1, 3.0);
  const Loudness l = analyze(take, true);
  ASSERT_TRUE(l.ok);
  EXPECT_NEAR(l.momentary, -23.0, 0.2);
  EXPECT_NEAR(l.integrated, -23.0, 0.2);
  EXPECT_NEAR(l.true_peak, -20.0, 0.2);
  EXPECT_GE(l.true_peak_pos, 0.0);
  EXPECT_LE(l.true_peak_pos, 2.0);
  EXPECT_NEAR(l.range, 0.0, 0.5);
  EXPECT_EQ(l.short_term, FLOOR) << "no short-term window under 3 s";
  EXPECT_EQ(l.short_term_pos, 3.0);
}

TEST_F(SwsTest, StereoCountsBothChannelsAndMonoStaysMono) {
  const Loudness mono = analyze(take_of(tone({{1.2, 0.1}}, 1), 1));
  const Loudness stereo = analyze(take_of(tone({{1.2, 0.1}}, 2), 2));
  ASSERT_TRUE(mono.ok && stereo.ok);
  EXPECT_NEAR(stereo.momentary - mono.momentary, 10.0 * std::log10(2.0), 0.05);
}

TEST_F(SwsTest, MaximaAreFoundInTheirBlocksAndPlacedInProjectTime) {
  // A loud block from 2.8 s inside a louder stretch from 2.0 to 5.0 s of a 6 s take.
  const auto frames = tone({{2.0, 0.01}, {0.8, 0.1}, {0.4, 0.2}, {1.8, 0.1}, {1.0, 0.01}});
  const Loudness l = analyze(take_of(frames, 1, 10.0));
  ASSERT_TRUE(l.ok);
  EXPECT_NEAR(l.momentary, -23.0 + db(2.0), 0.2);
  EXPECT_NEAR(l.momentary_pos, 10.0 + 2.8, 1e-9);
  EXPECT_NEAR(l.short_term_pos, 10.0 + 2.0, 1e-9) << "the 3 s window that holds the whole loud stretch";
  EXPECT_GT(l.short_term, -23.0);
  EXPECT_LT(l.short_term, l.momentary);
}

TEST_F(SwsTest, SilenceAndTakesWithoutWholeBlocks) {
  struct Case {
    const char* what;
    Segments audio;
    bool momentary_floor, short_term_floor;
  } cases[] = {
      {"digital silence", {{3.6, 0.0}}, true, true},
      {"shorter than one momentary block", {{0.39, 0.1}}, true, true},
      {"shorter than a short-term window", {{2.9, 0.1}}, false, true},
      {"one short-term window", {{3.0, 0.1}}, false, false},
  };
  for (const Case& c : cases) {
    const Loudness l = analyze(take_of(tone(c.audio), 1, 7.0));
    ASSERT_TRUE(l.ok) << c.what;
    EXPECT_EQ(l.momentary == FLOOR, c.momentary_floor) << c.what << ": " << l.momentary;
    EXPECT_EQ(l.short_term == FLOOR, c.short_term_floor) << c.what << ": " << l.short_term;
    if (c.momentary_floor) {
      EXPECT_EQ(l.momentary_pos, 7.0) << c.what;
    }
    if (c.short_term_floor) {
      EXPECT_EQ(l.short_term_pos, 7.0) << c.what;
    }
  }
  const Loudness silent = analyze(take_of(tone({{1.0, 0.0}}), 1), true);
  EXPECT_EQ(silent.integrated, FLOOR);
  EXPECT_EQ(silent.true_peak, FLOOR);
}

TEST_F(SwsTest, NoAudioNoMeasurement) {
  MediaItem_Take* empty = session().add_take(session().add_item(add_track()));
  MediaItem_Take* dead = take_of(tone({{1.0, 0.1}}), 1);
  session().delete_item(dead->item);
  for (MediaItem_Take* take : {static_cast<MediaItem_Take*>(nullptr), empty, dead}) EXPECT_FALSE(analyze(take).ok);
  // Every output may be left out.
  MediaItem_Take* good = take_of(tone({{0.8, 0.1}}), 1);
  EXPECT_TRUE(api<Analyze>("NF_AnalyzeTakeLoudness2")(good, true, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                       nullptr, nullptr));
}

TEST_F(SwsTest, TakeAndItemVolumeAndTakePanScaleTheAudio) {
  struct Case {
    int channels;
    double take_volume, item_volume, pan;
    double left, right;  // the gains the take applies to each channel
  } cases[] = {
      {1, 0.5, 1.0, 0.0, 0.5, 0.5},   {1, 0.5, 0.5, 0.0, 0.25, 0.25}, {1, -1.0, 1.0, 0.0, 1.0, 1.0},
      {1, 1.0, 1.0, 1.0, 1.0, 1.0},   {2, 1.0, 1.0, 1.0, 0.0, 1.0},   {2, 1.0, 1.0, -0.5, 1.0, 0.5},
      {2, 2.0, 1.0, 0.25, 1.5, 2.0},
  };
  for (const Case& c : cases) {
    MediaItem_Take* take = take_of(tone({{1.2, 0.1}}, c.channels), c.channels);
    const Loudness before = analyze(take);
    take->volume = c.take_volume;
    take->pan = c.pan;
    take->item->volume = c.item_volume;
    const Loudness after = analyze(take);
    ASSERT_TRUE(before.ok && after.ok);
    const double power = c.channels == 1 ? c.left * c.left : (c.left * c.left + c.right * c.right) / 2.0;
    EXPECT_NEAR(after.momentary - before.momentary, 10.0 * std::log10(power), 0.02)
        << c.channels << " channels, volume " << c.take_volume << " x " << c.item_volume << ", pan " << c.pan;
  }
}

TEST_F(SwsTest, ActiveVolumeEnvelopeWithPointsShapesTheLoudness) {
  for (const bool fader : {true, false}) {
    for (const double play_rate : {1.0, 2.0}) {
      // Twice the amplitude over 0.8 to 1.2 s of item time, in take time.
      MediaItem_Take* take = take_of(tone({{4.0, 0.1}}), 1, 1.0, 2.0);
      take->play_rate = play_rate;
      const Loudness plain = analyze(take);
      TrackEnvelope* env =
          volume_envelope(take, fader, {{0.0, 1.0}, {0.8 * play_rate, 2.0}, {1.2 * play_rate, 1.0}});
      const Loudness shaped = analyze(take);
      ASSERT_TRUE(plain.ok && shaped.ok);
      EXPECT_NEAR(shaped.momentary - plain.momentary, db(2.0), 0.05) << "fader " << fader << " rate " << play_rate;
      EXPECT_NEAR(shaped.momentary_pos, 1.0 + 0.8, 1e-9) << "fader " << fader << " rate " << play_rate;

      env->active = false;
      EXPECT_NEAR(analyze(take).momentary, plain.momentary, 1e-9) << "an inactive envelope counts for nothing";
      env->active = true;
      env->points.clear();
      EXPECT_NEAR(analyze(take).momentary, plain.momentary, 1e-9) << "nor does one without points";
    }
  }
}

// ---- envelope handles -----------------------------------------------------------------

class SwsEnvelopeTest : public SwsTest {
 public:
  // A take at 5 s with play rate 2 and a fader-scaled volume envelope with three points.
  void SetUp() override {
    SwsTest::SetUp();
    take = take_of(tone({{4.0, 0.1}}), 1, 5.0, 2.0);
    take->play_rate = 2.0;
    env = volume_envelope(take, true, {{0.0, 1.0}, {1.0, 0.5}, {3.0, 2.0}}, 0);
    env->points[1].selected = true;
    env->points[2].shape = 5;
    env->points[2].tension = 0.25;
  }

  BR_Envelope* alloc(bool project_time = false) { return api<EnvAlloc>("BR_EnvAlloc")(env, project_time); }
  bool free(BR_Envelope* h, bool commit) { return api<EnvFree>("BR_EnvFree")(h, commit); }
  int count(BR_Envelope* h) { return api<EnvCountPoints>("BR_EnvCountPoints")(h); }
  bool set(BR_Envelope* h, int id, double position, double value, int shape = 0, bool selected = false,
           double bezier = 0.0) {
    return api<EnvSetPoint>("BR_EnvSetPoint")(h, id, position, value, shape, selected, bezier);
  }
  struct Point {
    bool ok;
    double position, value;
    int shape;
    bool selected;
    double bezier;
  };
  Point get(BR_Envelope* h, int id) {
    Point p{false, -1, -1, -1, true, -1};
    p.ok = api<EnvGetPoint>("BR_EnvGetPoint")(h, id, &p.position, &p.value, &p.shape, &p.selected, &p.bezier);
    return p;
  }
  std::vector<double> positions(BR_Envelope* h) {
    std::vector<double> out;
    for (int i = 0; i < count(h); ++i) out.push_back(get(h, i).position);
    return out;
  }

  MediaItem_Take* take = nullptr;
  TrackEnvelope* env = nullptr;
};

TEST_F(SwsEnvelopeTest, PointsReadInSecondsFromTheItemAndAsAmplitudes) {
  for (const bool project_time : {false, true}) {
    BR_Envelope* h = alloc(project_time);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(count(h), 3);
    const double offset = project_time ? 5.0 : 0.0;
    const double expected[][2] = {{0.0, 1.0}, {0.5, 0.5}, {1.5, 2.0}};
    for (int i = 0; i < 3; ++i) {
      const Point p = get(h, i);
      EXPECT_TRUE(p.ok);
      EXPECT_NEAR(p.position, offset + expected[i][0], 1e-12) << i;
      EXPECT_NEAR(p.value, expected[i][1], 1e-9) << i;
    }
    EXPECT_TRUE(get(h, 1).selected);
    EXPECT_EQ(get(h, 2).shape, 5);
    EXPECT_DOUBLE_EQ(get(h, 2).bezier, 0.25);
    EXPECT_FALSE(free(h, true));
  }
}

TEST_F(SwsEnvelopeTest, EditsReachTheEnvelopeOnCommitAndUntouchedPointsStayExact) {
  // Project time at a rate whose conversion does not round-trip exactly.
  take->item->position = 5.3;
  take->play_rate = 1.3;
  env->points[2].time = 2.9;
  const EnvelopePoint first = env->points[0], far = env->points[2];
  BR_Envelope* h = alloc(true);
  ASSERT_TRUE(set(h, 1, 5.3 + 0.75, 0.25, 1, false, 0.0));
  ASSERT_TRUE(set(h, -1, 5.3 + 1.9, 1.5));
  EXPECT_TRUE(free(h, true));
  ASSERT_EQ(env->points.size(), 4u);
  EXPECT_EQ(env->points[0].time, first.time);
  EXPECT_EQ(env->points[0].value, first.value);
  EXPECT_NEAR(env->points[1].time, 0.75 * 1.3, 1e-12) << "item time times the play rate";
  EXPECT_NEAR(env->points[1].value, raw(true, 0.25), 1e-12);
  EXPECT_EQ(env->points[1].shape, 1);
  EXPECT_FALSE(env->points[1].selected);
  EXPECT_NEAR(env->points[2].time, 1.9 * 1.3, 1e-12) << "sorted into place";
  EXPECT_NEAR(env->points[2].value, raw(true, 1.5), 1e-12);
  EXPECT_EQ(env->points[3].time, far.time) << "untouched: exactly as read";
  EXPECT_EQ(env->points[3].value, far.value);
  EXPECT_EQ(env->points[3].shape, 5);
  EXPECT_EQ(env->points[3].tension, 0.25);

  BR_Envelope* again = alloc();
  EXPECT_NEAR(get(again, 1).value, 0.25, 1e-9) << "read back through the host";
  free(again, false);
}

TEST_F(SwsEnvelopeTest, WritesOnlyWhenSomethingChanged) {
  struct Case {
    const char* what;
    bool (*edit)(SwsEnvelopeTest&, BR_Envelope*);
    bool commit, writes;
  } cases[] = {
      {"nothing", [](SwsEnvelopeTest&, BR_Envelope*) { return true; }, true, false},
      {"a point set to what it was",
       [](SwsEnvelopeTest& t, BR_Envelope* h) {
         const Point p = t.get(h, 1);
         return t.set(h, 1, p.position, p.value, p.shape, p.selected, p.bezier);
       },
       true, false},
      {"sorting sorted points",
       [](SwsEnvelopeTest& t, BR_Envelope* h) {
         t.api<EnvSortPoints>("BR_EnvSortPoints")(h);
         return true;
       },
       true, false},
      {"properties set as they were",
       [](SwsEnvelopeTest& t, BR_Envelope* h) {
         t.api<EnvSetProperties>("BR_EnvSetProperties")(h, true, true, false, false, 0, 0, true, nullptr);
         return true;
       },
       true, false},
      {"a moved point", [](SwsEnvelopeTest& t, BR_Envelope* h) { return t.set(h, 1, 0.6, 0.5, 0, true, 0.0); }, true,
       true},
      {"a moved point, not committed",
       [](SwsEnvelopeTest& t, BR_Envelope* h) { return t.set(h, 1, 0.6, 0.5, 0, true, 0.0); }, false, false},
      {"a deleted point",
       [](SwsEnvelopeTest& t, BR_Envelope* h) { return t.api<EnvDeletePoint>("BR_EnvDeletePoint")(h, 0); }, true,
       true},
      {"armed",
       [](SwsEnvelopeTest& t, BR_Envelope* h) {
         t.api<EnvSetProperties>("BR_EnvSetProperties")(h, true, true, true, false, 0, 0, true, nullptr);
         return true;
       },
       true, true},
  };
  for (const Case& c : cases) {
    SetUp();
    const auto points_before = env->points.size();
    const double time_before = env->points[1].time;
    const bool armed_before = env->armed;
    const int redraws = session().update_arrange_count;
    BR_Envelope* h = alloc();
    ASSERT_TRUE(c.edit(*this, h)) << c.what;
    EXPECT_EQ(free(h, c.commit), c.writes) << c.what;
    EXPECT_EQ(session().update_arrange_count > redraws, c.writes) << c.what << ": redrawn after writing";
    const bool host_changed =
        env->points.size() != points_before || env->points[1].time != time_before || env->armed != armed_before;
    EXPECT_EQ(host_changed, c.writes) << c.what;
    EXPECT_FALSE(free(h, true)) << c.what << ": the handle is gone after freeing";
  }
}

TEST_F(SwsEnvelopeTest, IdsAfterDeletingAndAppending) {
  BR_Envelope* h = alloc();
  EXPECT_TRUE(api<EnvDeletePoint>("BR_EnvDeletePoint")(h, 1));
  EXPECT_EQ(count(h), 2);
  EXPECT_NEAR(get(h, 1).position, 1.5, 1e-12) << "the later point moved down";
  for (int bad : {-1, 2, 100}) EXPECT_FALSE(api<EnvDeletePoint>("BR_EnvDeletePoint")(h, bad)) << bad;
  EXPECT_FALSE(set(h, 2, 1.0, 1.0)) << "only -1 appends";
  EXPECT_FALSE(set(h, -2, 1.0, 1.0));
  EXPECT_TRUE(set(h, -1, 0.2, 1.0));
  EXPECT_EQ(positions(h), (std::vector<double>{0.0, 1.5, 0.2})) << "appended unsorted";
  const Point missing = get(h, 3);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.position, 0.0);
  EXPECT_EQ(missing.value, 0.0);
  EXPECT_EQ(missing.shape, 0);
  EXPECT_FALSE(missing.selected);
  EXPECT_EQ(missing.bezier, 0.0);
  free(h, false);
}

TEST_F(SwsEnvelopeTest, SortingIsStableByPosition) {
  BR_Envelope* h = alloc();
  // Equal positions told apart by value; their order must survive the sort.
  ASSERT_TRUE(set(h, -1, 0.25, 0.1));
  ASSERT_TRUE(set(h, -1, 0.1, 0.2));
  ASSERT_TRUE(set(h, -1, 0.25, 0.3));
  ASSERT_TRUE(set(h, 0, 0.25, 0.4));
  api<EnvSortPoints>("BR_EnvSortPoints")(h);
  EXPECT_EQ(positions(h), (std::vector<double>{0.1, 0.25, 0.25, 0.25, 0.5, 1.5}));
  std::vector<double> values;
  for (int i = 0; i < count(h); ++i) values.push_back(get(h, i).value);
  EXPECT_NEAR(values[1], 0.4, 1e-9);
  EXPECT_NEAR(values[2], 0.1, 1e-9);
  EXPECT_NEAR(values[3], 0.3, 1e-9);
  EXPECT_TRUE(free(h, true));
  ASSERT_EQ(env->points.size(), 6u);
  EXPECT_NEAR(env->points[1].value, raw(true, 0.4), 1e-12);
  EXPECT_NEAR(env->points[2].value, raw(true, 0.1), 1e-12);
  EXPECT_NEAR(env->points[3].value, raw(true, 0.3), 1e-12);

  // Enough equal positions for a sort that is not stable to show it.
  h = alloc();
  while (count(h) > 0) api<EnvDeletePoint>("BR_EnvDeletePoint")(h, 0);
  for (int i = 0; i < 60; ++i) ASSERT_TRUE(set(h, -1, 0.07 + 0.1 * (i % 3), 0.01 * i));
  api<EnvSortPoints>("BR_EnvSortPoints")(h);
  double last_position = -1, last_value = -1;
  for (int i = 0; i < count(h); ++i) {
    const Point p = get(h, i);
    if (p.position == last_position) {
      EXPECT_GT(p.value, last_value) << "point " << i;
    }
    EXPECT_GE(p.position, last_position) << "point " << i;
    last_position = p.position, last_value = p.value;
  }
  free(h, false);
}

TEST_F(SwsEnvelopeTest, PointShapesAndBezier) {
  env->default_shape = 2;
  BR_Envelope* h = alloc();
  ASSERT_TRUE(set(h, -1, 1.0, 1.0, 9, false, 0.5));
  EXPECT_EQ(get(h, 3).shape, 2) << "a new point with an unknown shape gets the default shape";
  EXPECT_EQ(get(h, 3).bezier, 0.0) << "bezier only for shape 5";
  ASSERT_TRUE(set(h, 2, 1.5, 2.0, 7, false, -0.5));
  EXPECT_EQ(get(h, 2).shape, 5) << "an existing point keeps its shape for an unknown one";
  EXPECT_EQ(get(h, 2).bezier, -0.5);
  ASSERT_TRUE(set(h, 2, 1.5, 2.0, 0, false, -0.5));
  EXPECT_EQ(get(h, 2).bezier, 0.0);
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(set(h, 1, nan, 1.0));
  EXPECT_FALSE(set(h, -1, 1.0, inf));
  EXPECT_EQ(count(h), 4);
  free(h, false);
}

struct Properties {
  bool active = false, visible = false, armed = false, in_lane = false;
  int lane_height = -7, default_shape = -7;
  double min = -7, max = -7, center = -7;
  int type = -7;
  bool fader = false;
  int ai = -7;
};

TEST_F(SwsEnvelopeTest, PropertiesReadAndSet) {
  env->active = false;
  env->armed = true;
  env->in_lane = true;
  env->lane_height = 40;
  env->default_shape = 3;
  env->ai_options = 2;
  auto read = [this](BR_Envelope* h) {
    Properties p;
    api<EnvGetProperties>("BR_EnvGetProperties")(h, &p.active, &p.visible, &p.armed, &p.in_lane, &p.lane_height,
                                                  &p.default_shape, &p.min, &p.max, &p.center, &p.type, &p.fader,
                                                  &p.ai);
    return p;
  };
  BR_Envelope* h = alloc();
  Properties p = read(h);
  EXPECT_FALSE(p.active);
  EXPECT_TRUE(p.visible);
  EXPECT_TRUE(p.armed);
  EXPECT_TRUE(p.in_lane);
  EXPECT_EQ(p.lane_height, 40);
  EXPECT_EQ(p.default_shape, 3);
  EXPECT_EQ(p.min, 0.0);
  EXPECT_EQ(p.max, 2.0);
  EXPECT_EQ(p.center, 1.0);
  EXPECT_EQ(p.type, 0);
  EXPECT_TRUE(p.fader);
  EXPECT_EQ(p.ai, 2);
  // Outputs may be null.
  api<EnvGetProperties>("BR_EnvGetProperties")(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, nullptr, nullptr);

  auto set_properties = api<EnvSetProperties>("BR_EnvSetProperties");
  int options = 7;  // outside -1..6: ignored
  set_properties(h, true, false, false, false, 10, 6, true, &options);
  p = read(h);
  EXPECT_TRUE(p.active);
  EXPECT_FALSE(p.visible);
  EXPECT_EQ(p.lane_height, 10);
  EXPECT_EQ(p.default_shape, 3) << "a shape outside 0..5 is ignored";
  EXPECT_EQ(p.ai, 2);
  options = 4;
  set_properties(h, true, false, false, false, 10, 5, true, &options);
  EXPECT_EQ(read(h).ai, 4);
  EXPECT_EQ(read(h).default_shape, 5);
  set_properties(h, true, false, false, false, 10, 5, true, nullptr);
  EXPECT_EQ(read(h).ai, 4) << "no options pointer, no change";
  EXPECT_TRUE(free(h, true));
  EXPECT_TRUE(env->active);
  EXPECT_FALSE(env->visible);
  EXPECT_FALSE(env->armed);
  EXPECT_EQ(env->lane_height, 10);
  EXPECT_EQ(env->default_shape, 5);
  EXPECT_EQ(env->ai_options, 4);
  EXPECT_TRUE(env->fader_scaling);
}

TEST_F(SwsEnvelopeTest, FaderScalingIsForVolumeOnlyAndValuesFollowIt) {
  TrackEnvelope* pan = session().add_envelope(take, "Pan");
  pan->points.push_back({0.0, -0.5, 0, 0, false});
  BR_Envelope* h = api<EnvAlloc>("BR_EnvAlloc")(pan, false);
  api<EnvSetProperties>("BR_EnvSetProperties")(h, true, true, false, false, 0, 0, true, nullptr);
  Properties p;
  api<EnvGetProperties>("BR_EnvGetProperties")(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &p.min,
                                                &p.max, &p.center, &p.type, &p.fader, nullptr);
  EXPECT_FALSE(p.fader);
  EXPECT_EQ(p.type, 2);
  EXPECT_EQ(p.min, -1.0);
  EXPECT_EQ(p.max, 1.0);
  EXPECT_EQ(get(h, 0).value, -0.5) << "pan values are not scaled";
  free(h, true);
  EXPECT_FALSE(pan->fader_scaling);

  // Turning fader scaling off stores the same amplitudes unscaled.
  h = alloc();
  api<EnvSetProperties>("BR_EnvSetProperties")(h, true, true, false, false, 0, 0, false, nullptr);
  EXPECT_TRUE(free(h, true));
  EXPECT_FALSE(env->fader_scaling);
  EXPECT_NEAR(env->points[1].value, 0.5, 1e-9);
  EXPECT_NEAR(env->points[2].value, 2.0, 1e-9);
}

TEST_F(SwsEnvelopeTest, UnknownHandlesAnswerFalseZeroAndMinusOne) {
  BR_Envelope* freed = alloc();
  free(freed, false);
  int stack_object = 0;
  for (BR_Envelope* h : {static_cast<BR_Envelope*>(nullptr), freed, reinterpret_cast<BR_Envelope*>(&stack_object)}) {
    Properties p;
    p.active = p.visible = p.armed = p.in_lane = p.fader = true;
    api<EnvGetProperties>("BR_EnvGetProperties")(h, &p.active, &p.visible, &p.armed, &p.in_lane, &p.lane_height,
                                                  &p.default_shape, &p.min, &p.max, &p.center, &p.type, &p.fader,
                                                  &p.ai);
    EXPECT_FALSE(p.active || p.visible || p.armed || p.in_lane || p.fader);
    EXPECT_EQ(p.lane_height, 0);
    EXPECT_EQ(p.default_shape, 0);
    EXPECT_EQ(p.min, 0.0);
    EXPECT_EQ(p.type, -1);
    EXPECT_EQ(p.ai, -1);
    EXPECT_EQ(count(h), 0);
    EXPECT_FALSE(get(h, 0).ok);
    EXPECT_FALSE(set(h, -1, 0.0, 1.0));
    EXPECT_FALSE(api<EnvDeletePoint>("BR_EnvDeletePoint")(h, 0));
    api<EnvSortPoints>("BR_EnvSortPoints")(h);
    api<EnvSetProperties>("BR_EnvSetProperties")(h, true, true, true, true, 1, 1, true, nullptr);
    EXPECT_FALSE(free(h, true));
  }
  EXPECT_EQ(stack_object, 0);
  EXPECT_EQ(api<EnvAlloc>("BR_EnvAlloc")(nullptr, false), nullptr);
  session().delete_item(take->item);
  EXPECT_EQ(alloc(), nullptr) << "an envelope of a deleted item";
}

TEST_F(SwsEnvelopeTest, CommitToAnEnvelopeDeletedMeanwhileWritesNothing) {
  BR_Envelope* h = alloc();
  ASSERT_TRUE(set(h, 0, 0.1, 0.9));
  session().delete_item(take->item);
  EXPECT_FALSE(free(h, true));
  EXPECT_EQ(count(h), 0) << "freed all the same";
}

// ---- registration -----------------------------------------------------------------------

const char* const SWS_FUNCTIONS[] = {
    "NF_AnalyzeTakeLoudness2", "BR_EnvAlloc",       "BR_EnvFree",       "BR_EnvGetProperties", "BR_EnvSetProperties",
    "BR_EnvSortPoints",        "BR_EnvCountPoints", "BR_EnvGetPoint",   "BR_EnvSetPoint",      "BR_EnvDeletePoint",
};

std::string def(const char* result, const char* types, const char* names) {
  return std::string(result) + '\0' + types + '\0' + names;
}

TEST_F(SwsTest, DefinitionsDeclareTheExtensionsSignatures) {
  const std::vector<std::pair<const char*, std::string>> expected{
      {"NF_AnalyzeTakeLoudness2",
       def("bool", "MediaItem_Take*,bool,double*,double*,double*,double*,double*,double*,double*,double*",
           "take,analyzeTruePeak,lufsIntegratedOut,rangeOut,truePeakOut,truePeakPosOut,shortTermMaxOut,"
           "momentaryMaxOut,shortTermMaxPosOut,momentaryMaxPosOut")},
      {"BR_EnvAlloc", def("BR_Envelope*", "TrackEnvelope*,bool", "envelope,takeEnvelopesUseProjectTime")},
      {"BR_EnvFree", def("bool", "BR_Envelope*,bool", "envelope,commit")},
      {"BR_EnvGetProperties",
       def("void", "BR_Envelope*,bool*,bool*,bool*,bool*,int*,int*,double*,double*,double*,int*,bool*,int*",
           "envelope,activeOut,visibleOut,armedOut,inLaneOut,laneHeightOut,defaultShapeOut,minValueOut,maxValueOut,"
           "centerValueOut,typeOut,faderScalingOut,automationItemsOptionsOutOptional")},
      {"BR_EnvSetProperties", def("void", "BR_Envelope*,bool,bool,bool,bool,int,int,bool,int*",
                                  "envelope,active,visible,armed,inLane,laneHeight,defaultShape,faderScaling,"
                                  "automationItemsOptionsInOptional")},
      {"BR_EnvSortPoints", def("void", "BR_Envelope*", "envelope")},
      {"BR_EnvCountPoints", def("int", "BR_Envelope*", "envelope")},
      {"BR_EnvGetPoint", def("bool", "BR_Envelope*,int,double*,double*,int*,bool*,double*",
                             "envelope,id,positionOut,valueOut,shapeOut,selectedOut,bezierOut")},
      {"BR_EnvSetPoint", def("bool", "BR_Envelope*,int,double,double,int,bool,double",
                             "envelope,id,position,value,shape,selected,bezier")},
      {"BR_EnvDeletePoint", def("bool", "BR_Envelope*,int", "envelope,id")},
  };
  expect_definitions(expected);
}

TEST_F(SwsTest, ScriptAdaptersCallTheFunctions) {
  MediaItem_Take* take = take_of(tone({{0.8, 0.1}, {0.4, 0.2}}), 1, 2.0);
  auto vararg = [this](const char* name) {
    auto f = reinterpret_cast<void* (*)(void**, int)>(host().registered(std::string("APIvararg_") + name));
    EXPECT_NE(f, nullptr) << name;
    return f;
  };
  double out[8] = {};
  void* slots[10] = {take, slot(false)};
  for (int i = 0; i < 8; ++i) slots[2 + i] = &out[i];
  EXPECT_EQ(vararg("NF_AnalyzeTakeLoudness2")(slots, 10), slot(true));
  const Loudness direct = analyze(take);
  EXPECT_EQ(out[5], direct.momentary);
  EXPECT_EQ(out[7], direct.momentary_pos);
  EXPECT_NEAR(out[7], 2.8, 1e-9);

  TrackEnvelope* env = volume_envelope(take, true, {{0.0, 1.0}, {0.5, 0.5}});
  void* alloc_slots[2] = {env, slot(false)};
  void* h = vararg("BR_EnvAlloc")(alloc_slots, 2);
  ASSERT_NE(h, nullptr);
  void* count_slots[1] = {h};
  EXPECT_EQ(vararg("BR_EnvCountPoints")(count_slots, 1), slot(2));
  double position = 0.75, value = 0.25;
  void* set_slots[7] = {h, slot(-1), &position, &value, slot(0), slot(true), nullptr};
  EXPECT_EQ(vararg("BR_EnvSetPoint")(set_slots, 7), slot(true));
  // Fewer slots than parameters read as empty: a null bezier address is 0.
  EXPECT_EQ(vararg("BR_EnvSetPoint")(set_slots, 4), slot(true));
  void* free_slots[2] = {h, slot(true)};
  EXPECT_EQ(vararg("BR_EnvFree")(free_slots, 2), slot(true));
  ASSERT_EQ(env->points.size(), 4u);
}

TEST_F(SwsTest, FunctionsCanBeWithdrawnAndComeBackWithTheSession) {
  for (const char* name : SWS_FUNCTIONS) EXPECT_NE(host().get_func(name), nullptr) << name;
  EXPECT_TRUE(host().withdraw("BR_EnvAlloc"));
  EXPECT_EQ(host().get_func("BR_EnvAlloc"), nullptr);
  EXPECT_EQ(host().registered("APIdef_BR_EnvAlloc"), nullptr);
  EXPECT_EQ(host().registered("APIvararg_BR_EnvAlloc"), nullptr);
  EXPECT_NE(host().get_func("BR_EnvFree"), nullptr) << "only the one named";
  EXPECT_FALSE(host().withdraw("BR_EnvAlloc")) << "already withdrawn";
  EXPECT_FALSE(host().withdraw("NoSuchFunction"));

  host().remove_sws();
  for (const char* name : SWS_FUNCTIONS) EXPECT_EQ(host().get_func(name), nullptr) << name;
  EXPECT_NE(host().get_func("ValidatePtr"), nullptr) << "the host's own functions stay";
  EXPECT_NE(host().registered("APIvararg_GetErrorCode"), nullptr) << "another extension's functions stay";

  host().reset_session();
  for (const char* name : SWS_FUNCTIONS) {
    EXPECT_NE(host().get_func(name), nullptr) << name;
    EXPECT_NE(host().registered(std::string("APIvararg_") + name), nullptr) << name;
  }
}

}  // namespace
}  // namespace mxtest
