#include "api/mediaItem.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "api/cursol.h"
#include "object/mx_Path.h"
#include "plugin/api_registry.h"
#include "plugin/mx_error.h"
#include "plugin/project_check.h"
#include "utility/mx_utility.h"

namespace mx_api::mediaItem {

using namespace mx_error;
using mx_plugin::checked_project;
using mx_api::cursol::frame_rate;
using mx_api::cursol::seconds_to_frames;

namespace {

constexpr int NAME_BUFFER = 1024;
constexpr int TYPE_BUFFER = 1024;
constexpr int TAKE_NAME_BUFFER = 4096;

// --- Checks, in the order every item operation makes them: item, take, source, value.

MediaItem* live_item(MediaItem* item) {
  if (!ValidatePtr(item, "MediaItem*")) raise(ERR_INVALID_MEDIA_ITEM);
  return item;
}

MediaTrack* live_track(MediaTrack* track) {
  if (!ValidatePtr(track, "MediaTrack*")) raise(ERR_INVALID_TRACK);
  return track;
}

MediaItem_Take* active_take(MediaItem* item) {
  MediaItem_Take* take = GetActiveTake(live_item(item));
  if (!take) raise(ERR_NO_ACTIVE_TAKE);
  return take;
}

PCM_source* source_of(MediaItem_Take* take) {
  PCM_source* source = GetMediaItemTake_Source(take);
  if (!source) raise(ERR_NO_SOURCE);
  return source;
}

// A time, length, pitch or rate the host is asked to store.
double finite(double value) {
  if (!std::isfinite(value)) raise(ERR_INVALID_VALUE);
  return value;
}

ReaProject* project_of(MediaTrack* track) {
  return reinterpret_cast<ReaProject*>(static_cast<uint64_t>(GetMediaTrackInfo_Value(track, "P_PROJECT")));
}

// --- Host values.

double item_value(MediaItem* item, const char* key) { return GetMediaItemInfo_Value(item, key); }
double take_value(MediaItem_Take* take, const char* key) { return GetMediaItemTakeInfo_Value(take, key); }

void set_item(MediaItem* item, const char* key, double value) {
  if (!SetMediaItemInfo_Value(item, key, value)) raise(ERR_SET_FAILED);
}
void set_take(MediaItem_Take* take, const char* key, double value) {
  if (!SetMediaItemTakeInfo_Value(take, key, value)) raise(ERR_SET_FAILED);
}

// Operations that store several fields try every one; a refusal is reported once the
// others are done.
class all_fields {
 public:
  void item(MediaItem* item, const char* key, double value) { refused_ |= !SetMediaItemInfo_Value(item, key, value); }
  void take(MediaItem_Take* take, const char* key, double value) {
    refused_ |= !SetMediaItemTakeInfo_Value(take, key, value);
  }
  void copy(MediaItem* from, MediaItem* to, const char* key) { item(to, key, item_value(from, key)); }
  void copy(MediaItem_Take* from, MediaItem_Take* to, const char* key) { take(to, key, take_value(from, key)); }
  void note(bool done) { refused_ |= !done; }
  void report(mx_errorCode code) const {
    if (refused_) raise(code);
  }

