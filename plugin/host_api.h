// The host's binary interface as this plug-in calls it: opaque object types, the
// plug-in information record, and one function-pointer variable per host function,
// filled by name at load.
#pragma once

#include <cstdint>

struct ReaProject;
struct MediaTrack;
struct MediaItem;
struct MediaItem_Take;
struct TrackEnvelope;
typedef struct HWND__* HWND;
struct PCM_source_transfer_t;
struct PCM_source_peaktransfer_t;
struct ProjectStateContext;

// The host's audio source object, used through its virtual table: every slot is
// declared in the host's order so that the few calls made land on the right ones.
class PCM_source {
 public:
  virtual ~PCM_source() {}
  virtual PCM_source* Duplicate() = 0;
  virtual bool IsAvailable() = 0;
  virtual void SetAvailable(bool) {}
  virtual const char* GetType() = 0;
  virtual const char* GetFileName() { return nullptr; }
  virtual bool SetFileName(const char*) = 0;
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

struct reaper_plugin_info_t {
  int caller_version;
  HWND hwnd_main;
  int (*Register)(const char* name, void* infostruct);
  void* (*GetFunc)(const char* name);
};

// X(result, name, parameter list). One list yields the variables, their stubs and the
// import table; a family that needs another host function adds one line here.
#define MX_HOST_FUNCTIONS(X)                                                                   \
  X(int, plugin_register, (const char* name, void* infostruct))                               \
  X(int, CountTracks, (ReaProject * proj))                                                     \
  X(MediaTrack*, GetTrack, (ReaProject * proj, int trackidx))                                  \
  X(int, CountSelectedTracks, (ReaProject * proj))                                             \
  X(int, CountSelectedTracks2, (ReaProject * proj, bool wantmaster))                           \
  X(MediaTrack*, GetSelectedTrack, (ReaProject * proj, int seltrackidx))                       \
  X(void, InsertTrackAtIndex, (int idx, bool wantDefaults))                                    \
  X(void, DeleteTrack, (MediaTrack * tr))                                                      \
  X(MediaTrack*, GetParentTrack, (MediaTrack * track))                                         \
  X(int, GetTrackDepth, (MediaTrack * track))                                                  \
  X(bool, GetTrackName, (MediaTrack * track, char* bufOut, int bufOut_sz))                     \
  X(int, GetTrackColor, (MediaTrack * track))                                                  \
  X(void, SetTrackColor, (MediaTrack * track, int color))                                      \
  X(int, ColorToNative, (int r, int g, int b))                                                 \
  X(void, ColorFromNative, (int col, int* rOut, int* gOut, int* bOut))                         \
  X(double, GetMediaTrackInfo_Value, (MediaTrack * tr, const char* parmname))                  \
  X(bool, SetMediaTrackInfo_Value, (MediaTrack * tr, const char* parmname, double newvalue))   \
  X(bool, GetSetMediaTrackInfo_String,                                                         \
    (MediaTrack * tr, const char* parmname, char* stringNeedBig, bool setNewValue))            \
  X(void, SetTrackSelected, (MediaTrack * track, bool selected))                               \
  X(void, SetOnlyTrackSelected, (MediaTrack * track))                                          \
  X(int, CountProjectMarkers, (ReaProject * proj, int* num_markersOut, int* num_regionsOut))   \
  X(int, EnumProjectMarkers2,                                                                  \
    (ReaProject * proj, int idx, bool* isrgnOut, double* posOut, double* rgnendOut,            \
     const char** nameOut, int* markrgnindexnumberOut))                                        \
  X(int, EnumProjectMarkers3,                                                                  \
    (ReaProject * proj, int idx, bool* isrgnOut, double* posOut, double* rgnendOut,            \
     const char** nameOut, int* markrgnindexnumberOut, int* colorOut))                         \
  X(bool, SetProjectMarker3,                                                                   \
    (ReaProject * proj, int markrgnindexnumber, bool isrgn, double pos, double rgnend,         \
     const char* name, int color))                                                             \
  X(int, AddProjectMarker2,                                                                    \
    (ReaProject * proj, bool isrgn, double pos, double rgnend, const char* name, int wantidx,  \
     int color))                                                                               \
  X(bool, DeleteProjectMarkerByIndex, (ReaProject * proj, int markrgnidx))                     \
  X(bool, GetSetProjectInfo_String,                                                            \
    (ReaProject * project, const char* desc, char* valuestrNeedBig, bool is_set))              \
  X(int, CountMediaItems, (ReaProject * proj))                                                 \
  X(MediaItem*, GetMediaItem, (ReaProject * proj, int itemidx))                                \
  X(int, CountSelectedMediaItems, (ReaProject * proj))                                         \
  X(MediaItem*, GetSelectedMediaItem, (ReaProject * proj, int selitem))                        \
  X(int, CountTrackMediaItems, (MediaTrack * track))                                           \
  X(MediaItem*, GetTrackMediaItem, (MediaTrack * tr, int itemidx))                             \
  X(MediaTrack*, GetMediaItem_Track, (MediaItem * item))                                       \
  X(ReaProject*, GetItemProjectContext, (MediaItem * item))                                    \
  X(MediaItem*, AddMediaItemToTrack, (MediaTrack * tr))                                        \
  X(bool, DeleteTrackMediaItem, (MediaTrack * tr, MediaItem * it))                             \
  X(bool, MoveMediaItemToTrack, (MediaItem * item, MediaTrack * desttr))                       \
  X(void, SetMediaItemSelected, (MediaItem * item, bool selected))                             \
  X(void, SelectAllMediaItems, (ReaProject * proj, bool selected))                             \
  X(double, GetMediaItemInfo_Value, (MediaItem * item, const char* parmname))                  \
  X(bool, SetMediaItemInfo_Value, (MediaItem * item, const char* parmname, double newvalue))   \
  X(MediaItem_Take*, GetActiveTake, (MediaItem * item))                                        \
  X(MediaItem_Take*, GetTake, (MediaItem * item, int takeidx))                                 \
  X(int, CountTakes, (MediaItem * item))                                                       \
  X(MediaItem_Take*, AddTakeToMediaItem, (MediaItem * item))                                   \
  X(const char*, GetTakeName, (MediaItem_Take * take))                                         \
  X(double, GetMediaItemTakeInfo_Value, (MediaItem_Take * take, const char* parmname))         \
  X(bool, SetMediaItemTakeInfo_Value,                                                          \
    (MediaItem_Take * take, const char* parmname, double newvalue))                            \
  X(void*, GetSetMediaItemTakeInfo,                                                            \
    (MediaItem_Take * tk, const char* parmname, void* setNewValue))                            \
  X(bool, GetSetMediaItemTakeInfo_String,                                                      \
    (MediaItem_Take * tk, const char* parmname, char* stringNeedBig, bool setNewValue))        \
  X(PCM_source*, GetMediaItemTake_Source, (MediaItem_Take * take))                             \
  X(void, GetMediaSourceType, (PCM_source * source, char* typebufOut, int typebufOut_sz))      \
  X(int, GetMediaSourceNumChannels, (PCM_source * source))                                     \
  X(int, GetMediaSourceSampleRate, (PCM_source * source))                                      \
  X(void, PCM_Source_Destroy, (PCM_source * src))                                              \
  X(int, GetMediaItemTake_Peaks,                                                               \
    (MediaItem_Take * take, double peakrate, double starttime, int numchannels,                \
     int numsamplesperchannel, int want_extra_type, double* buf))                              \
  X(int, CountTakeEnvelopes, (MediaItem_Take * take))                                          \
  X(TrackEnvelope*, GetTakeEnvelope, (MediaItem_Take * take, int envidx))                      \
  X(TrackEnvelope*, GetTakeEnvelopeByName, (MediaItem_Take * take, const char* envname))       \
  X(int, InsertMedia, (const char* file, int mode))                                            \
  X(int, GetPlayState, ())                                                                     \
  X(double, GetPlayPositionEx, (ReaProject * proj))                                            \
  X(double, GetCursorPositionEx, (ReaProject * proj))                                          \
  X(void, SetEditCurPos2, (ReaProject * proj, double time, bool moveview, bool seekplay))      \
  X(void, CSurf_GoEnd, ())                                                                     \
  X(double, TimeMap_curFrameRate, (ReaProject * proj, bool* dropFrameOut))                     \
  X(void, Main_OnCommandEx, (int command, int flag, ReaProject* proj))                         \
  X(void, GetProjectPath, (char* bufOut, int bufOut_sz))                                       \
  X(const char*, GetResourcePath, ())                                                          \
  X(void, UpdateArrange, ())                                                                   \
  X(int, ShowMessageBox, (const char* msg, const char* title, int type))                      \
  X(bool, GetUserInputs,                                                                       \
    (const char* title, int num_inputs, const char* captions_csv, char* retvals_csv,           \
     int retvals_csv_sz))                                                                      \
  X(bool, ValidatePtr, (void* pointer, const char* ctypename))

#define MX_DECLARE_HOST_FUNCTION(R, name, params) extern R(*name) params;
MX_HOST_FUNCTIONS(MX_DECLARE_HOST_FUNCTION)
#undef MX_DECLARE_HOST_FUNCTION

// Stores getFunc(name) into every variable; returns how many names the host lacks.
// A name the host lacks keeps a stub that raises inside the call frame, so a missing
// host function ends the call with an error code instead of a jump through null.
int REAPERAPI_LoadAPI(void* (*getFunc)(const char* name));
