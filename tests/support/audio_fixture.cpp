#include "tests/support/audio_fixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <stdexcept>

namespace mxtest::audio {

std::vector<float> sine(double hz, double amplitude, double seconds, int rate, int channels) {
  const size_t frames = seconds > 0 && rate > 0 ? static_cast<size_t>(std::llround(seconds * rate)) : 0;
  const size_t nch = channels > 0 ? static_cast<size_t>(channels) : 0;
  std::vector<float> out(frames * nch);
  for (size_t i = 0; i < frames; ++i) {
    const float v = static_cast<float>(amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(i) / rate));
    for (size_t c = 0; c < nch; ++c) out[i * nch + c] = v;
  }
  return out;
}

void write(const std::string& path, const std::vector<float>& interleaved, int channels, int rate,
           int sndfile_format) {
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = rate;
  info.format = sndfile_format;
  if (channels <= 0 || !sf_format_check(&info)) throw std::runtime_error("unsupported audio format for " + path);
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
  // Full-scale floats stay at full scale in integer files rather than wrapping.
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  const sf_count_t frames = static_cast<sf_count_t>(interleaved.size() / static_cast<size_t>(channels));
  const sf_count_t written = sf_writef_float(file, interleaved.data(), frames);
  sf_close(file);
  if (written != frames) throw std::runtime_error("short write to " + path);
}

Audio read(const std::string& path) {
  Audio audio;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return audio;
  if (info.channels > 0 && info.frames > 0) {
    audio.frames.resize(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    const sf_count_t got = sf_readf_float(file, audio.frames.data(), info.frames);
    audio.frames.resize(static_cast<size_t>(got > 0 ? got : 0) * static_cast<size_t>(info.channels));
  }
  audio.channels = info.channels;
  audio.rate = info.samplerate;
  sf_close(file);
  return audio;
}

std::string speak(const std::string& path, const std::string& text, const std::string& voice, int amplitude) {
  const pid_t pid = fork();
  if (pid < 0) return {};
  if (pid == 0) {
    const std::string amp = std::to_string(amplitude);
    execlp("espeak-ng", "espeak-ng", "-q", "-v", voice.c_str(), "-a", amp.c_str(), "-w", path.c_str(), "--",
           text.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  return read(path).frames.empty() ? std::string() : path;
}

}  // namespace mxtest::audio