 private:
  bool refused_ = false;
};

double end_time(MediaItem* item) { return item_value(item, "D_POSITION") + item_value(item, "D_LENGTH"); }
int item_frames(MediaItem* item, double seconds) { return seconds_to_frames(frame_rate(GetItemProjectContext(item)), seconds); }

// --- The addressing forms: each finds the item and hands it to the item form, which
// makes every check of its own; a bad project or track is reported here.

template <auto ItemForm, class Signature = decltype(ItemForm)>
struct forms;
template <auto ItemForm, class... A>
struct forms<ItemForm, bool (*)(MediaItem*, A...)> {
  template <class Find>
  static bool through(Find find, A... a) {
    MediaItem* item = nullptr;
    if (!frame([&] { item = find(); })) return false;
    return ItemForm(item, a...);
  }
  static bool all(ReaProject* projID, int itemID, A... a) {
    return through([&] { return GetMediaItem(checked_project(projID), itemID); }, a...);
  }
  static bool selected(ReaProject* projID, int selectItemID, A... a) {
    return through([&] { return GetSelectedMediaItem(checked_project(projID), selectItemID); }, a...);
  }
  static bool on_track(ReaProject* projID, int trackID, int itemID, A... a) {
    return through([&] { return GetTrackMediaItem(live_track(GetTrack(checked_project(projID), trackID)), itemID); },
                   a...);
  }
  static bool on_selected_track(ReaProject* projID, int selectTrackID, int itemID, A... a) {
    return through(
        [&] { return GetTrackMediaItem(live_track(GetSelectedTrack(checked_project(projID), selectTrackID)), itemID); },
        a...);
  }
};

// --- Counting and collecting the items of a scope.

struct scope {
  int count;
  MediaItem* (*nth)(const void* owner, int i);
  const void* owner;
};

scope all_items(ReaProject* projID) {
  ReaProject* project = checked_project(projID);
  return {CountMediaItems(project),
          [](const void* p, int i) { return GetMediaItem(static_cast<ReaProject*>(const_cast<void*>(p)), i); },
          project};
}
scope selected_items(ReaProject* projID) {
  ReaProject* project = checked_project(projID);
  return {CountSelectedMediaItems(project),
          [](const void* p, int i) { return GetSelectedMediaItem(static_cast<ReaProject*>(const_cast<void*>(p)), i); },
          project};
}
scope track_items(MediaTrack* track) {
  return {CountTrackMediaItems(live_track(track)),
          [](const void* t, int i) { return GetTrackMediaItem(static_cast<MediaTrack*>(const_cast<void*>(t)), i); },
          track};
}

std::vector<MediaItem*> collect(const scope& s) {
  std::vector<MediaItem*> items;
  items.reserve(static_cast<size_t>(std::max(s.count, 0)));
  for (int i = 0; i < s.count; ++i)
    if (MediaItem* item = s.nth(s.owner, i)) items.push_back(item);
  return items;
}

bool type_matches(MediaItem* item, const std::string& wanted) {
  MediaItem_Take* take = GetActiveTake(item);
  PCM_source* source = take ? GetMediaItemTake_Source(take) : nullptr;
  if (!source) return false;
  char type[TYPE_BUFFER] = {};
  GetMediaSourceType(source, type, TYPE_BUFFER);
  type[TYPE_BUFFER - 1] = '\0';
  return mx_utility::Stricmp(wanted.c_str(), type) ||
         (mx_utility::Stricmp(type, "WAVE") && mx_utility::Stricmp(wanted.c_str(), "WAV"));
}

bool count_types(const scope& s, const char* type, int* countOut, int* typeCountOut) {
  const std::string wanted = mx_utility::text(type);
  int matching = 0;
  if (wanted.empty()) {
    matching = s.count;
  } else {
    for (MediaItem* item : collect(s)) matching += type_matches(item, wanted) ? 1 : 0;
  }
  put(countOut, s.count);
  put(typeCountOut, matching);
  return true;
}

// Deletes from the last item to the first; a refusal is reported after the others.
void delete_all(const scope& s) {
  if (s.count <= 0) return;
  const std::vector<MediaItem*> items = collect(s);
  std::vector<MediaTrack*> tracks;
  tracks.reserve(items.size());
  for (MediaItem* item : items) tracks.push_back(GetMediaItem_Track(item));
  all_fields deleted;
  for (size_t i = items.size(); i-- > 0;) deleted.note(DeleteTrackMediaItem(tracks[i], items[i]));
  UpdateArrange();
  deleted.report(ERR_DELETE_FAILED);
}

// --- Inserting a file where the host's edit cursor and current track are.

// The host selects only the item it inserts; the earlier selection is put back after.
MediaItem* insert_here(ReaProject* project, const std::string& filePath) {
  const std::vector<MediaItem*> kept = collect(selected_items(project));
  for (MediaItem* item : kept) SetMediaItemSelected(item, false);
  const bool inserted = InsertMedia(filePath.c_str(), 0) != 0;
  MediaItem* item = inserted ? GetSelectedMediaItem(project, 0) : nullptr;
  for (MediaItem* k : kept) SetMediaItemSelected(k, true);
  return item;
}

// The new take is named after the file, with its extension.
MediaItem* named(MediaItem* item, const std::string& filePath) {
  if (!item) raise(ERR_INVALID_MEDIA_ITEM);
  const mx_object::mx_Path path(filePath);
  if (!SetMediaItemName(item, path.FileName->value.c_str())) fail_as_reported();
  return item;
}

// Inserts on `track` after `place_cursor(project)` put the edit cursor; the track
// selection is restored around it.
template <class PlaceCursor>
MediaItem* insert_on_track(MediaTrack* track, const char* filePath, PlaceCursor place_cursor) {
  return frame<MediaItem*>(nullptr, [&] {
    ReaProject* project = project_of(live_track(track));
    const std::string path = mx_utility::text(filePath);
    if (!place_cursor(project)) fail_as_reported();
    std::vector<MediaTrack*> kept;
    const int selected = CountSelectedTracks(project);
    for (int i = 0; i < selected; ++i)
      if (MediaTrack* t = GetSelectedTrack(project, i)) kept.push_back(t);
    SetOnlyTrackSelected(track);
    MediaItem* item = insert_here(project, path);
    SetTrackSelected(track, false);
    for (MediaTrack* t : kept) SetTrackSelected(t, true);
    return named(item, path);
  });
}

}  // namespace

std::string without_extension(const std::string& name) {
  std::string out;
  out.reserve(name.size());
  size_t line = 0;
  while (line < name.size()) {
    size_t end = name.find_first_of("\r\n", line);
    if (end == std::string::npos) end = name.size();
    size_t dot = name.find('.', line);
    // The dot must have at least one character of its own line after it.
    const size_t cut = dot < end && dot + 1 < end ? dot : end;
    out.append(name, line, cut - line);
    if (end < name.size()) out += name[end];
    line = end + 1;
  }
  return out;
}

// --- Properties, item form. Each says only its own conversion.

bool GetMediaItemBitRate(MediaItem* item, int* bitRateOut) {
  return frame([&] { put(bitRateOut, source_of(active_take(item))->GetBitsPerSample()); });
}

bool GetMediaItemSampleRate(MediaItem* item, int* sampleRateOut) {
  return frame([&] { put(sampleRateOut, GetMediaSourceSampleRate(source_of(active_take(item)))); });
}

bool GetMediaItemNumChannels(MediaItem* item, int* numChannelsOut) {
  return frame([&] {
    MediaItem_Take* take = active_take(item);
    const int channels = GetMediaSourceNumChannels(source_of(take));
    const double mode = take_value(take, "I_CHANMODE");
    // Normal and reversed stereo play every channel, a downmix or a single channel one,
    // a channel pair two.
    put(numChannelsOut, channels == 1 ? 1 : mode <= 1 ? channels : mode < 67 ? 1 : 2);
  });
}

bool GetMediaItemChannelMode(MediaItem* item, int* chanModeOut) {
  return frame([&] { put(chanModeOut, static_cast<int>(take_value(active_take(item), "I_CHANMODE"))); });
}

bool SetMediaItemChannelMode(MediaItem* item, int setChanMode) {
  return frame([&] {
    set_take(active_take(item), "I_CHANMODE", setChanMode);
    UpdateArrange();
  });
}

bool GetMediaItemName(MediaItem* item, char* nameOut, int nameOut_sz) {
  return frame([&] {
    const std::string name = mx_utility::text(GetTakeName(active_take(item)));
    mx_utility::strcpy(nameOut, nameOut_sz, without_extension(name));
  });
}

bool SetMediaItemName(MediaItem* item, const char* setName) {
  return frame([&] {
    MediaItem_Take* take = active_take(item);
    char name[NAME_BUFFER];
    mx_utility::strcpy(name, NAME_BUFFER, mx_utility::text(setName));
    if (!GetSetMediaItemTakeInfo_String(take, "P_NAME", name, true)) raise(ERR_SET_FAILED);
  });
}

bool GetMediaItemMute(MediaItem* item, bool* muteOut) {
  return frame([&] { put(muteOut, item_value(live_item(item), "B_MUTE") != 0.0); });
}

bool SetMediaItemMute(MediaItem* item, bool setMute) {
  return frame([&] {
    set_item(live_item(item), "B_MUTE", setMute ? 1.0 : 0.0);
    UpdateArrange();
  });
}

bool GetMediaItemStartTimeSeconds(MediaItem* item, double* startTimeOut) {
  return frame([&] { put(startTimeOut, item_value(live_item(item), "D_POSITION")); });
}

bool GetMediaItemStartTimeFrame(MediaItem* item, int* startFrameOut) {
  return frame([&] { put(startFrameOut, item_frames(item, item_value(live_item(item), "D_POSITION"))); });
}

bool SetMediaItemStartTimeSeconds(MediaItem* item, double setStartTime) {
  return frame([&] {
    live_item(item);
    if (!(finite(setStartTime) >= 0.0)) raise(ERR_INVALID_VALUE);
    set_item(item, "D_POSITION", setStartTime);
  });
}

// The frame rate is that of the item's own project, as when the position is read.
bool SetMediaItemStartTimeFrame(MediaItem* item, double setStartFrame) {
  return frame([&] {
    live_item(item);
    if (!(finite(setStartFrame) >= 0.0)) raise(ERR_INVALID_VALUE);
    set_item(item, "D_POSITION", setStartFrame / frame_rate(GetItemProjectContext(item)));
  });
}

bool GetMediaItemLength(MediaItem* item, double* lengthOut) {
  return frame([&] { put(lengthOut, item_value(live_item(item), "D_LENGTH")); });
}

bool GetMediaItemEndTime(MediaItem* item, double* endTimeOut) {
  return frame([&] { put(endTimeOut, end_time(live_item(item))); });
}

bool GetMediaItemEndTimeFrame(MediaItem* item, int* endFrameOut) {
  return frame([&] { put(endFrameOut, item_frames(item, end_time(live_item(item)))); });
}

bool GetMediaItemFade(MediaItem* item, int* fadeInShapeOut, double* fadeInLenOut, int* fadeOutShapeOut,
                      double* fadeOutLenOut) {
  return frame([&] {
    live_item(item);
    const double in_len = mx_utility::round(item_value(item, "D_FADEINLEN"), 2);
    const double out_len = mx_utility::round(item_value(item, "D_FADEOUTLEN"), 2);
    put(fadeInShapeOut, static_cast<int>(item_value(item, "C_FADEINSHAPE")));
    put(fadeInLenOut, in_len);
    put(fadeOutShapeOut, static_cast<int>(item_value(item, "C_FADEOUTSHAPE")));
    put(fadeOutLenOut, out_len);
  });
}

bool SetMediaItemFade(MediaItem* item, int setFadeInShape, double setFadeInLen, int setFadeOutShape,
                      double setFadeOutLen) {
  return frame([&] {
    live_item(item);
    finite(setFadeInLen);
    finite(setFadeOutLen);
    all_fields fields;
    fields.item(item, "C_FADEINSHAPE", setFadeInShape);
    fields.item(item, "C_FADEOUTSHAPE", setFadeOutShape);
    fields.item(item, "D_FADEINLEN", setFadeInLen);
    fields.item(item, "D_FADEOUTLEN", setFadeOutLen);
    UpdateArrange();
    fields.report(ERR_SET_FAILED);
  });
}

bool GetMediaItemVolume(MediaItem* item, double* volumeOut) {
  return frame([&] { put(volumeOut, mx_utility::round(mx_utility::to_dB(item_value(live_item(item), "D_VOL")), 2)); });
}

// Silence (-inf dB) is a volume; no level or an infinitely loud one is not.
bool SetMediaItemVolume(MediaItem* item, double setVolume) {
  return frame([&] {
    live_item(item);
    if (std::isnan(setVolume) || setVolume == std::numeric_limits<double>::infinity()) raise(ERR_INVALID_VALUE);
    set_item(item, "D_VOL", mx_utility::to_reaper_volume(setVolume));
    UpdateArrange();
  });
}

bool SetMediaItemAddVolume(MediaItem* item, double addVolume) {
  return frame([&] {
    live_item(item);
    const double level = mx_utility::to_dB(item_value(item, "D_VOL")) + addVolume;
    if (std::isnan(level) || level == std::numeric_limits<double>::infinity()) raise(ERR_INVALID_VALUE);
    set_item(item, "D_VOL", mx_utility::to_reaper_volume(level));
    UpdateArrange();
  });
}

bool GetMediaItemPitch(MediaItem* item, double* pitchOut) {
  return frame([&] { put(pitchOut, take_value(active_take(item), "D_PITCH")); });
}

bool SetMediaItemPitch(MediaItem* item, double setPitch) {
  return frame([&] {
    MediaItem_Take* take = active_take(item);
    set_take(take, "D_PITCH", finite(setPitch));
    UpdateArrange();
  });
}

bool SetMediaItemAddPitch(MediaItem* item, double addPitch) {
  return frame([&] {
    MediaItem_Take* take = active_take(item);
    set_take(take, "D_PITCH", finite(take_value(take, "D_PITCH") + addPitch));
    UpdateArrange();
  });
}

bool GetMediaItemRate(MediaItem* item, double* rateOut) {
  return frame([&] { put(rateOut, take_value(active_take(item), "D_PLAYRATE")); });
}

// Keeps the played part of the source: the length and the fades scale with the rate.
bool SetMediaItemRate(MediaItem* item, double setRate) {
  return frame([&] {
    MediaItem_Take* take = active_take(item);
    const double old_rate = take_value(take, "D_PLAYRATE");
    if (!(finite(setRate) > 0.0) || !(old_rate > 0.0)) raise(ERR_INVALID_VALUE);
    const double k = setRate / old_rate;
    all_fields fields;
    fields.item(item, "D_LENGTH", item_value(item, "D_LENGTH") / k);
    fields.take(take, "D_PLAYRATE", setRate);
    fields.item(item, "D_FADEINLEN", item_value(item, "D_FADEINLEN") / k);
    fields.item(item, "D_FADEOUTLEN", item_value(item, "D_FADEOUTLEN") / k);
    UpdateArrange();
    fields.report(ERR_SET_FAILED);
  });
}

// --- Arrangement, item form.

bool DeleteMediaItem(MediaItem* item) {
  return frame([&] {
    if (!DeleteTrackMediaItem(GetMediaItem_Track(live_item(item)), item)) raise(ERR_DELETE_FAILED);
    UpdateArrange();
  });
}

// The target track counts in the item's own project.
bool SetMediaItemMoveToTrack(MediaItem* item, int toTrackID) {
  return frame([&] {
    MediaTrack* track = live_track(GetTrack(GetItemProjectContext(live_item(item)), toTrackID));
    if (!MoveMediaItemToTrack(item, track)) raise(ERR_MOVE_FAILED);
    UpdateArrange();
  });
}

// A new item on the target track at `position` with the item's settings and a copy of its
// active take, which gets its own copy of the source.
bool SetMediaItemActiveTakeCopy(MediaItem* item, int toTrackID, double position) {
  return frame([&] {
    MediaTrack* track = live_track(GetTrack(GetItemProjectContext(live_item(item)), toTrackID));
    finite(position);
    MediaItem* copy = AddMediaItemToTrack(track);
    if (!copy) raise(ERR_SET_FAILED);
    all_fields fields;
    fields.item(copy, "D_LENGTH", item_value(item, "D_LENGTH"));
    fields.item(copy, "D_POSITION", position);
    for (const char* key : {"C_FADEINSHAPE", "C_FADEOUTSHAPE", "D_FADEINLEN", "D_FADEOUTLEN", "B_MUTE",
                            "B_MUTE_ACTUAL", "B_LOOPSRC", "C_LOCK", "D_VOL"})
      fields.copy(item, copy, key);
    if (MediaItem_Take* take = GetActiveTake(item)) {
      MediaItem_Take* new_take = AddTakeToMediaItem(copy);
      fields.note(new_take != nullptr);
      if (new_take) {
        for (const char* key : {"D_STARTOFFS", "D_PAN", "D_PLAYRATE", "D_PITCH", "B_PPITCH", "I_CHANMODE", "I_PITCHMODE"})
          fields.copy(take, new_take, key);
        char name[TAKE_NAME_BUFFER] = {};
        GetSetMediaItemTakeInfo_String(take, "P_NAME", name, false);
        name[TAKE_NAME_BUFFER - 1] = '\0';
        fields.note(GetSetMediaItemTakeInfo_String(new_take, "P_NAME", name, true));
        if (PCM_source* source = GetMediaItemTake_Source(take)) {
          PCM_source* own = source->Duplicate();
          fields.note(own != nullptr);
          if (own) {
            auto* old = static_cast<PCM_source*>(GetSetMediaItemTakeInfo(new_take, "P_SOURCE", nullptr));
            GetSetMediaItemTakeInfo(new_take, "P_SOURCE", own);
            PCM_Source_Destroy(old);
          }
        }
      }
    }
    UpdateArrange();
    fields.report(ERR_SET_FAILED);
  });
}

// --- The four index forms of every family above.

#define MX_DEFINE_FORMS(Verb, Property, Params, Args)                                                         \
  bool Verb##Media##Property(ReaProject* projID, int itemID MX_NATIVE_TAIL Params) {                        \
    return forms<&Verb##MediaItem##Property>::all(projID, itemID MX_NATIVE_TAIL Args);                     \
  }                                                                                                          \
  bool Verb##SelectedMedia##Property(ReaProject* projID, int selectItemID MX_NATIVE_TAIL Params) {          \
    return forms<&Verb##MediaItem##Property>::selected(projID, selectItemID MX_NATIVE_TAIL Args);          \
  }                                                                                                          \
  bool Verb##TrackMedia##Property(ReaProject* projID, int trackID, int itemID MX_NATIVE_TAIL Params) {      \
    return forms<&Verb##MediaItem##Property>::on_track(projID, trackID, itemID MX_NATIVE_TAIL Args);       \
  }                                                                                                          \
  bool Verb##SelectedTrackMedia##Property(ReaProject* projID, int selectTrackID, int itemID MX_NATIVE_TAIL Params) { \
    return forms<&Verb##MediaItem##Property>::on_selected_track(projID, selectTrackID, itemID MX_NATIVE_TAIL Args); \
  }
