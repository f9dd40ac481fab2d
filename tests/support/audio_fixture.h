// Test audio: tones, files written and read through libsndfile, and speech made by
// espeak-ng when a test sets up.
#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

namespace mxtest::audio {

// A sine of `seconds` at `rate`, the same in every channel, interleaved.
std::vector<float> sine(double hz, double amplitude, double seconds, int rate, int channels = 1);

// Writes interleaved frames; throws std::runtime_error when libsndfile refuses, so a
// fixture that cannot be made fails the test that needs it.
void write(const std::string& path, const std::vector<float>& interleaved, int channels, int rate,
           int sndfile_format = SF_FORMAT_WAV | SF_FORMAT_PCM_16);

struct Audio {
  int channels = 0, rate = 0;
  std::vector<float> frames;  // interleaved
};
// The whole file; channels and rate 0 and no frames when it cannot be read.
Audio read(const std::string& path);

// Runs espeak-ng to speak `text` into a WAV at `path`; the path, or empty if it failed.
std::string speak(const std::string& path, const std::string& text, const std::string& voice = "en",
                  int amplitude = 100);

}  // namespace mxtest::audio
