#include "simhost/source.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "simhost/host.h"
#include "simhost/model.h"

namespace sim {

namespace {

// The host's type text and the file's sample width for a libsndfile format; compressed
// formats have no fixed width.
struct FormatFacts {
  const char* type;
  int bits;
};

FormatFacts facts_of(int format) {
  const int major = format & SF_FORMAT_TYPEMASK;
  const int sub = format & SF_FORMAT_SUBMASK;
  const char* type = "WAVE";
  bool compressed = false;
  switch (major) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
    case SF_FORMAT_W64: type = "WAVE"; break;
    case SF_FORMAT_AIFF: type = "AIFF"; break;
    case SF_FORMAT_FLAC: type = "FLAC"; compressed = true; break;
    case SF_FORMAT_OGG:
      type = sub == SF_FORMAT_OPUS ? "OPUS" : "VORBIS";
      compressed = true;
      break;
#ifdef SF_FORMAT_MPEG
    case SF_FORMAT_MPEG: type = "MP3"; compressed = true; break;
#endif
    case SF_FORMAT_CAF: type = "CAF"; break;
    case SF_FORMAT_AU: type = "AU"; break;
    default: type = "RAW"; break;
  }
  int bits = 0;
  if (!compressed) {
    switch (sub) {
      case SF_FORMAT_PCM_S8:
      case SF_FORMAT_PCM_U8:
      case SF_FORMAT_ULAW:
      case SF_FORMAT_ALAW: bits = 8; break;
      case SF_FORMAT_PCM_16: bits = 16; break;
      case SF_FORMAT_PCM_24: bits = 24; break;
      case SF_FORMAT_PCM_32:
      case SF_FORMAT_FLOAT: bits = 32; break;
      case SF_FORMAT_DOUBLE: bits = 64; break;
      default: bits = 0; break;
    }
  }
  return {type, bits};
}

struct Loaded {
  std::shared_ptr<const SourceAudio> audio;
  std::string type;
  int bits = 0;
};

// The whole file as float frames; false when libsndfile cannot read it as audio.
bool load(const std::string& path, Loaded& out) {
  struct stat st{};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return false;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return false;
  auto audio = std::make_shared<SourceAudio>();
  bool ok = info.channels > 0 && info.samplerate > 0 && info.frames >= 0;
  if (ok) {
    audio->channels = info.channels;
    audio->sample_rate = info.samplerate;
    audio->format = info.format;
    // Read in blocks: a header may claim more frames than the file holds.
    if (info.frames > 0 && info.frames < (sf_count_t{1} << 34) / info.channels)
      audio->frames.reserve(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    std::vector<float> block(static_cast<size_t>(4096) * static_cast<size_t>(info.channels));
    for (;;) {
      const sf_count_t got = sf_readf_float(file, block.data(), 4096);
      if (got <= 0) break;
      audio->frames.insert(audio->frames.end(), block.begin(),
                           block.begin() + static_cast<std::ptrdiff_t>(got * info.channels));
    }
    // A file cut off before its first sample frame (libsndfile shortens what the header
    // claims to what is there) holds no audio to play; neither does an empty one.
    if (audio->frames.empty()) ok = false;
    if (sf_error(file) != SF_ERR_NO_ERROR) ok = false;
  }
  if (ok) {
    const FormatFacts facts = facts_of(info.format);
    out.audio = std::move(audio);
    out.type = facts.type;
    out.bits = facts.bits;
  }
  sf_close(file);
  return ok;
}

}  // namespace

class FileSource final : public PCM_source {
 public:
  FileSource(std::string path, Loaded loaded) : path_(std::move(path)), loaded_(std::move(loaded)) {}