MX_MEDIA_ITEM_FAMILIES(MX_DEFINE_FORMS)
#undef MX_DEFINE_FORMS

// --- Lookups and counters.

MediaItem* GetMediaItemSelect(ReaProject* projID, int itemID, int itemType) {
  return frame<MediaItem*>(nullptr, [&] {
    MediaItem* item = nullptr;
    switch (itemType) {
      case 0: item = GetMediaItem(checked_project(projID), itemID); break;
      case 1: item = GetSelectedMediaItem(checked_project(projID), itemID); break;
      default: raise(ERR_INVALID_SELECT_TYPE);
    }
    if (!item) raise(ERR_INVALID_MEDIA_ITEM);
    return item;
  });
}

// A track index that names no track finds no item.
MediaItem* GetMediaTrackItemSelect(ReaProject* projID, int trackID, int itemID, int trackType) {
  return frame<MediaItem*>(nullptr, [&] {
    MediaTrack* track = nullptr;
    switch (trackType) {
      case 0: track = GetTrack(checked_project(projID), trackID); break;
      case 1: track = GetSelectedTrack(checked_project(projID), trackID); break;
      default: raise(ERR_INVALID_SELECT_TYPE);
    }
    MediaItem* item = ValidatePtr(track, "MediaTrack*") ? GetTrackMediaItem(track, itemID) : nullptr;
    if (!item) raise(ERR_INVALID_MEDIA_ITEM);
    return item;
  });
}

