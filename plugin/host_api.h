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
struct PCM_source;
typedef struct HWND__* HWND;

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