  PCM_source* Duplicate() override {
    auto* copy = new FileSource(path_, loaded_);
    copy->available_ = available_;
    Host::get().session().adopt_source(copy);
    return copy;
  }
  bool IsAvailable() override { return available_; }
  void SetAvailable(bool available) override { available_ = available; }
  const char* GetType() override { return loaded_.type.c_str(); }
  const char* GetFileName() override { return path_.c_str(); }
  bool SetFileName(const char* newfn) override {
    Loaded loaded;
    if (!newfn || !load(newfn, loaded)) return false;
    path_ = newfn;
    loaded_ = std::move(loaded);
    return true;
  }
  int GetNumChannels() override { return loaded_.audio->channels; }
  double GetSampleRate() override { return loaded_.audio->sample_rate; }
  double GetLength() override {
    const SourceAudio& a = *loaded_.audio;
    return static_cast<double>(a.frames.size() / static_cast<size_t>(a.channels)) / a.sample_rate;
  }
  int GetBitsPerSample() override { return loaded_.bits; }
  int PropertiesWindow(HWND) override { return 0; }
  void GetSamples(PCM_source_transfer_t*) override {}
  void GetPeakInfo(PCM_source_peaktransfer_t*) override {}
  void SaveState(ProjectStateContext*) override {}
  int LoadState(const char*, ProjectStateContext*) override { return -1; }
  void Peaks_Clear(bool) override {}
  int PeaksBuild_Begin() override { return 0; }
  int PeaksBuild_Run() override { return 0; }
  void PeaksBuild_Finish() override {}

  const SourceAudio& audio() const { return *loaded_.audio; }