bool GetMediaTypeCount(ReaProject* projID, const char* type, int* countOut, int* typeCountOut) {
  return frame([&] { count_types(all_items(projID), type, countOut, typeCountOut); });
}
bool GetSelectedMediaTypeCount(ReaProject* projID, const char* type, int* countOut, int* typeCountOut) {
  return frame([&] { count_types(selected_items(projID), type, countOut, typeCountOut); });
}
bool GetTrackItemMediaTypeCount(MediaTrack* track, const char* type, int* countOut, int* typeCountOut) {
  return frame([&] { count_types(track_items(track), type, countOut, typeCountOut); });
}
bool GetTrackMediaTypeCount(ReaProject* projID, int trackID, const char* type, int* countOut, int* typeCountOut) {
  return frame([&] { count_types(track_items(GetTrack(checked_project(projID), trackID)), type, countOut, typeCountOut); });
}
bool GetSelectedTrackMediaTypeCount(ReaProject* projID, int selectTrackID, const char* type, int* countOut,
                                    int* typeCountOut) {
  return frame([&] {
    count_types(track_items(GetSelectedTrack(checked_project(projID), selectTrackID)), type, countOut, typeCountOut);
  });
}

// --- Deleting every item of a scope.

bool DeleteAllMedia(ReaProject* projID) {
  return frame([&] { delete_all(all_items(projID)); });
}
bool DeleteAllSelectedMedia(ReaProject* projID) {
  return frame([&] { delete_all(selected_items(projID)); });
}
// A track index that names no track deletes nothing.
bool DeleteAllTrackMedia(ReaProject* projID, int trackID) {
  return frame([&] {
    MediaTrack* track = GetTrack(checked_project(projID), trackID);
    if (ValidatePtr(track, "MediaTrack*")) delete_all(track_items(track));
  });
}
bool DeleteAllSelectedTrackMedia(ReaProject* projID, int selectTrackID) {
  return frame([&] {
    MediaTrack* track = GetSelectedTrack(checked_project(projID), selectTrackID);
    if (ValidatePtr(track, "MediaTrack*")) delete_all(track_items(track));
  });
}

