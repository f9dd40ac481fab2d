#include "tests/support/audio_fixture.h"

#include <stdexcept>

#include "simhost/source.h"

namespace mxtest::audio {

std::vector<float> sine(double hz, double amplitude, double seconds, int rate, int channels) {
  return sim::sine_frames(hz, amplitude, seconds, rate, channels);
}

void write(const std::string& path, const std::vector<float>& interleaved, int channels, int rate,
           int sndfile_format) {
  const std::string error = sim::write_audio_file(path, interleaved, channels, rate, sndfile_format);
  if (!error.empty()) throw std::runtime_error(error);
}

Audio read(const std::string& path) {
  sim::SourceAudio audio = sim::read_audio_file(path);
  return {audio.channels, audio.sample_rate, std::move(audio.frames)};
}

std::string speak(const std::string& path, const std::string& text, const std::string& voice, int amplitude) {
  return sim::speak_to_file(path, text, voice, amplitude) ? path : std::string();
}

}  // namespace mxtest::audio
