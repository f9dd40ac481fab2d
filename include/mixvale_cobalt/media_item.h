// The plug-in's native media item library and play cursor, for other native code that
// links against a build of the plug-in (libreaper_MIXVALE_COBALT_for_7.x or _for_6.x).
//
// Every function runs in the plug-in's call frame: it clears the error code on entry,
// reports one failure code through the error-code sink and returns false (or null);
// outputs are written only on success. The host objects are the host's own; a null
// project means the active one. Indexes are zero-based.
//
// Most operations come in five addressing forms that differ only in how the item is
// found; the family table below names each once:
//   <Verb>MediaItem<Property>(MediaItem* item, ...)                     the item itself
//   <Verb>Media<Property>(ReaProject* projID, int itemID, ...)          among all items
//   <Verb>SelectedMedia<Property>(ReaProject* projID, int selectItemID, ...)
//   <Verb>TrackMedia<Property>(ReaProject* projID, int trackID, int itemID, ...)
//   <Verb>SelectedTrackMedia<Property>(ReaProject* projID, int selectTrackID, int itemID, ...)
// The track forms report an invalid track before they look for the item.
#pragma once

#include <string>
#include <vector>

struct ReaProject;
struct MediaTrack;
struct MediaItem;

#ifndef MX_NATIVE_EXPORT
#define MX_NATIVE_EXPORT __attribute__((visibility("default")))
#endif

// The trailing parameters of a family member: nothing or a comma and the list.
#define MX_NATIVE_TAIL(...) __VA_OPT__(, ) __VA_ARGS__

// X(Verb, Property, (parameters after the item), (their names)).
#define MX_MEDIA_ITEM_FAMILIES(X)                                                                        \
  X(Get, BitRate, (int* bitRateOut), (bitRateOut))                                                       \
  X(Get, SampleRate, (int* sampleRateOut), (sampleRateOut))                                              \
  X(Get, NumChannels, (int* numChannelsOut), (numChannelsOut))                                           \
  X(Get, ChannelMode, (int* chanModeOut), (chanModeOut))                                                 \
  X(Set, ChannelMode, (int setChanMode), (setChanMode))                                                  \
  X(Get, Name, (char* nameOut, int nameOut_sz), (nameOut, nameOut_sz))                                   \
  X(Set, Name, (const char* setName), (setName))                                                         \
  X(Get, Mute, (bool* muteOut), (muteOut))                                                               \
  X(Set, Mute, (bool setMute), (setMute))                                                                \
  X(Get, StartTimeSeconds, (double* startTimeOut), (startTimeOut))                                       \
  X(Get, StartTimeFrame, (int* startFrameOut), (startFrameOut))                                          \
  X(Set, StartTimeSeconds, (double setStartTime), (setStartTime))                                        \
  X(Set, StartTimeFrame, (double setStartFrame), (setStartFrame))                                        \
  X(Get, Length, (double* lengthOut), (lengthOut))                                                       \
  X(Get, EndTime, (double* endTimeOut), (endTimeOut))                                                    \
  X(Get, EndTimeFrame, (int* endFrameOut), (endFrameOut))                                                \
  X(Get, Fade, (int* fadeInShapeOut, double* fadeInLenOut, int* fadeOutShapeOut, double* fadeOutLenOut), \
    (fadeInShapeOut, fadeInLenOut, fadeOutShapeOut, fadeOutLenOut))                                      \
  X(Set, Fade, (int setFadeInShape, double setFadeInLen, int setFadeOutShape, double setFadeOutLen),     \
    (setFadeInShape, setFadeInLen, setFadeOutShape, setFadeOutLen))                                      \
  X(Get, Volume, (double* volumeOut), (volumeOut))                                                       \
  X(Set, Volume, (double setVolume), (setVolume))                                                        \
  X(Set, AddVolume, (double addVolume), (addVolume))                                                     \
  X(Get, Pitch, (double* pitchOut), (pitchOut))                                                          \
  X(Set, Pitch, (double setPitch), (setPitch))                                                           \
  X(Set, AddPitch, (double addPitch), (addPitch))                                                        \
  X(Get, Rate, (double* rateOut), (rateOut))                                                             \
  X(Set, Rate, (double setRate), (setRate))                                                              \
  /* arrangement: deleting one item, moving it, copying its active take to a new item */                \
  X(Delete, , (), ())                                                                                    \
  X(Set, MoveToTrack, (int toTrackID), (toTrackID))                                                      \
  X(Set, ActiveTakeCopy, (int toTrackID, double position), (toTrackID, position))