// --- Selecting.

bool SetMediaSelected(ReaProject* projID, int itemID, bool setSelect) {
  return frame([&] {
    SetMediaItemSelected(live_item(GetMediaItem(checked_project(projID), itemID)), setSelect);
    UpdateArrange();
  });
}

bool SetTrackMediaSelected(ReaProject* projID, int trackID, int itemID, bool setSelect) {
  return frame([&] {
    MediaTrack* track = live_track(GetTrack(checked_project(projID), trackID));
    SetMediaItemSelected(live_item(GetTrackMediaItem(track, itemID)), setSelect);
    UpdateArrange();
  });
}

bool SetAllMediaSelected(ReaProject* projID, bool setSelect) {
  return frame([&] {
    int count = 0;
    if (!GetMediaTypeCount(projID, "", &count, nullptr)) fail_as_reported();
    for (int i = 0; i < count; ++i) SetMediaSelected(projID, i, setSelect);
  });
}

bool GetSelectedMediaItems(ReaProject* projID, std::vector<MediaItem*>& itemsOut) {
  return frame([&] {
    const std::vector<MediaItem*> items = collect(selected_items(projID));
    itemsOut.insert(itemsOut.end(), items.begin(), items.end());
  });
}

// An item that no longer exists is skipped and reported after the others are done.
bool SelectMediaItems(std::vector<MediaItem*> items, bool setSelect) {
  return frame([&] {
    bool skipped = false;
    for (MediaItem* item : items) {
      if (ValidatePtr(item, "MediaItem*")) SetMediaItemSelected(item, setSelect);
      else skipped = true;
    }
    if (skipped) raise(ERR_INVALID_MEDIA_ITEM);
  });
}

