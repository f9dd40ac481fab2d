// The host's audio source class, as its extensions see it through the virtual table,
// and the simulated host's one kind of source: a file read through libsndfile. The
// slot order is the host's; the plug-in's own declaration must land on the same slots.
#pragma once

#include <memory>
#include <string>
#include <vector>

typedef struct HWND__* HWND;
struct PCM_source_transfer_t;
struct PCM_source_peaktransfer_t;
struct ProjectStateContext;
struct MediaItem_Take;

class PCM_source {
 public:
  virtual ~PCM_source() {}
  virtual PCM_source* Duplicate() = 0;
  virtual bool IsAvailable() = 0;
  virtual void SetAvailable(bool) {}
  virtual const char* GetType() = 0;
  virtual const char* GetFileName() { return nullptr; }
  virtual bool SetFileName(const char* newfn) = 0;
  virtual PCM_source* GetSource() { return nullptr; }
  virtual void SetSource(PCM_source*) {}
  virtual int GetNumChannels() = 0;
  virtual double GetSampleRate() = 0;
  virtual double GetLength() = 0;
  virtual double GetLengthBeats() { return -1.0; }
  virtual int GetBitsPerSample() { return 0; }
  virtual double GetPreferredPosition() { return -1.0; }
  virtual int PropertiesWindow(HWND parent) = 0;
  virtual void GetSamples(PCM_source_transfer_t* block) = 0;
  virtual void GetPeakInfo(PCM_source_peaktransfer_t* block) = 0;
  virtual void SaveState(ProjectStateContext* ctx) = 0;
  virtual int LoadState(const char* firstline, ProjectStateContext* ctx) = 0;
  virtual void Peaks_Clear(bool deleteFile) = 0;
  virtual int PeaksBuild_Begin() = 0;
  virtual int PeaksBuild_Run() = 0;
  virtual void PeaksBuild_Finish() = 0;
  virtual int Extended(int, void*, void*, void*) { return 0; }
};

namespace sim {

// A source over an audio file. The samples are read once, as float frames
// interleaved by channel; a file that is gone or unreadable later keeps what was read.
class FileSource;

// Opens `path` with libsndfile; null when the library cannot read it as audio.
// The result is registered live with the session (Session::adopt_source).
PCM_source* open_file_source(const std::string& path);

// The audio of a source, or null for a source that is not one of ours.
struct SourceAudio {
  int channels = 0;
  int sample_rate = 0;
  std::vector<float> frames;  // interleaved
  int format = 0;             // the file's libsndfile format, major type and sample encoding
};
const SourceAudio* audio_of(PCM_source* source);

// The active take's audio as the host plays it for a render or an analysis, before
// any volume, pan, envelope or fade: from `start` seconds after the item start, `count`
// frames at `rate`, of `channels` output channels, applying the take's start offset,
// play rate and channel mode; zero outside the source and outside the item.
std::vector<float> take_audio(const MediaItem_Take* take, double start, size_t count, int rate, int channels);

// How many channels the take plays after its channel mode (0 without a source).
int take_channels(const MediaItem_Take* take);

// Peaks of the take over windows of 1/`peakrate` seconds from `start` seconds after
// the item start, with the take_audio semantics: `count` windows of `channels` channels
// interleaved into `maxima` and `minima`, and into `spectral` (when not null) the host's
// spectral word per window (low 15 bits a frequency in Hz, the next 14 bits tonality).
// Returns the windows written, or -1 when the take has no readable source.
int take_peaks(const MediaItem_Take* take, double peakrate, double start, int channels, int count, double* maxima,
               double* minima, double* spectral);

// Audio files as the simulator's script controls and the test fixtures make them.
// A sine of `seconds` at `rate`, the same in every channel, interleaved.
std::vector<float> sine_frames(double hz, double amplitude, double seconds, int rate, int channels);
// Writes interleaved frames in a libsndfile format; an error text, empty on success.
std::string write_audio_file(const std::string& path, const std::vector<float>& interleaved, int channels, int rate,
                             int sndfile_format);
// A sine file as the script controls write it: the container by the path's extension
// (FLAC, AIFF, else WAV), `bits` 8, 16, 24 or 32 for integer samples and 0 for floats.
// A wrong argument and a failed write are told apart, for the scripts' own error kinds.
struct ToneWritten {
  enum { ok, bad_argument, not_written } outcome;
  std::string message;
};
ToneWritten write_tone_file(const char* path, double hz, double amplitude, double seconds, long long rate,
                            long long channels, int bits);
// The whole file, or nothing (channels 0) when libsndfile cannot read it.
SourceAudio read_audio_file(const std::string& path);
// Runs espeak-ng to speak `text` into a WAV at `path`; false when that failed.
bool speak_to_file(const std::string& path, const std::string& text, const std::string& voice, int amplitude);

}  // namespace sim