// X(result, name, (parameters)): the operations that come in one form.
#define MX_MEDIA_ITEM_SINGLES(X)                                                                              \
  /* itemType 0: among all items, 1: among the selected; trackType the same for the track */                \
  X(MediaItem*, GetMediaItemSelect, (ReaProject * projID, int itemID, int itemType))                          \
  X(MediaItem*, GetMediaTrackItemSelect, (ReaProject * projID, int trackID, int itemID, int trackType))       \
  /* items in scope, and those whose active take's source type is `type` ("" counts all; WAV finds WAVE) */  \
  X(bool, GetMediaTypeCount, (ReaProject * projID, const char* type, int* countOut, int* typeCountOut))       \
  X(bool, GetSelectedMediaTypeCount, (ReaProject * projID, const char* type, int* countOut, int* typeCountOut)) \
  X(bool, GetTrackItemMediaTypeCount, (MediaTrack * track, const char* type, int* countOut, int* typeCountOut)) \
  X(bool, GetTrackMediaTypeCount,                                                                             \
    (ReaProject * projID, int trackID, const char* type, int* countOut, int* typeCountOut))                   \
  X(bool, GetSelectedTrackMediaTypeCount,                                                                     \
    (ReaProject * projID, int selectTrackID, const char* type, int* countOut, int* typeCountOut))             \
  /* every item of a scope; a refused deletion is reported after the others are done */                      \
  X(bool, DeleteAllMedia, (ReaProject * projID))                                                              \
  X(bool, DeleteAllSelectedMedia, (ReaProject * projID))                                                      \
  X(bool, DeleteAllTrackMedia, (ReaProject * projID, int trackID))                                            \
  X(bool, DeleteAllSelectedTrackMedia, (ReaProject * projID, int selectTrackID))                              \
  X(bool, SetMediaSelected, (ReaProject * projID, int itemID, bool setSelect))                                \
  X(bool, SetTrackMediaSelected, (ReaProject * projID, int trackID, int itemID, bool setSelect))              \
  X(bool, SetAllMediaSelected, (ReaProject * projID, bool setSelect))                                         \
  /* appended to itemsOut, which is not cleared */                                                            \
  X(bool, GetSelectedMediaItems, (ReaProject * projID, std::vector<MediaItem*> & itemsOut))                   \
  X(bool, SelectMediaItems, (std::vector<MediaItem*> items, bool setSelect))                                  \
  /* a file as a new item; startEndType 0 counts the position from the project start, else from its end.   \
     The item and track selections are restored; the new item stays selected as well. */                    \
  X(MediaItem*, InsertMediaOutItem, (ReaProject * projID, const char* filePath))                              \
  X(MediaItem*, InsertMediaTrackItemSecond,                                                                   \
    (MediaTrack * track, const char* filePath, int startEndType, double position))                            \
  X(MediaItem*, InsertMediaTrackIdSecond,                                                                     \
    (ReaProject * projID, int trackID, const char* filePath, int startEndType, double position))              \
  X(MediaItem*, InsertMediaSelectedTrackIdSecond,                                                             \
    (ReaProject * projID, int selectTrackID, const char* filePath, int startEndType, double position))        \
  X(MediaItem*, InsertMediaTrackItemFrame, (MediaTrack * track, const char* filePath, int startEndType, int frame)) \
  X(MediaItem*, InsertMediaTrackIdFrame,                                                                      \
    (ReaProject * projID, int trackID, const char* filePath, int startEndType, int frame))                    \
  X(MediaItem*, InsertMediaSelectedTrackIdFrame,                                                              \
    (ReaProject * projID, int selectTrackID, const char* filePath, int startEndType, int frame))              \
  /* one after the other with mediaInterval between them, in seconds (unitType not 1) or frames (1); */      \
  /* itemsOut gets one entry per file, null for a file that could not be inserted */                          \
  X(bool, InsertMediaItems,                                                                                   \
    (MediaTrack * track, std::vector<std::string> filePaths, double startPos, double mediaInterval,           \
     int unitType, std::vector<MediaItem*> & itemsOut))                                                       \
  /* the file name behind a take, with or without its extension; "" without a file */                        \
  X(std::string, GetSourceName, (MediaItem * item, int takeIndex, bool withoutExtension))                     \
  X(bool, GetSourceName, (MediaItem * item, int takeIndex, bool withoutExtension, char* nameOut, int nameOut_sz))

// X(result, name, (parameters)): the play cursor. The setters move the edit cursor
// (startEndType 0: from the project start, else from its end) and report where it is.
#define MX_CURSOL_FUNCTIONS(X)                                                                       \
  X(bool, GetPlayCursorPosition, (ReaProject * projID, double* positionOut))                        \
  X(bool, SetPlayCursorPosition, (ReaProject * projID, int startEndType, double position, double* positionOut)) \
  X(bool, SetPlayCursorPositionFrame, (ReaProject * projID, int startEndType, int frame, int* frameOut))

#define MX_NATIVE_DECLARE_FORMS(Verb, Property, Params, Args)                                                \
  MX_NATIVE_EXPORT bool Verb##MediaItem##Property(MediaItem* item MX_NATIVE_TAIL Params);                  \
  MX_NATIVE_EXPORT bool Verb##Media##Property(ReaProject* projID, int itemID MX_NATIVE_TAIL Params);       \
  MX_NATIVE_EXPORT bool Verb##SelectedMedia##Property(ReaProject* projID, int selectItemID MX_NATIVE_TAIL Params); \
  MX_NATIVE_EXPORT bool Verb##TrackMedia##Property(ReaProject* projID, int trackID, int itemID MX_NATIVE_TAIL Params); \
  MX_NATIVE_EXPORT bool Verb##SelectedTrackMedia##Property(ReaProject* projID, int selectTrackID,            \
                                                           int itemID MX_NATIVE_TAIL Params);
#define MX_NATIVE_DECLARE(R, Name, Params) MX_NATIVE_EXPORT R Name Params;

namespace mx_api::mediaItem {
MX_MEDIA_ITEM_FAMILIES(MX_NATIVE_DECLARE_FORMS)
MX_MEDIA_ITEM_SINGLES(MX_NATIVE_DECLARE)
}  // namespace mx_api::mediaItem

namespace mx_api::cursol {
MX_CURSOL_FUNCTIONS(MX_NATIVE_DECLARE)
}  // namespace mx_api::cursol

#undef MX_NATIVE_DECLARE_FORMS
#undef MX_NATIVE_DECLARE