// --- Inserting files.

MediaItem* InsertMediaOutItem(ReaProject* projID, const char* filePath) {
  return frame<MediaItem*>(nullptr, [&] {
    const std::string path = mx_utility::text(filePath);
    return named(insert_here(checked_project(projID), path), path);
  });
}

MediaItem* InsertMediaTrackItemSecond(MediaTrack* track, const char* filePath, int startEndType, double position) {
  return insert_on_track(track, filePath, [&](ReaProject* project) {
    double ignored = 0;
    return mx_api::cursol::SetPlayCursorPosition(project, startEndType, position, &ignored);
  });
}

MediaItem* InsertMediaTrackItemFrame(MediaTrack* track, const char* filePath, int startEndType, int frame) {
  return insert_on_track(track, filePath, [&](ReaProject* project) {
    int ignored = 0;
    return mx_api::cursol::SetPlayCursorPositionFrame(project, startEndType, frame, &ignored);
  });
}

namespace {
// Inserts on the track an index names; the track form reports a track that is not one.
template <class Insert>
MediaItem* on_indexed_track(ReaProject* projID, int trackID, bool selected, Insert insert) {
  MediaTrack* track = nullptr;
  const bool found = frame([&] {
    ReaProject* project = checked_project(projID);
    track = selected ? GetSelectedTrack(project, trackID) : GetTrack(project, trackID);
  });
  return found ? insert(track) : nullptr;
}
}  // namespace

