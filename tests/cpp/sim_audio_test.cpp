// The simulated host's audio side as extensions see it through the function lookup:
// file sources, peaks, the take audio accessor, take envelopes and the host commands
// on selected items. Audio is made at set-up and read back through libsndfile.
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "harness.h"
#include "simhost/host_media.h"
#include "simhost/source.h"
#include "tests/support/audio_fixture.h"

namespace fs = std::filesystem;
using namespace mxtest;

namespace {

struct AudioAccessor;

class SimAudio : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    dir = scratch_folder("sim_audio");
  }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  // A float WAV whose frame i holds i / rate in channel 0 and its negative in channel 1:
  // every window's extremes are known from its frame numbers.
  std::string ramp(const std::string& name, int rate, double seconds, int channels) {
    const size_t frames = static_cast<size_t>(std::llround(seconds * rate));
    std::vector<float> data(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i)
      for (int c = 0; c < channels; ++c)
        data[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = (c % 2 ? -1.0f : 1.0f) * static_cast<float>(i) / static_cast<float>(rate);
    audio::write(path(name), data, channels, rate, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    return path(name);
  }

  // A selected item on a new track at `position`, as long as `length`, with one take
  // playing `file` (none when empty).
  MediaItem_Take* item_with(const std::string& file, double position, double length) {
    MediaItem* item = session().add_item(add_track());
    item->position = position;
    item->length = length;
    item->selected = true;
    MediaItem_Take* take = session().add_take(item);
    take->name = "line.wav";
    if (!file.empty()) take->source = sim::open_file_source(file);
    return take;
  }

  PCM_source* create(const std::string& file) {
    return api<PCM_source* (*)(const char*)>("PCM_Source_CreateFromFile")(file.c_str());
  }
  void destroy(PCM_source* s) { api<void (*)(PCM_source*)>("PCM_Source_Destroy")(s); }
  bool live_source(PCM_source* s) { return session().is_live(s, "PCM_source*"); }

  std::string dir;
};

// ---- sources ---------------------------------------------------------------------------

struct FormatCase {
  const char* file;
  int format, channels, rate;
  const char* type;
  int bits;
  float tolerance;  // the encoding's quantisation
};

TEST_F(SimAudio, SourcesReportWhatTheFileHolds) {
  const FormatCase cases[] = {
      {"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, "WAVE", 16, 1e-4f},
      {"pcm24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 44100, "WAVE", 24, 1e-6f},
      {"pcm32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1, 96000, "WAVE", 32, 1e-7f},
      {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 22050, "WAVE", 32, 0.0f},
      {"lossless.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 32000, "FLAC", 0, 1e-4f},
      {"apple.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1, 8000, "AIFF", 24, 1e-6f},
  };
  auto type = api<void (*)(PCM_source*, char*, int)>("GetMediaSourceType");
  auto channels = api<int (*)(PCM_source*)>("GetMediaSourceNumChannels");
  auto rate = api<int (*)(PCM_source*)>("GetMediaSourceSampleRate");
  auto file_name = api<void (*)(PCM_source*, char*, int)>("GetMediaSourceFileName");
  auto length = api<double (*)(PCM_source*, bool*)>("GetMediaSourceLength");
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.file);
    const std::vector<float> tone = audio::sine(441.0, 0.5, 0.25, c.rate, c.channels);
    audio::write(path(c.file), tone, c.channels, c.rate, c.format);
    PCM_source* s = create(path(c.file));
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(live_source(s));
    char text[64];
    type(s, text, sizeof text);
    EXPECT_STREQ(text, c.type);
    char name[4096];
    file_name(s, name, sizeof name);
    EXPECT_EQ(name, path(c.file));
    EXPECT_EQ(channels(s), c.channels);
    EXPECT_EQ(rate(s), c.rate);
    bool qn = true;
    EXPECT_NEAR(length(s, &qn), 0.25, 1.0 / c.rate);
    EXPECT_FALSE(qn);
    EXPECT_EQ(s->GetBitsPerSample(), c.bits);
    const sim::SourceAudio* a = sim::audio_of(s);
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->frames.size(), tone.size());
    float worst = 0;
    for (size_t i = 0; i < tone.size(); ++i) worst = std::max(worst, std::fabs(a->frames[i] - tone[i]));
    EXPECT_LE(worst, c.tolerance);
    destroy(s);
    EXPECT_FALSE(live_source(s));
  }
  // A type buffer of one byte holds only the terminator.
  PCM_source* s = create(path("pcm16.wav"));
  char one[1] = {'x'};
  type(s, one, 1);
  EXPECT_EQ(one[0], '\0');
  destroy(s);
}

TEST_F(SimAudio, WhatTheLibraryCannotReadGivesNoSource) {
  audio::write(path("good.wav"), audio::sine(100, 0.5, 0.5, 8000), 1, 8000);
  const auto bytes = fs::file_size(path("good.wav"));
  fs::copy_file(path("good.wav"), path("cut.wav"));
  fs::resize_file(path("cut.wav"), 20);  // inside the header
  fs::copy_file(path("good.wav"), path("headeronly.wav"));
  fs::resize_file(path("headeronly.wav"), 44);
  std::ofstream(path("empty.wav")).close();
  std::ofstream(path("notes.wav")) << "these are notes, not audio\n";
  fs::create_directories(path("folder.wav"));
  ASSERT_GT(bytes, 44u);
  for (const char* name : {"missing.wav", "cut.wav", "headeronly.wav", "empty.wav", "notes.wav", "folder.wav"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(create(path(name)), nullptr);
  }
  EXPECT_EQ(api<PCM_source* (*)(const char*)>("PCM_Source_CreateFromFile")(nullptr), nullptr);
  // A file cut inside its audio still plays what it holds.
  fs::copy_file(path("good.wav"), path("half.wav"));
  fs::resize_file(path("half.wav"), 44 + 4000 * 2);
  PCM_source* half = create(path("half.wav"));
  ASSERT_NE(half, nullptr);
  EXPECT_NEAR(half->GetLength(), 0.5, 1e-9);
  destroy(half);
}

TEST_F(SimAudio, DuplicatesAreIndependentLiveSources) {
  audio::write(path("a.wav"), audio::sine(200, 0.5, 0.5, 8000), 1, 8000);
  audio::write(path("b.wav"), audio::sine(200, 0.5, 1.0, 16000, 2), 2, 16000, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
  PCM_source* original = create(path("a.wav"));
  ASSERT_NE(original, nullptr);
  PCM_source* copy = original->Duplicate();
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, original);
  EXPECT_TRUE(live_source(copy));
  EXPECT_STREQ(copy->GetFileName(), original->GetFileName());
  EXPECT_EQ(sim::audio_of(copy)->frames, sim::audio_of(original)->frames);

  // Changing the copy leaves the original alone, and destroying it too.
  EXPECT_TRUE(copy->SetFileName(path("b.wav").c_str()));
  copy->SetAvailable(false);
  EXPECT_FALSE(copy->SetFileName(path("missing.wav").c_str()));
  EXPECT_EQ(copy->GetNumChannels(), 2);
  EXPECT_EQ(copy->GetBitsPerSample(), 24);
  EXPECT_EQ(original->GetNumChannels(), 1);
  EXPECT_EQ(original->GetSampleRate(), 8000);
  EXPECT_TRUE(original->IsAvailable());
  EXPECT_FALSE(copy->IsAvailable());
  destroy(copy);
  EXPECT_FALSE(live_source(copy));
  EXPECT_TRUE(live_source(original));
  EXPECT_NEAR(original->GetLength(), 0.5, 1e-9);
  destroy(original);
  destroy(nullptr);  // does nothing
}

TEST_F(SimAudio, TakeSourcesSwapWithoutDestroyingTheOldOne) {
  audio::write(path("a.wav"), audio::sine(200, 0.5, 0.5, 8000), 1, 8000);
  MediaItem_Take* take = item_with(path("a.wav"), 0, 0.5);
  auto get_source = api<PCM_source* (*)(MediaItem_Take*)>("GetMediaItemTake_Source");
  auto info = api<void* (*)(MediaItem_Take*, const char*, void*)>("GetSetMediaItemTakeInfo");
  PCM_source* old = get_source(take);
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(info(take, "P_SOURCE", nullptr), old);

  // A source still in a take is not destroyed; the call is the caller's fault.
  destroy(old);
  EXPECT_TRUE(live_source(old));
  const auto violations = host().take_violations();
  ASSERT_EQ(violations.size(), 1u);
  EXPECT_NE(violations[0].find("held by a take"), std::string::npos);

  PCM_source* fresh = old->Duplicate();
  EXPECT_EQ(info(take, "P_SOURCE", fresh), fresh);
  EXPECT_EQ(get_source(take), fresh);
  EXPECT_TRUE(live_source(old));
  destroy(old);
  EXPECT_FALSE(live_source(old));
  // A source another take holds is refused: two owners would free it twice.
  MediaItem_Take* other = item_with(path("a.wav"), 1, 0.5);
  EXPECT_EQ(info(other, "P_SOURCE", fresh), nullptr);
  EXPECT_NE(other->source, fresh);
  EXPECT_EQ(host().take_violations().size(), 1u);
  EXPECT_EQ(info(take, "P_ITEM", nullptr), take->item);
  EXPECT_EQ(info(take, "P_TRACK", nullptr), take->item->track);
  EXPECT_EQ(info(take, "P_NOSUCHKEY", nullptr), nullptr);
  // Deleting the item frees the source it held.
  session().delete_item(take->item);
  EXPECT_FALSE(live_source(fresh));
}

// ---- peaks -----------------------------------------------------------------------------

using PeaksFn = int (*)(MediaItem_Take*, double, double, int, int, int, double*);

struct PeakCase {
  const char* what;
  double offset, rate;
  int chan_mode, source_channels, channels;
  double first_frame_step;  // source frames per window
  double first_frame;       // source frame where window 0 begins
  double sign;              // channel 0's sign after the channel mode
};

TEST_F(SimAudio, PeaksFollowOffsetRateAndChannels) {
  const int rate = 1000;
  const PeakCase cases[] = {
      {"plain", 0.0, 1.0, 0, 1, 1, 100, 0, 1},
      {"offset", 0.2, 1.0, 0, 1, 1, 100, 200, 1},
      {"double rate", 0.0, 2.0, 0, 1, 1, 200, 0, 1},
      {"mono to two channels", 0.1, 1.0, 0, 1, 2, 100, 100, 1},
      {"reversed stereo", 0.0, 1.0, 1, 2, 2, 100, 0, -1},
      {"right channel only", 0.0, 0.5, 4, 2, 1, 50, 0, -1},
  };
  auto peaks = api<PeaksFn>("GetMediaItemTake_Peaks");
  const std::string file2 = ramp("ramp2.wav", rate, 3.0, 2), file1 = ramp("ramp1.wav", rate, 3.0, 1);
  for (const PeakCase& c : cases) {
    SCOPED_TRACE(c.what);
    MediaItem_Take* take = item_with(c.source_channels == 2 ? file2 : file1, 5.0, 1.0);
    take->start_offset = c.offset;
    take->play_rate = c.rate;
    take->chan_mode = c.chan_mode;
    const int n = 12;  // the last two windows lie past the item's end
    std::vector<double> buf(2 * static_cast<size_t>(n * c.channels), 99.0);
    const int result = peaks(take, 10.0, 5.0, c.channels, n, 0, buf.data());
    EXPECT_EQ(result & 0xFFFFF, n);
    EXPECT_EQ(result & 0x1000000, 0);
    for (int j = 0; j < n; ++j)
      for (int ch = 0; ch < c.channels; ++ch) {
        const double mx = buf[static_cast<size_t>(j * c.channels + ch)];
        const double mn = buf[static_cast<size_t>((n + j) * c.channels + ch)];
        if (j >= 10) {
          EXPECT_EQ(mx, 0.0) << j;
          EXPECT_EQ(mn, 0.0) << j;
          continue;
        }
        const double sign = c.channels == 2 && c.source_channels == 2 && ch == 1 ? -c.sign : c.sign;
        const double low = (c.first_frame + j * c.first_frame_step) / rate;
        const double high = (c.first_frame + (j + 1) * c.first_frame_step - 1) / rate;
        EXPECT_NEAR(mx, sign > 0 ? high : -low, 1e-6) << "window " << j << " channel " << ch;
        EXPECT_NEAR(mn, sign > 0 ? low : -high, 1e-6) << "window " << j << " channel " << ch;
      }
  }
}

TEST_F(SimAudio, PeaksOutsideTheItemAndWithoutSource) {
  auto peaks = api<PeaksFn>("GetMediaItemTake_Peaks");
  audio::write(path("tone.wav"), audio::sine(1000, 0.5, 1.0, 8000), 1, 8000);
  MediaItem_Take* take = item_with(path("tone.wav"), 2.0, 1.0);
  std::vector<double> buf(3 * 4, 7.0);
  // Before the item: zeros, the spectral block asked and given.
  const int before = peaks(take, 4.0, 0.0, 1, 4, 115, buf.data());
  EXPECT_EQ(before & 0xFFFFF, 4);
  EXPECT_NE(before & 0x1000000, 0);
  for (double v : buf) EXPECT_EQ(v, 0.0);
  // Inside: the tone's peaks, and its frequency in the spectral word's low bits.
  peaks(take, 4.0, 2.0, 1, 4, 115, buf.data());
  for (int j = 0; j < 4; ++j) {
    EXPECT_NEAR(buf[static_cast<size_t>(j)], 0.5, 1e-3);
    EXPECT_NEAR(buf[static_cast<size_t>(4 + j)], -0.5, 1e-3);
    EXPECT_NEAR(static_cast<int>(buf[static_cast<size_t>(8 + j)]) & 0x7FFF, 1000, 10);
  }
  // No source, or a dead take: 0 and the buffer untouched.
  MediaItem_Take* empty = item_with("", 0.0, 1.0);
  std::fill(buf.begin(), buf.end(), 7.0);
  EXPECT_EQ(peaks(empty, 4.0, 0.0, 1, 4, 0, buf.data()), 0);
  session().delete_item(take->item);
  EXPECT_EQ(peaks(take, 4.0, 2.0, 1, 4, 0, buf.data()), 0);
  for (double v : buf) EXPECT_EQ(v, 7.0);
  EXPECT_EQ(host().take_violations().size(), 1u);  // the dead take
}

// ---- the take audio accessor -----------------------------------------------------------

TEST_F(SimAudio, AccessorGivesTheTakeAudioFromTheItemStart) {
  const std::string file = ramp("ramp.wav", 1000, 2.0, 2);
  MediaItem_Take* take = item_with(file, 3.0, 1.0);
  take->start_offset = 0.5;
  auto create_acc = api<AudioAccessor* (*)(MediaItem_Take*)>("CreateTakeAudioAccessor");
  auto destroy_acc = api<void (*)(AudioAccessor*)>("DestroyAudioAccessor");
  auto end = api<double (*)(AudioAccessor*)>("GetAudioAccessorEndTime");
  auto start = api<double (*)(AudioAccessor*)>("GetAudioAccessorStartTime");
  auto samples = api<int (*)(AudioAccessor*, int, int, double, int, double*)>("GetAudioAccessorSamples");
  AudioAccessor* acc = create_acc(take);
  ASSERT_NE(acc, nullptr);
  EXPECT_EQ(start(acc), 0.0);
  EXPECT_EQ(end(acc), 1.0);
  std::vector<double> buf(2 * 10);
  EXPECT_EQ(samples(acc, 1000, 2, 0.25, 10, buf.data()), 1);
  for (int i = 0; i < 10; ++i) {
    EXPECT_NEAR(buf[static_cast<size_t>(2 * i)], (750 + i) / 1000.0, 1e-6);
    EXPECT_NEAR(buf[static_cast<size_t>(2 * i + 1)], -(750 + i) / 1000.0, 1e-6);
  }
  // Past the item: no audio, zeros written.
  std::fill(buf.begin(), buf.end(), 5.0);
  EXPECT_EQ(samples(acc, 1000, 2, 1.0, 10, buf.data()), 0);
  for (double v : buf) EXPECT_EQ(v, 0.0);
  destroy_acc(acc);
  EXPECT_EQ(samples(acc, 1000, 2, 0.0, 10, buf.data()), -1);
  EXPECT_EQ(create_acc(item_with("", 0, 1)), nullptr);
  EXPECT_FALSE(host().take_violations().empty());  // the destroyed accessor
}

// ---- envelopes -------------------------------------------------------------------------

struct Envelopes {
  explicit Envelopes(HostTest& t)
      : insert(t.api<bool (*)(TrackEnvelope*, double, double, int, double, bool, bool*)>("InsertEnvelopePoint")),
        count(t.api<int (*)(TrackEnvelope*)>("CountEnvelopePoints")),
        get(t.api<bool (*)(TrackEnvelope*, int, double*, double*, int*, double*, bool*)>("GetEnvelopePoint")),
        set(t.api<bool (*)(TrackEnvelope*, int, double*, double*, int*, double*, bool*, bool*)>("SetEnvelopePoint")),
        remove(t.api<bool (*)(TrackEnvelope*, double, double)>("DeleteEnvelopePointRange")),
        sort(t.api<bool (*)(TrackEnvelope*)>("Envelope_SortPoints")),
        evaluate(t.api<int (*)(TrackEnvelope*, double, double, int, double*, double*, double*, double*)>(
            "Envelope_Evaluate")),
        mode(t.api<int (*)(TrackEnvelope*)>("GetEnvelopeScalingMode")),
        to(t.api<double (*)(int, double)>("ScaleToEnvelopeMode")),
        from(t.api<double (*)(int, double)>("ScaleFromEnvelopeMode")),
        get_chunk(t.api<bool (*)(TrackEnvelope*, char*, int, bool)>("GetEnvelopeStateChunk")),
        set_chunk(t.api<bool (*)(TrackEnvelope*, const char*, bool)>("SetEnvelopeStateChunk")) {}
  double at(TrackEnvelope* e, double time) const {
    double v = 0, d1 = 0, d2 = 0, d3 = 0;
    evaluate(e, time, 48000, 1, &v, &d1, &d2, &d3);
    return v;
  }
  std::string chunk(TrackEnvelope* e) const {
    std::string text(1 << 16, '\0');
    EXPECT_TRUE(get_chunk(e, text.data(), static_cast<int>(text.size()), false));
    text.resize(std::strlen(text.c_str()));
    return text;
  }
  bool (*insert)(TrackEnvelope*, double, double, int, double, bool, bool*);
  int (*count)(TrackEnvelope*);
  bool (*get)(TrackEnvelope*, int, double*, double*, int*, double*, bool*);
  bool (*set)(TrackEnvelope*, int, double*, double*, int*, double*, bool*, bool*);
  bool (*remove)(TrackEnvelope*, double, double);
  bool (*sort)(TrackEnvelope*);
  int (*evaluate)(TrackEnvelope*, double, double, int, double*, double*, double*, double*);
  int (*mode)(TrackEnvelope*);
  double (*to)(int, double);
  double (*from)(int, double);
  bool (*get_chunk)(TrackEnvelope*, char*, int, bool);
  bool (*set_chunk)(TrackEnvelope*, const char*, bool);
};

TEST_F(SimAudio, TakeEnvelopesAreFoundByIndexAndName) {
  MediaItem_Take* take = item_with("", 0, 1);
  TrackEnvelope* pan = sim::media::add_take_envelope(take, "Pan");
  TrackEnvelope* volume = sim::media::add_take_envelope(take, "Volume");
  EXPECT_EQ(api<int (*)(MediaItem_Take*)>("CountTakeEnvelopes")(take), 2);
  auto by_index = api<TrackEnvelope* (*)(MediaItem_Take*, int)>("GetTakeEnvelope");
  EXPECT_EQ(by_index(take, 0), pan);
  EXPECT_EQ(by_index(take, 1), volume);
  EXPECT_EQ(by_index(take, 2), nullptr);
  EXPECT_EQ(by_index(take, -1), nullptr);
  auto by_name = api<TrackEnvelope* (*)(MediaItem_Take*, const char*)>("GetTakeEnvelopeByName");
  EXPECT_EQ(by_name(take, "Volume"), volume);
  EXPECT_EQ(by_name(take, "Pan"), pan);
  EXPECT_EQ(by_name(take, "Mute"), nullptr);
  EXPECT_EQ(by_name(take, nullptr), nullptr);
  int a = 5, b = 5;
  EXPECT_EQ(api<MediaItem_Take* (*)(TrackEnvelope*, int*, int*)>("Envelope_GetParentTake")(volume, &a, &b), take);
  EXPECT_EQ(a, -1);
  EXPECT_EQ(b, -1);
  char name[16];
  EXPECT_TRUE(api<bool (*)(TrackEnvelope*, char*, int)>("GetEnvelopeName")(pan, name, sizeof name));
  EXPECT_STREQ(name, "Pan");
  Envelopes env(*this);
  EXPECT_EQ(env.mode(volume), 1);
  EXPECT_EQ(env.mode(pan), 0);
}

TEST_F(SimAudio, PointsEditSortAndEvaluateByShape) {
  TrackEnvelope* e = sim::media::add_take_envelope(item_with("", 0, 4), "Pan");
  Envelopes env(*this);
  EXPECT_EQ(env.at(e, 1.0), 0.0);  // no points: the centre
  bool no_sort = true;
  EXPECT_TRUE(env.insert(e, 2.0, 0.5, 1, 0, false, &no_sort));  // square
  EXPECT_TRUE(env.insert(e, 1.0, -0.5, 0, 0, true, &no_sort));  // linear
  EXPECT_TRUE(env.insert(e, 3.0, 1.0, 0, 0, false, &no_sort));
  EXPECT_FALSE(env.insert(e, NAN, 1.0, 0, 0, false, nullptr));
  double t = 0;
  env.get(e, 0, &t, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(t, 2.0);  // unsorted until asked
  EXPECT_TRUE(env.sort(e));
  ASSERT_EQ(env.count(e), 3);
  double v = 0, tension = 0;
  int shape = -1;
  bool selected = false;
  ASSERT_TRUE(env.get(e, 0, &t, &v, &shape, &tension, &selected));
  EXPECT_EQ(t, 1.0);
  EXPECT_EQ(v, -0.5);
  EXPECT_EQ(shape, 0);
  EXPECT_TRUE(selected);
  EXPECT_FALSE(env.get(e, 3, &t, &v, &shape, &tension, &selected));
  EXPECT_EQ(t, 0.0);

  EXPECT_EQ(env.at(e, 0.0), -0.5);    // before the first point: its value
  EXPECT_NEAR(env.at(e, 1.5), 0.0, 1e-12);  // linear half way
  EXPECT_EQ(env.at(e, 2.9), 0.5);     // square holds
  EXPECT_EQ(env.at(e, 10.0), 1.0);    // after the last: its value

  // Moving a point resorts unless told not to; a value that is no number changes nothing.
  double later = 5.0;
  EXPECT_TRUE(env.set(e, 0, &later, nullptr, nullptr, nullptr, nullptr, nullptr));
  env.get(e, 2, &t, &v, nullptr, nullptr, nullptr);
  EXPECT_EQ(t, 5.0);
  EXPECT_EQ(v, -0.5);
  double bad = INFINITY;
  EXPECT_FALSE(env.set(e, 0, nullptr, &bad, nullptr, nullptr, nullptr, nullptr));
  EXPECT_FALSE(env.set(e, 9, &later, nullptr, nullptr, nullptr, nullptr, nullptr));
  // The range takes its start and leaves its end.
  EXPECT_TRUE(env.remove(e, 2.0, 3.0));
  ASSERT_EQ(env.count(e), 2);
  env.get(e, 0, &t, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(t, 3.0);
}

TEST_F(SimAudio, FaderScalingIsAStrictlyIncreasingInvertibleCurve) {
  Envelopes env(*this);
  double previous = -1;
  for (double amplitude : {0.0, 0.001, 0.25, 0.5, 1.0, 1.5, 2.0, 4.0}) {
    const double raw = env.to(1, amplitude);
    EXPECT_GT(raw, previous) << amplitude;
    EXPECT_NEAR(env.from(1, raw), amplitude, 1e-12 + amplitude * 1e-12) << amplitude;
    EXPECT_EQ(env.to(0, amplitude), amplitude);
    EXPECT_EQ(env.from(0, amplitude), amplitude);
    previous = raw;
  }
  EXPECT_NE(env.to(1, 0.5), 0.5);
  // A fader-scaled volume envelope without points sits at amplitude 1.
  TrackEnvelope* volume = sim::media::add_take_envelope(item_with("", 0, 1), "Volume");
  EXPECT_NEAR(env.from(1, env.at(volume, 0.3)), 1.0, 1e-12);
}

TEST_F(SimAudio, StateTextRoundTripsAndRejectsWhatIsNoEnvelope) {
  MediaItem_Take* take = item_with("", 0, 4);
  TrackEnvelope* a = sim::media::add_take_envelope(take, "Volume");
  Envelopes env(*this);
  a->active = false;
  a->armed = true;
  a->in_lane = true;
  a->lane_height = 80;
  a->default_shape = 2;
  a->ai_options = 3;
  env.insert(a, 0.125, env.to(1, 0.3), 5, -0.25, true, nullptr);
  env.insert(a, 1.0 / 3.0, env.to(1, 1.7), 1, 0, false, nullptr);
  const std::string text = env.chunk(a);
  EXPECT_EQ(text.rfind("<VOLENV\n", 0), 0u);
  EXPECT_NE(text.find("\nVOLTYPE 1\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 2), ">\n");

  // Onto a fresh envelope of the same kind: the same properties and points.
  TrackEnvelope* b = sim::media::add_take_envelope(item_with("", 0, 4), "Volume");
  EXPECT_TRUE(env.set_chunk(b, text.c_str(), false));
  EXPECT_EQ(env.chunk(b), text);
  EXPECT_EQ(b->lane_height, 80);
  EXPECT_EQ(b->default_shape, 2);
  EXPECT_EQ(b->ai_options, 3);
  ASSERT_EQ(b->points.size(), 2u);
  EXPECT_EQ(b->points[1].time, 1.0 / 3.0);
  EXPECT_EQ(b->points[0].tension, -0.25);

  // Unknown lines are skipped, short point lines padded, points sorted stably.
  EXPECT_TRUE(env.set_chunk(b, "<VOLENV\nWHATEVER 1 2\nPT 2 7 1\nPT 1 5 0 0 1\nPT 2 9 0\nPT 3\n>\n", false));
  ASSERT_EQ(b->points.size(), 3u);
  EXPECT_EQ(b->points[0].value, 5.0);
  EXPECT_TRUE(b->points[0].selected);
  EXPECT_EQ(b->points[1].value, 7.0);
  EXPECT_EQ(b->points[2].value, 9.0);
  EXPECT_TRUE(b->fader_scaling);  // no VOLTYPE line: kept
  // Not an envelope: false and nothing changes.
  const std::string before = env.chunk(b);
  EXPECT_FALSE(env.set_chunk(b, "VOLENV\nPT 0 1 0\n>", false));
  EXPECT_FALSE(env.set_chunk(b, nullptr, false));
  EXPECT_EQ(env.chunk(b), before);
  // A buffer too small says so.
  char small[8];
  EXPECT_FALSE(env.get_chunk(b, small, sizeof small, false));
  EXPECT_EQ(std::strlen(small), 7u);
  // A pan envelope has its own tag and no scaling line.
  const std::string pan = env.chunk(sim::media::add_take_envelope(take, "Pan"));
  EXPECT_EQ(pan.rfind("<PANENV\n", 0), 0u);
  EXPECT_EQ(pan.find("VOLTYPE"), std::string::npos);
}

// ---- host commands ---------------------------------------------------------------------

using CommandFn = void (*)(int, int, ReaProject*);

TEST_F(SimAudio, CropKeepsOnlyTheActiveTakeOfSelectedItems) {
  audio::write(path("a.wav"), audio::sine(200, 0.5, 0.5, 8000), 1, 8000);
  MediaItem_Take* first = item_with(path("a.wav"), 0, 0.5);
  MediaItem* item = first->item;
  MediaItem_Take* second = session().add_take(item);
  second->source = sim::open_file_source(path("a.wav"));
  MediaItem_Take* third = session().add_take(item);
  sim::media::add_take_envelope(first, "Volume");
  item->active_take = 1;
  MediaItem_Take* other = item_with(path("a.wav"), 1, 0.5);
  session().add_take(other->item);
  other->item->selected = false;
  PCM_source* dropped = first->source;
  TrackEnvelope* dropped_env = first->envelopes[0];

  api<CommandFn>("Main_OnCommandEx")(40131, 0, nullptr);
  ASSERT_EQ(item->takes.size(), 1u);
  EXPECT_EQ(item->takes[0], second);
  EXPECT_EQ(item->active(), second);
  EXPECT_FALSE(session().is_live(first, "MediaItem_Take*"));
  EXPECT_FALSE(session().is_live(third, "MediaItem_Take*"));
  EXPECT_FALSE(session().is_live(dropped, "PCM_source*"));
  EXPECT_FALSE(session().is_live(dropped_env, "TrackEnvelope*"));
  EXPECT_EQ(other->item->takes.size(), 2u);  // not selected
}

TEST_F(SimAudio, RenderWritesTheTakeAsItSoundsIntoANewActiveTake) {
  const int rate = 8000;
  const std::vector<float> tone = audio::sine(300, 0.8, 2.0, rate, 2);
  audio::write(path("dialog.wav"), tone, 2, rate, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
  MediaItem_Take* take = item_with(path("dialog.wav"), 4.0, 2.0);
  MediaItem* item = take->item;
  take->name = "dialog.wav";
  take->volume = 0.9;
  take->pan = 0.5;  // the right channel stays, the left loses half
  item->volume = 0.1;  // the item's own volume stays out of the render
  TrackEnvelope* volume = sim::media::add_take_envelope(take, "Volume");
  Envelopes env(*this);
  env.insert(volume, 0.0, env.to(1, 1.0), 1, 0, false, nullptr);
  env.insert(volume, 1.0, env.to(1, 0.5), 1, 0, false, nullptr);
  auto command = api<CommandFn>("Main_OnCommandEx");
  command(41999, 0, nullptr);

  ASSERT_EQ(item->takes.size(), 2u);
  MediaItem_Take* render = item->takes[1];
  EXPECT_EQ(item->active(), render);
  EXPECT_EQ(render->name, "dialog.wav render");
  EXPECT_EQ(render->volume, 1.0);
  EXPECT_EQ(render->pan, 0.0);
  EXPECT_EQ(render->start_offset, 0.0);
  EXPECT_EQ(render->play_rate, 1.0);
  EXPECT_TRUE(render->envelopes.empty());
  ASSERT_TRUE(session().is_live(render->source, "PCM_source*"));
  const std::string file = render->source->GetFileName();
  char folder[4096];
  api<void (*)(char*, int)>("GetProjectPath")(folder, sizeof folder);
  EXPECT_EQ(fs::path(file).parent_path(), fs::path(folder));
  EXPECT_EQ(render->source->GetBitsPerSample(), 24);
  EXPECT_STREQ(render->source->GetType(), "WAVE");

  const audio::Audio back = audio::read(file);
  ASSERT_EQ(back.channels, 2);
  ASSERT_EQ(back.rate, rate);
  ASSERT_EQ(back.frames.size(), tone.size());
  double worst = 0;
  for (size_t i = 0; i < tone.size() / 2; ++i) {
    const double envelope = i < static_cast<size_t>(rate) ? 1.0 : 0.5;
    for (size_t c = 0; c < 2; ++c) {
      const double pan = c == 0 ? 0.5 : 1.0;
      worst = std::max(worst, std::fabs(back.frames[2 * i + c] - tone[2 * i + c] * 0.9 * pan * envelope));
    }
  }
  EXPECT_LT(worst, 1e-5);

  // A second render of the same take gets a file of its own.
  item->active_take = 0;
  command(41999, 0, nullptr);
  ASSERT_EQ(item->takes.size(), 3u);
  EXPECT_NE(std::string(item->takes[2]->source->GetFileName()), file);
  EXPECT_TRUE(fs::exists(file));
}

TEST_F(SimAudio, ToggleMakesHidesAndShowsTheTakeVolumeEnvelope) {
  MediaItem_Take* take = item_with("", 0, 1);
  auto command = api<CommandFn>("Main_OnCommandEx");
  auto by_name = api<TrackEnvelope* (*)(MediaItem_Take*, const char*)>("GetTakeEnvelopeByName");
  Envelopes env(*this);
  command(40693, 0, nullptr);
  TrackEnvelope* e = by_name(take, "Volume");
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->active);
  EXPECT_TRUE(e->visible);
  EXPECT_FALSE(e->armed);
  EXPECT_EQ(env.mode(e), 1);
  ASSERT_EQ(env.count(e), 1);
  double t = -1, v = 0;
  env.get(e, 0, &t, &v, nullptr, nullptr, nullptr);
  EXPECT_EQ(t, 0.0);
  EXPECT_NEAR(env.from(1, v), 1.0, 1e-12);
  env.insert(e, 0.5, env.to(1, 0.25), 0, 0, false, nullptr);
  command(40693, 0, nullptr);
  EXPECT_FALSE(e->visible);
  e->active = false;
  command(40693, 0, nullptr);
  EXPECT_TRUE(e->visible);
  EXPECT_TRUE(e->active);
  EXPECT_EQ(env.count(e), 2);  // points kept
  EXPECT_EQ(take->envelopes.size(), 1u);
}

TEST_F(SimAudio, EveryCommandIsLoggedAndUnknownOnesDoNothing) {
  MediaItem_Take* take = item_with("", 0, 1);
  session().add_take(take->item);
  api<CommandFn>("Main_OnCommandEx")(12345, 0, project());
  api<void (*)(int, int)>("Main_OnCommand")(40131, 0);
  const auto& log = sim::media::command_log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].command, 12345);
  EXPECT_EQ(log[0].project, project());
  EXPECT_EQ(log[1].command, 40131);
  EXPECT_EQ(log[1].project, nullptr);
  EXPECT_EQ(take->item->takes.size(), 1u);  // the crop ran, the unknown id did not
  host().reset_session();
  EXPECT_TRUE(sim::media::command_log().empty());
}

}  // namespace