 private:
  std::string path_;
  Loaded loaded_;  // shared with duplicates: the samples never change, only which ones a source holds
  bool available_ = true;
};

PCM_source* open_file_source(const std::string& path) {
  Loaded loaded;
  if (!load(path, loaded)) return nullptr;
  PCM_source* source = new FileSource(path, std::move(loaded));
  Host::get().session().adopt_source(source);
  return source;
}

const SourceAudio* audio_of(PCM_source* source) {
  auto* file = dynamic_cast<FileSource*>(source);
  return file ? &file->audio() : nullptr;
}

namespace {

// How one output channel is made of source channels: a weighted sum, empty for silence.
struct Term {
  size_t channel;
  float weight;
};
using Mix = std::vector<std::vector<Term>>;

// The take's channels after its channel mode, as sums of source channels.
Mix mode_channels(int mode, int source_channels) {
  const auto single = [&](int c) { return c < source_channels ? std::vector<Term>{{static_cast<size_t>(c), 1.0f}} : std::vector<Term>{}; };
  Mix mix;
  if (mode == 1 && source_channels >= 2) {
    mix = {single(1), single(0)};
    for (int c = 2; c < source_channels; ++c) mix.push_back(single(c));
  } else if (mode == 2) {
    std::vector<Term> sum;
    for (int c = 0; c < source_channels; ++c) sum.push_back({static_cast<size_t>(c), 1.0f / static_cast<float>(source_channels)});
    mix = {sum};
  } else if (mode >= 3 && mode <= 66) {
    mix = {single(mode - 3)};
  } else if (mode >= 67) {
    mix = {single(mode - 67), single(mode - 66)};
  } else {
    for (int c = 0; c < source_channels; ++c) mix.push_back(single(c));
  }
  return mix;
}

// The take's channels delivered as `wanted` channels: a mono take goes to every
// channel, a wider one folds down to one channel as an average or keeps its first
// channels; channels the take lacks are silent.
Mix output_channels(const Mix& take, int wanted) {
  Mix out(static_cast<size_t>(std::max(wanted, 0)));
  if (take.empty()) return out;
  for (size_t r = 0; r < out.size(); ++r) {
    if (take.size() == 1) {
      out[r] = take[0];
    } else if (wanted == 1) {
      for (const auto& channel : take)
        for (Term t : channel) out[r].push_back({t.channel, t.weight / static_cast<float>(take.size())});
    } else if (r < take.size()) {
      out[r] = take[r];
    }
  }
  return out;
}

inline float mixed(const std::vector<Term>& terms, const float* frame) {
  float v = 0;
  for (Term t : terms) v += t.weight * frame[t.channel];
  return v;
}

// Where a take's time lands in its source.
struct TakeView {
  const SourceAudio* audio = nullptr;
  size_t frames = 0;
  double offset = 0, rate = 1, length = 0;
  Mix mix;
  bool ok() const { return audio && audio->channels > 0 && audio->sample_rate > 0; }
};

TakeView view_of(const MediaItem_Take* take, int channels) {
  TakeView v;
  if (!take || !take->item || !take->source || !Host::get().session().is_live(take->source, "PCM_source*")) return v;
  v.audio = audio_of(take->source);
  if (!v.ok()) return v;
  v.frames = v.audio->frames.size() / static_cast<size_t>(v.audio->channels);
  v.offset = std::isfinite(take->start_offset) ? take->start_offset : 0.0;
  v.rate = std::isfinite(take->play_rate) && take->play_rate > 0 ? take->play_rate : 1.0;
  v.length = std::isfinite(take->item->length) ? std::max(take->item->length, 0.0) : 0.0;
  v.mix = output_channels(mode_channels(take->chan_mode, v.audio->channels), channels);
  return v;
}

}  // namespace

int take_channels(const MediaItem_Take* take) {
  const TakeView v = view_of(take, 0);
  return v.ok() ? static_cast<int>(mode_channels(take->chan_mode, v.audio->channels).size()) : 0;
}

std::vector<float> take_audio(const MediaItem_Take* take, double start, size_t count, int rate, int channels) {
  std::vector<float> out(count * static_cast<size_t>(std::max(channels, 0)), 0.0f);
  const TakeView v = view_of(take, channels);
  if (!v.ok() || rate <= 0 || channels <= 0 || !std::isfinite(start)) return out;
  const size_t nch = static_cast<size_t>(v.audio->channels);
  const float* data = v.audio->frames.data();
  const double sr = v.audio->sample_rate;
  for (size_t i = 0; i < count; ++i) {
    const double t = start + static_cast<double>(i) / rate;
    if (t < 0 || t >= v.length) continue;
    double pos = (v.offset + t * v.rate) * sr;
    const double nearest = std::round(pos);
    if (std::fabs(pos - nearest) < 1e-6) pos = nearest;
    if (pos < 0 || pos > static_cast<double>(v.frames - 1) || v.frames == 0) continue;
    const size_t f = static_cast<size_t>(pos);
    const float frac = static_cast<float>(pos - static_cast<double>(f));
    const float* a = data + f * nch;
    const float* b = f + 1 < v.frames ? a + nch : a;
    for (size_t c = 0; c < v.mix.size(); ++c) {
      const float x = mixed(v.mix[c], a);
      out[i * static_cast<size_t>(channels) + c] = frac == 0.0f ? x : x + frac * (mixed(v.mix[c], b) - x);
    }
  }
  return out;
}

int take_peaks(const MediaItem_Take* take, double peakrate, double start, int channels, int count, double* maxima,
               double* minima, double* spectral) {
  const TakeView v = view_of(take, channels);
  if (!v.ok()) return -1;
  if (channels <= 0 || count <= 0 || !maxima || !minima || !(peakrate > 0) || !std::isfinite(peakrate) ||
      !std::isfinite(start))
    return 0;
  const size_t nch = static_cast<size_t>(v.audio->channels);
  const size_t outch = static_cast<size_t>(channels);
  const float* data = v.audio->frames.data();
  const double sr = v.audio->sample_rate;
  // The source frames the item shows: from the offset for the item's length.
  const double first_shown = std::max(0.0, std::ceil(v.offset * sr - 1e-6));
  const double end_shown = std::min(static_cast<double>(v.frames), std::ceil((v.offset + v.length * v.rate) * sr - 1e-6));
  const auto frame_at = [&](double t) { return std::ceil((v.offset + t * v.rate) * sr - 1e-6); };
  for (int j = 0; j < count; ++j) {
    const double t0 = start + j / peakrate, t1 = start + (j + 1) / peakrate;
    double a = std::max(frame_at(t0), first_shown);
    double b = std::min(frame_at(t1), end_shown);
    // A window narrower than a sample shows the sample it falls on.
    if (b <= a && t0 >= 0 && t0 < v.length) {
      a = std::floor((v.offset + t0 * v.rate) * sr + 1e-6);
      b = a + 1;
      if (a < first_shown || a >= end_shown) b = a;
    }
    double* mx = maxima + static_cast<size_t>(j) * outch;
    double* mn = minima + static_cast<size_t>(j) * outch;
    int crossings = 0;
    if (b <= a) {
      std::fill(mx, mx + outch, 0.0);
      std::fill(mn, mn + outch, 0.0);
    } else {
      const size_t fa = static_cast<size_t>(a), fb = static_cast<size_t>(b);
      for (size_t c = 0; c < outch; ++c) {
        float hi = -INFINITY, lo = INFINITY, previous = 0;
        for (size_t f = fa; f < fb; ++f) {
          const float x = mixed(v.mix[c], data + f * nch);
          hi = std::max(hi, x);
          lo = std::min(lo, x);
          if (c == 0 && f > fa && ((previous < 0) != (x < 0))) ++crossings;
          previous = x;
        }
        mx[c] = hi;
        mn[c] = lo;
      }
    }
    if (spectral) {
      // A frequency estimate from the first channel's zero crossings; no tonality measure.
      const double seconds = b > a ? (b - a) / sr : 0.0;
      const double hz = seconds > 0 ? crossings / (2.0 * seconds) : 0.0;
      const int word = static_cast<int>(std::min(hz, 32767.0));
      for (size_t c = 0; c < outch; ++c) spectral[static_cast<size_t>(j) * outch + c] = word;
    }
  }
  return count;
}

std::vector<float> sine_frames(double hz, double amplitude, double seconds, int rate, int channels) {
  const size_t frames = seconds > 0 && rate > 0 && std::isfinite(seconds) ? static_cast<size_t>(std::llround(seconds * rate)) : 0;
  const size_t nch = channels > 0 ? static_cast<size_t>(channels) : 0;
  std::vector<float> out(frames * nch);
  for (size_t i = 0; i < frames; ++i) {
    const float v = static_cast<float>(amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(i) / rate));
    for (size_t c = 0; c < nch; ++c) out[i * nch + c] = v;
  }
  return out;
}