MediaItem* InsertMediaTrackIdSecond(ReaProject* projID, int trackID, const char* filePath, int startEndType,
                                    double position) {
  return on_indexed_track(projID, trackID, false, [&](MediaTrack* track) {
    return InsertMediaTrackItemSecond(track, filePath, startEndType, position);
  });
}
MediaItem* InsertMediaSelectedTrackIdSecond(ReaProject* projID, int selectTrackID, const char* filePath,
                                            int startEndType, double position) {
  return on_indexed_track(projID, selectTrackID, true, [&](MediaTrack* track) {
    return InsertMediaTrackItemSecond(track, filePath, startEndType, position);
  });
}
MediaItem* InsertMediaTrackIdFrame(ReaProject* projID, int trackID, const char* filePath, int startEndType, int frame) {
  return on_indexed_track(projID, trackID, false, [&](MediaTrack* track) {
    return InsertMediaTrackItemFrame(track, filePath, startEndType, frame);
  });
}
MediaItem* InsertMediaSelectedTrackIdFrame(ReaProject* projID, int selectTrackID, const char* filePath,
                                           int startEndType, int frame) {
  return on_indexed_track(projID, selectTrackID, true, [&](MediaTrack* track) {
    return InsertMediaTrackItemFrame(track, filePath, startEndType, frame);
  });
}

// A file that could not be inserted leaves a null entry; the next one goes where it
// would have started, plus the interval. The code of the last failure is left in the
// sink, though the list as a whole succeeds.
bool InsertMediaItems(MediaTrack* track, std::vector<std::string> filePaths, double startPos, double mediaInterval,
                      int unitType, std::vector<MediaItem*>& itemsOut) {
  return frame([&] {
    live_track(track);
    const bool frames = unitType == 1;
    double pos = finite(startPos);
    finite(mediaInterval);
    int failure = ERR_NONE;
    for (const std::string& path : filePaths) {
      MediaItem* item = frames ? InsertMediaTrackItemFrame(track, path.c_str(), 0, seconds_to_frames(1.0, pos))
                               : InsertMediaTrackItemSecond(track, path.c_str(), 0, pos);
      if (!item) failure = Bridge_IF::get_errorCode() ? Bridge_IF::get_errorCode() : ERR_INVALID_MEDIA_ITEM;
      itemsOut.push_back(item);
      if (item && frames) {
        int end = 0;
        if (GetMediaItemEndTimeFrame(item, &end)) pos = end;
      } else if (item) {
        double end = 0;
        if (GetMediaItemEndTime(item, &end)) pos = end;
      }
      pos += mediaInterval;
    }
    if (failure != ERR_NONE) Bridge_IF::set_errorCode(failure);
  });
}

// --- The file behind a take.

std::string GetSourceName(MediaItem* item, int takeIndex, bool withoutExtension) {
  try {
    if (!ValidatePtr(item, "MediaItem*")) return {};
    MediaItem_Take* take = GetTake(item, takeIndex);
    PCM_source* source = take ? GetMediaItemTake_Source(take) : nullptr;
    const char* file = source ? source->GetFileName() : nullptr;
    if (!file) return {};
    const mx_object::mx_Path path{std::string(file)};
    return withoutExtension ? path.FileNameWithoutExtension->value : path.FileName->value;
  } catch (...) {
    return {};
  }
}

bool GetSourceName(MediaItem* item, int takeIndex, bool withoutExtension, char* nameOut, int nameOut_sz) {
  return frame([&] {
    live_item(item);
    mx_utility::strcpy(nameOut, nameOut_sz, GetSourceName(item, takeIndex, withoutExtension));
  });
}

// --- Peak profile.

