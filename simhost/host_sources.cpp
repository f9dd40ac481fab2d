// The host's source functions, the peaks of a take and the take audio accessor that
// other extensions read a take's audio through. A source belongs to the take holding
// it; one that no take holds belongs to whoever made it, until PCM_Source_Destroy.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "simhost/host_media.h"
#include "simhost/source.h"

struct AudioAccessor {
  MediaItem_Take* take = nullptr;
};

namespace sim {
template <>
struct type_text<AudioAccessor*> {
  static constexpr const char* value = "AudioAccessor*";
};

namespace {

using media::live;
using media::session;

PCM_source* live_source(PCM_source* source, const char* function) { return live(source, function, true); }

// ---- takes and their sources -----------------------------------------------------------

PCM_source* GetMediaItemTake_Source(MediaItem_Take* take) {
  MediaItem_Take* t = live(take, __func__);
  return t ? t->source : nullptr;
}

// The pointer keys. Setting P_SOURCE puts the new source in the take and leaves the
// old one to the caller, who destroys it; the result is the new value.
void* GetSetMediaItemTakeInfo(MediaItem_Take* tk, const char* parmname, void* setNewValue) {
  MediaItem_Take* t = live(tk, __func__);
  if (!t || !parmname) return nullptr;
  const std::string key = parmname;
  if (key == "P_SOURCE") {
    if (!setNewValue) return t->source;
    auto* source = static_cast<PCM_source*>(setNewValue);
    if (!live_source(source, __func__) || session().refused(t, key)) return nullptr;
    // One source in two takes would be freed twice: the second take needs a duplicate.
    MediaItem_Take* holder = media::holder_of(source);
    if (holder && holder != t) {
      Host::get().note_violation(std::string(__func__) + ": the source is already held by another take");
      return nullptr;
    }
    t->source = source;
    return source;
  }
  if (setNewValue) return nullptr;  // the owners are read-only
  if (key == "P_ITEM") return t->item;
  if (key == "P_TRACK") return t->item->track;
  return nullptr;
}

void GetMediaSourceType(PCM_source* source, char* typebufOut, int typebufOut_sz) {
  PCM_source* s = live_source(source, __func__);
  copy_text(typebufOut, typebufOut_sz, s ? s->GetType() : "");
}

int GetMediaSourceNumChannels(PCM_source* source) {
  PCM_source* s = live_source(source, __func__);
  return s ? s->GetNumChannels() : 0;
}

int GetMediaSourceSampleRate(PCM_source* source) {
  PCM_source* s = live_source(source, __func__);
  return s ? static_cast<int>(std::lround(s->GetSampleRate())) : 0;
}

void GetMediaSourceFileName(PCM_source* source, char* filenamebufOut, int filenamebufOut_sz) {
  PCM_source* s = live_source(source, __func__);
  const char* name = s ? s->GetFileName() : nullptr;
  copy_text(filenamebufOut, filenamebufOut_sz, name ? name : "");
}

double GetMediaSourceLength(PCM_source* source, bool* lengthIsQNOut) {
  if (lengthIsQNOut) *lengthIsQNOut = false;
  PCM_source* s = live_source(source, __func__);
  return s ? s->GetLength() : 0.0;
}

PCM_source* PCM_Source_CreateFromFile(const char* filename) { return filename ? open_file_source(filename) : nullptr; }

// Deleting a source a take still plays would leave the take pointing at freed memory:
// the host's own crash, noted here as the caller's fault and refused.
void PCM_Source_Destroy(PCM_source* src) {
  PCM_source* s = live_source(src, __func__);
  if (!s) return;
  if (media::holder_of(s)) {
    Host::get().note_violation(std::string(__func__) + ": the source is still held by a take");
    return;
  }
  session().forget_source(s);
  delete s;
}

// ---- peaks -----------------------------------------------------------------------------

constexpr int SPECTRAL_PEAKS = 115;  // 's'
constexpr int MAX_PEAKS = 0xFFFFF;   // what the result's count bits can say
constexpr int HAS_EXTRA = 0x1000000;

int GetMediaItemTake_Peaks(MediaItem_Take* take, double peakrate, double starttime, int numchannels,
                           int numsamplesperchannel, int want_extra_type, double* buf) {
  MediaItem_Take* t = live(take, __func__);
  if (!t || !buf || numchannels <= 0 || numsamplesperchannel <= 0) return 0;
  const size_t block = static_cast<size_t>(numsamplesperchannel) * static_cast<size_t>(numchannels);
  const bool extra = want_extra_type == SPECTRAL_PEAKS;
  const int count = std::min(numsamplesperchannel, MAX_PEAKS);
  const int got = take_peaks(t, peakrate, starttime - t->item->position, numchannels, count, buf, buf + block,
                             extra ? buf + 2 * block : nullptr);
  if (got <= 0) return 0;
  return got | (extra ? HAS_EXTRA : 0);
}

// ---- the take audio accessor -----------------------------------------------------------

// Accessors live until destroyed or until the session is reset.
std::map<AudioAccessor*, std::unique_ptr<AudioAccessor>>& accessors() {
  static std::map<AudioAccessor*, std::unique_ptr<AudioAccessor>> all;
  return all;
}
const reset_hook forget_accessors{[] { accessors().clear(); }};

AudioAccessor* live_accessor(AudioAccessor* accessor, const char* function) {
  if (accessors().count(accessor)) return accessor;
  Host::get().note_violation(std::string(function) + ": not a live AudioAccessor*");
  return nullptr;
}

AudioAccessor* CreateTakeAudioAccessor(MediaItem_Take* take) {
  MediaItem_Take* t = live(take, __func__);
  if (!t || !t->source) return nullptr;
  auto accessor = std::make_unique<AudioAccessor>();
  accessor->take = t;
  AudioAccessor* handle = accessor.get();
  accessors()[handle] = std::move(accessor);
  return handle;
}

void DestroyAudioAccessor(AudioAccessor* accessor) {
  if (accessor && live_accessor(accessor, __func__)) accessors().erase(accessor);
}

double GetAudioAccessorStartTime(AudioAccessor* accessor) {
  live_accessor(accessor, __func__);
  return 0.0;
}

double GetAudioAccessorEndTime(AudioAccessor* accessor) {
  AudioAccessor* a = live_accessor(accessor, __func__);
  return a && session().is_live(a->take, "MediaItem_Take*") ? a->take->item->length : 0.0;
}

// Whether [start, start + seconds) of the item shows any of the take's source.
bool shows_audio(const MediaItem_Take* take, double start, double seconds) {
  const SourceAudio* audio = session().is_live(take->source, "PCM_source*") ? audio_of(take->source) : nullptr;
  if (!audio || audio->channels <= 0 || audio->sample_rate <= 0) return false;
  const double rate = take->play_rate > 0 ? take->play_rate : 1.0;
  const double source_length =
      static_cast<double>(audio->frames.size() / static_cast<size_t>(audio->channels)) / audio->sample_rate;
  // The item time where the source begins and ends.
  const double from = std::max(0.0, -take->start_offset / rate);
  const double to = std::min(take->item->length, (source_length - take->start_offset) / rate);
  return from < to && start < to && start + seconds > from;
}

int GetAudioAccessorSamples(AudioAccessor* accessor, int samplerate, int numchannels, double starttime_sec,
                            int numsamplesperchannel, double* samplebuffer) {
  AudioAccessor* a = live_accessor(accessor, __func__);
  if (!a) return -1;
  if (!samplebuffer || samplerate <= 0 || numchannels <= 0 || numsamplesperchannel <= 0 ||
      !std::isfinite(starttime_sec))
    return 0;
  const size_t frames = static_cast<size_t>(numsamplesperchannel);
  std::fill(samplebuffer, samplebuffer + frames * static_cast<size_t>(numchannels), 0.0);
  if (!session().is_live(a->take, "MediaItem_Take*")) return 0;
  if (!shows_audio(a->take, starttime_sec, static_cast<double>(frames) / samplerate)) return 0;
  const std::vector<float> audio = take_audio(a->take, starttime_sec, frames, samplerate, numchannels);
  std::copy(audio.begin(), audio.end(), samplebuffer);
  return 1;
}

SIM_HOST_FUNCTION(GetMediaItemTake_Source, "take");
SIM_HOST_FUNCTION(GetSetMediaItemTakeInfo, "tk,parmname,setNewValue");
SIM_HOST_FUNCTION(GetMediaSourceType, "source,typebufOut,typebufOut_sz");
SIM_HOST_FUNCTION(GetMediaSourceNumChannels, "source");
SIM_HOST_FUNCTION(GetMediaSourceSampleRate, "source");
SIM_HOST_FUNCTION(GetMediaSourceFileName, "source,filenamebufOut,filenamebufOut_sz");
SIM_HOST_FUNCTION(GetMediaSourceLength, "source,lengthIsQNOut");
SIM_HOST_FUNCTION(PCM_Source_CreateFromFile, "filename");
SIM_HOST_FUNCTION(PCM_Source_Destroy, "src");

// The script bridge hands a double* parameter over as one number, not as an array, so a
// script call of the two sample-buffer functions would write past it: scripts get 0 and
// nothing is written, while extensions call them directly through the function lookup.
void* refused_from_scripts(void**, int) { return nullptr; }
#define SIM_HOST_BUFFER_FUNCTION(Name, names)                                                                  \
  const host_function_registrar sim_host_function_##Name(                                                     \
      #Name, reinterpret_cast<void*>(&Name), host_signature<decltype(&Name)>::apidef(names, ""), &refused_from_scripts)
SIM_HOST_BUFFER_FUNCTION(GetMediaItemTake_Peaks,
                         "take,peakrate,starttime,numchannels,numsamplesperchannel,want_extra_type,buf");
SIM_HOST_FUNCTION(CreateTakeAudioAccessor, "take");
SIM_HOST_FUNCTION(DestroyAudioAccessor, "accessor");
SIM_HOST_FUNCTION(GetAudioAccessorStartTime, "accessor");
SIM_HOST_FUNCTION(GetAudioAccessorEndTime, "accessor");
SIM_HOST_BUFFER_FUNCTION(GetAudioAccessorSamples,
                         "accessor,samplerate,numchannels,starttime_sec,numsamplesperchannel,samplebuffer");
#undef SIM_HOST_BUFFER_FUNCTION

}  // namespace
}  // namespace sim