std::string write_audio_file(const std::string& path, const std::vector<float>& interleaved, int channels, int rate,
                             int sndfile_format) {
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = rate;
  info.format = sndfile_format;
  if (channels <= 0 || rate <= 0 || !sf_format_check(&info)) return "unsupported audio format for " + path;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return "cannot write " + path + ": " + sf_strerror(nullptr);
  // Full-scale floats stay at full scale in integer files rather than wrapping.
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  const sf_count_t frames = static_cast<sf_count_t>(interleaved.size() / static_cast<size_t>(channels));
  const sf_count_t written = sf_writef_float(file, interleaved.data(), frames);
  const int closed = sf_close(file);
  return written == frames && closed == 0 ? std::string() : "short write to " + path;
}

ToneWritten write_tone_file(const char* path, double hz, double amplitude, double seconds, long long rate,
                            long long channels, int bits) {
  const char* dot = std::strrchr(path, '.');
  std::string ext = dot ? dot + 1 : "";
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const int container = ext == "flac" ? SF_FORMAT_FLAC : ext == "aif" || ext == "aiff" ? SF_FORMAT_AIFF : SF_FORMAT_WAV;
  // WAV keeps 8-bit samples unsigned.
  const int encoding = bits == 0    ? SF_FORMAT_FLOAT
                       : bits == 8  ? (container == SF_FORMAT_WAV ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_S8)
                       : bits == 16 ? SF_FORMAT_PCM_16
                       : bits == 24 ? SF_FORMAT_PCM_24
                       : bits == 32 ? SF_FORMAT_PCM_32
                                    : 0;
  if (!encoding) return {ToneWritten::bad_argument, "write_tone: bits must be 8, 16, 24, 32 or \"float\""};
  if (rate < 1 || rate > 768000 || channels < 1 || channels > 64 || !(seconds >= 0) || seconds > 10800)
    return {ToneWritten::bad_argument, "write_tone: rate 1..768000, channels 1..64, seconds 0..10800"};
  const int r = static_cast<int>(rate), n = static_cast<int>(channels);
  std::string error = write_audio_file(path, sine_frames(hz, amplitude, seconds, r, n), n, r, container | encoding);
  if (error.empty()) return {ToneWritten::ok, {}};
  return {ToneWritten::not_written, std::move(error)};
}

SourceAudio read_audio_file(const std::string& path) {
  Loaded loaded;
  return load(path, loaded) ? *loaded.audio : SourceAudio{};
}

bool speak_to_file(const std::string& path, const std::string& text, const std::string& voice, int amplitude) {
  const std::string amp = std::to_string(amplitude);
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    execlp("espeak-ng", "espeak-ng", "-v", voice.c_str(), "-a", amp.c_str(), "-w", path.c_str(), "--",
           text.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
  return read_audio_file(path).channels > 0;
}

}  // namespace sim
