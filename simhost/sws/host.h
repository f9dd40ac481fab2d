// The host functions this extension calls, found by name through the host's function
// lookup when the host loads it. A function the host does not offer stays null and the
// calls that need it fail instead of crashing.
#pragma once

struct MediaItem;
struct MediaItem_Take;
struct TrackEnvelope;
struct AudioAccessor;
class PCM_source;

// X(result, name, parameter list): one list gives the variables and their binding.
#define SWS_HOST_FUNCTIONS(X)                                                                           \
  X(bool, ValidatePtr, (void* pointer, const char* ctypename))                                         \
  X(MediaItem*, GetMediaItemTake_Item, (MediaItem_Take * take))                                        \
  X(PCM_source*, GetMediaItemTake_Source, (MediaItem_Take * take))                                     \
  X(int, GetMediaSourceNumChannels, (PCM_source * source))                                             \
  X(int, GetMediaSourceSampleRate, (PCM_source * source))                                              \
  X(double, GetMediaItemInfo_Value, (MediaItem * item, const char* parmname))                          \
  X(double, GetMediaItemTakeInfo_Value, (MediaItem_Take * take, const char* parmname))                 \
  X(AudioAccessor*, CreateTakeAudioAccessor, (MediaItem_Take * take))                                  \
  X(void, DestroyAudioAccessor, (AudioAccessor * accessor))                                            \
  X(double, GetAudioAccessorEndTime, (AudioAccessor * accessor))                                       \
  X(int, GetAudioAccessorSamples,                                                                      \
    (AudioAccessor * accessor, int samplerate, int numchannels, double starttime_sec,                  \
     int numsamplesperchannel, double* samplebuffer))                                                  \
  X(TrackEnvelope*, GetTakeEnvelopeByName, (MediaItem_Take * take, const char* envname))               \
  X(int, Envelope_Evaluate,                                                                            \
    (TrackEnvelope * env, double time, double samplerate, int samplesRequested, double* valueOut,      \
     double* dVdSOut, double* ddVdSOut, double* dddVdSOut))                                            \
  X(int, GetEnvelopeScalingMode, (TrackEnvelope * env))                                                \
  X(double, ScaleFromEnvelopeMode, (int scaling_mode, double val))                                     \
  X(double, ScaleToEnvelopeMode, (int scaling_mode, double val))                                       \
  X(MediaItem_Take*, Envelope_GetParentTake, (TrackEnvelope * env, int* indexOut, int* index2Out))     \
  X(bool, GetEnvelopeStateChunk, (TrackEnvelope * env, char* strNeedBig, int strNeedBig_sz, bool isundoOptional)) \
  X(bool, SetEnvelopeStateChunk, (TrackEnvelope * env, const char* str, bool isundoOptional))         \
  X(void, UpdateArrange, ())

namespace sws::host {

#define SWS_DECLARE(result, name, params) extern result(*name) params;
SWS_HOST_FUNCTIONS(SWS_DECLARE)
#undef SWS_DECLARE

// Fills every pointer from the host's lookup.
void bind(void* (*get_func)(const char* name));

// True when `object` is a live host object of `type`; false without the lookup.
bool live(void* object, const char* type);

}  // namespace sws::host