namespace {

// The profile of one item into `visitor`; raises the item's fault.
void visit_peaks(MediaItem* item, PeakVisitor& visitor) {
  MediaItem_Take* take = active_take(item);
  const double position = item_value(item, "D_POSITION");
  const double windows = std::floor(item_value(item, "D_LENGTH") / 0.001 + 0.5);
  // The host counts peak samples in an int, three blocks of them.
  if (!(windows <= std::numeric_limits<int>::max() / 3)) raise(ERR_INVALID_VALUE);
  // An item shorter than half a window has none, and the host would deliver none.
  if (!(windows >= 1)) raise(ERR_NO_PEAKS);
  const int n = static_cast<int>(windows);
  // The host counts the peak samples it returns in 20 bits, so a line longer than
  // about 17 minutes is fetched in runs of at most that many windows; a run the host
  // leaves unfilled reads as silence, as a short answer does.
  constexpr int RUN = 0xFFFFF;
  const auto level = [](double v) {
    v = std::fabs(v);
    v = v < 0.0001 ? 0.0001 : std::floor(v * 10000 + 0.5) / 10000;
    return std::floor(20 * std::log10(v) * 10000 + 0.5) / 10000;
  };
  std::vector<double> buffer;
  buffer.reserve(static_cast<size_t>(std::min(n, RUN)) * 3);
  mx_object::map_ahead(buffer.data(), buffer.capacity() * sizeof(double));
  for (int first = 0; first < n; first += RUN) {
    const int count = std::min(RUN, n - first);
    buffer.assign(static_cast<size_t>(count) * 3, 0.0);
    const int got = GetMediaItemTake_Peaks(take, 1000.0, position + first * 0.001, 1, count, 115, buffer.data());
    if (first == 0 && (got & 0xFFFFF) == 0) raise(ERR_NO_PEAKS);
    if (first == 0) visitor.count(static_cast<size_t>(n));
    for (int j = 0; j < count; ++j)
      visitor.peak(static_cast<double>(first + j) * 0.001, level(buffer[static_cast<size_t>(j)]),
                   level(buffer[static_cast<size_t>(count + j)]));
  }
}

// Each entry is made in place: its cells are the ones the list keeps.
class into_records final : public PeakVisitor {
 public:
  explicit into_records(std::vector<mx_object::mx_Peak>& list) : list_(list) {}
  void count(size_t entries) override { mx_object::mx_Peak::reserve(list_, entries); }
  void peak(double time, double maxPeak, double minPeak) override {
    mx_object::mx_Peak& peak = list_.emplace_back();
    peak.Time->set(time);
    peak.MaxPeak->set(maxPeak);
    peak.MinPeak->set(minPeak);
  }

 private:
  std::vector<mx_object::mx_Peak>& list_;
};

}  // namespace

bool VisitMediaItemPeakList(MediaItem* item, PeakVisitor& visitor) {
  return frame([&] { visit_peaks(item, visitor); });
}
bool VisitMediaIdPeakList(ReaProject* proj, int itemID, PeakVisitor& visitor) {
  return forms<&VisitMediaItemPeakList>::all(proj, itemID, visitor);
}
bool VisitSelectedMediaIdPeakList(ReaProject* proj, int selectItemID, PeakVisitor& visitor) {
  return forms<&VisitMediaItemPeakList>::selected(proj, selectItemID, visitor);
}

bool GetMediaItemPeakList(MediaItem* item, std::vector<mx_object::mx_Peak>& peakListOut) {
  into_records records(peakListOut);
  return VisitMediaItemPeakList(item, records);
}

bool GetMediaIdPeakList(ReaProject* proj, int itemID, std::vector<mx_object::mx_Peak>& peakListOut) {
  return forms<&GetMediaItemPeakList>::all(proj, itemID, peakListOut);
}
bool GetSelectedMediaIdPeakList(ReaProject* proj, int selectItemID, std::vector<mx_object::mx_Peak>& peakListOut) {
  return forms<&GetMediaItemPeakList>::selected(proj, selectItemID, peakListOut);
}

namespace {
MX_FAMILY("Media items");
const mx_plugin::registrar definitions[] = {
    MX_DEF_LIST(115, GetMediaItemPeakList, "void", "MediaItem*,ObjectArray*", "item,peakListOut",
                "Get peak list of media item"),
    MX_DEF_LIST(116, GetMediaIdPeakList, "void", "ReaProject*,int,ObjectArray*", "proj,itemID,peakListOut",
                "Get peak list of media item"),
    MX_DEF_LIST(117, GetSelectedMediaIdPeakList, "void", "ReaProject*,int,ObjectArray*",
                "proj,selectItemID,peakListOut", "Get peak list of media item"),
};
}  // namespace

}  // namespace mx_api::mediaItem
