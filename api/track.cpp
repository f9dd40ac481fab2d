#include "api/track.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "api/string.h"
#include "plugin/api_registry.h"
#include "plugin/mx_error.h"
#include "plugin/project_check.h"
#include "utility/mx_utility.h"

namespace mx_api::track {

using namespace mx_error;
using mx_plugin::checked_project;

namespace {

constexpr int CUSTOM_COLOR = 0x1000000;
constexpr int NAME_BUFFER = 1024;
// The largest name buffer the host is told about; a caller's capacity beyond it is
// still honoured for the copy, never for an allocation.
constexpr int NAME_BUFFER_MAX = 1 << 20;

void check_track(MediaTrack* track) {
  if (!ValidatePtr(track, "MediaTrack*")) raise(ERR_INVALID_TRACK);
}

ReaProject* project_of(MediaTrack* track) {
  return reinterpret_cast<ReaProject*>(static_cast<uint64_t>(GetMediaTrackInfo_Value(track, "P_PROJECT")));
}

void set_value(MediaTrack* track, const char* parm, double value) {
  if (!SetMediaTrackInfo_Value(track, parm, value)) raise(ERR_SET_FAILED);
}

// Mute and solo: on when the host's value is not 0 (solo has several modes), written as 0 or 1.
constexpr char MUTE[] = "B_MUTE";
constexpr char SOLO[] = "I_SOLO";

template <const char* Parm>
bool get_switch(MediaTrack* track, bool* out) {
  return frame([&] {
    check_track(track);
    put(out, GetMediaTrackInfo_Value(track, Parm) != 0.0);
  });
}

template <const char* Parm>
bool set_switch(MediaTrack* track, bool on) {
  return frame([&] {
    check_track(track);
    set_value(track, Parm, on ? 1.0 : 0.0);
  });
}

// Switches one property off on every track, trying them all before reporting.
template <class IdSetter>
void switch_all_off(ReaProject* projID, IdSetter set_off) {
  int count = 0;
  if (!GetTrackCountSelect(projID, 0, &count)) raise(ERR_INVALID_ARGUMENT);
  bool all = true;
  for (int i = 0; i < count; ++i) all = set_off(projID, i, false) && all;
  if (!all) raise(ERR_NOT_ALL_TRACKS);
}

}  // namespace

MediaTrack* GetTrackItemSelect(ReaProject* projID, int trackID, int trackType) {
  return frame<MediaTrack*>(nullptr, [&]() -> MediaTrack* {
    switch (trackType) {
      case 0: return GetTrack(checked_project(projID), trackID);
      case 1: return GetSelectedTrack(checked_project(projID), trackID);
    }
    raise(ERR_NONE);
  });
}

MediaTrack* GetSelectedTrackFirstInfo(ReaProject* projID, int* trackIdOut) {
  return frame<MediaTrack*>(nullptr, [&]() -> MediaTrack* {
    checked_project(projID);
    MediaTrack* first = GetTrackItemSelect(projID, 0, 1);
    int count = 0;
    GetTrackCountSelect(projID, 0, &count);
    for (int i = 0; first && i < count; ++i) {
      if (GetTrackItemSelect(projID, i, 0) == first) {
        put(trackIdOut, i);
        break;
      }
    }
    Bridge_IF::reset_errorCode();
    return first;
  });
}

bool GetTrackItemIndex(MediaTrack* track, int* out) {
  return frame([&] {
    check_track(track);
    ReaProject* project = project_of(track);
    const int count = CountTracks(project);
    for (int i = 0; i < count; ++i) {
      if (GetTrackItemSelect(project, i, 0) == track) {
        put(out, i);
        Bridge_IF::reset_errorCode();
        return;
      }
    }
    // A valid track outside the numbered tracks: the master track has no index.
    put(out, 0);
    raise(ERR_INVALID_TRACK);
  });
}

bool GetTrackCountSelect(ReaProject* projID, int trackType, int* out) {
  return frame([&] {
    put(out, 0);
    switch (trackType) {
      case 0: put(out, CountTracks(checked_project(projID))); return;
      case 1: put(out, CountSelectedTracks2(checked_project(projID), true)); return;
    }
    raise(ERR_INVALID_ARGUMENT);
  });
}

bool GetTrackItemMute(MediaTrack* track, bool* out) { return get_switch<MUTE>(track, out); }
bool SetTrackItemMute(MediaTrack* track, bool setMute) { return set_switch<MUTE>(track, setMute); }
bool SetTrackAllMuteOFF(ReaProject* projID) {
  return frame([&] { switch_all_off(projID, SetTrackIdMute); });
}

bool GetTrackItemSolo(MediaTrack* track, bool* out) { return get_switch<SOLO>(track, out); }
bool SetTrackItemSolo(MediaTrack* track, bool setSolo) { return set_switch<SOLO>(track, setSolo); }
bool SetTrackAllSoloOFF(ReaProject* projID) {
  return frame([&] { switch_all_off(projID, SetTrackIdSolo); });
}

bool GetTrackItemColor(MediaTrack* track, int* colorOut, int* rOut, int* gOut, int* bOut) {
  return frame([&] {
    check_track(track);
    const int color = GetTrackColor(track);
    int r = 0, g = 0, b = 0;
    ColorFromNative(color, &r, &g, &b);
    put(colorOut, color);
    put(rOut, r);
    put(gOut, g);
    put(bOut, b);
  });
}

bool SetTrackItemColor(MediaTrack* track, int setColor) {
  return frame([&] {
    check_track(track);
    SetTrackColor(track, setColor | CUSTOM_COLOR);
  });
}

bool SetTrackItemRGB(MediaTrack* track, int setR, int setG, int setB) {
  return frame([&] {
    check_track(track);
    SetTrackColor(track, ColorToNative(setR, setG, setB));
  });
}

bool GetTrackItemDepth(MediaTrack* track, int* out) {
  return frame([&] {
    check_track(track);
    put(out, GetTrackDepth(track));
  });
}

bool GetTrackItemName(MediaTrack* track, char* nameOut, int nameOut_sz) {
  return frame([&] {
    check_track(track);
    const int told = std::clamp(nameOut_sz, 0, NAME_BUFFER_MAX);
    std::vector<char> name(static_cast<size_t>(std::max(told, NAME_BUFFER)), '\0');
    if (!GetTrackName(track, name.data(), told)) raise(ERR_GET_NAME_FAILED);
    name.back() = '\0';
    mx_utility::strcpy(nameOut, nameOut_sz, name.data());
  });
}

bool SetTrackItemName(MediaTrack* track, const char* setName) {
  return frame([&] {
    check_track(track);
    std::string name = mx_utility::text(setName);
    if (!GetSetMediaTrackInfo_String(track, "P_NAME", name.data(), true)) raise(ERR_SET_FAILED);
  });
}

bool SetTrackIdSelected(ReaProject* projID, int trackID, bool setSelectType) {
  return frame([&] {
    MediaTrack* track = GetTrackItemSelect(projID, trackID, 0);
    check_track(track);
    SetTrackSelected(track, setSelectType);
  });
}

bool SetTrackItemOnlySelected(MediaTrack* track) {
  return frame([&] {
    check_track(track);
    SetOnlyTrackSelected(track);
  });
}

bool GetTrackItemVolume(MediaTrack* track, double* volumeOut) {
  return frame([&] {
    check_track(track);
    put(volumeOut, mx_utility::round(mx_utility::to_dB(GetMediaTrackInfo_Value(track, "D_VOL")), 2));
  });
}

bool SetTrackItemVolume(MediaTrack* track, double setVolume) {
  return frame([&] {
    check_track(track);
    set_value(track, "D_VOL", mx_utility::to_reaper_volume(setVolume));
    UpdateArrange();
  });
}

bool SetTrackItemAddVolume(MediaTrack* track, double addVolume) {
  return frame([&] {
    check_track(track);
    const double level = mx_utility::to_dB(GetMediaTrackInfo_Value(track, "D_VOL"));
    SetMediaTrackInfo_Value(track, "D_VOL", mx_utility::to_reaper_volume(level + addVolume));
    UpdateArrange();
  });
}

bool DeleteTrackIdSelect(ReaProject* projID, int trackID, int trackType) {
  return frame([&] {
    MediaTrack* track = GetTrackItemSelect(projID, trackID, trackType);
    check_track(track);
    DeleteTrack(track);
  });
}

namespace {

int track_count(ReaProject* project) {
  int count = 0;
  if (!GetTrackCountSelect(project, 0, &count)) raise(ERR_INVALID_ARGUMENT);
  return count;
}

int depth_of(MediaTrack* track) {
  int depth = 0;
  GetTrackItemDepth(track, &depth);
  return depth;
}

void set_folder_change(MediaTrack* track, int change) { SetMediaTrackInfo_Value(track, "I_FOLDERDEPTH", change); }

void append_children(MediaTrack* parent, std::vector<MediaTrack*>& list) {
  ReaProject* project = project_of(parent);
  const int count = track_count(project);
  for (int i = 0; i < count; ++i) {
    MediaTrack* track = GetTrackItemSelect(project, i, 0);
    if (GetParentTrack(track) == parent) list.push_back(track);
  }
}

// One record per track for which `wanted(index, name)` holds, with "Track" and "Index".
// A track that cannot be read ends the list with its failure; records made so far stay.
template <class Wanted>
void append_named(ReaProject* projID, std::vector<mx_object::TrackDetail>& records, Wanted wanted) {
  const int count = track_count(projID);
  std::vector<char> name(NAME_BUFFER);
  for (int i = 0; i < count; ++i) {
    name[0] = '\0';
    if (!GetTrackIdName(projID, i, name.data(), NAME_BUFFER)) fail_as_reported();
    if (!wanted(name.data())) continue;
    mx_object::TrackDetail record;
    record.Track->set(GetTrackItemSelect(projID, i, 0));
    record.Index->set(i);
    records.push_back(record);
  }
}

}  // namespace

// The host answers track and depth lookups in constant time, so the list costs one call
// of each per track and nothing that grows with the project.
bool VisitTrackDepthList(ReaProject* projID, TrackDepthVisitor& visitor) {
  return frame([&] {
    ReaProject* project = checked_project(projID);
    const int count = CountTracks(project);
    visitor.count(count);
    for (int i = 0; i < count; ++i) {
      MediaTrack* track = GetTrack(project, i);
      if (!track) raise(ERR_INVALID_TRACK);
      visitor.track(track, GetTrackDepth(track));
    }
  });
}

bool GetTrackDepthList(ReaProject* projID, std::vector<mx_object::TrackDetail>& records) {
  class into_records final : public TrackDepthVisitor {
   public:
    explicit into_records(std::vector<mx_object::TrackDetail>& records) : records_(records) {}
    void count(int tracks) override { records_.reserve(records_.size() + static_cast<size_t>(tracks)); }
    void track(MediaTrack* track, int depth) override {
      mx_object::TrackDetail& record = records_.emplace_back();
      record.Track->set(track);
      record.Depth->set(depth);
    }

   private:
    std::vector<mx_object::TrackDetail>& records_;
  } into(records);
  return VisitTrackDepthList(projID, into);
}

bool GetSamePerfectTrackNameList(ReaProject* projID, std::string checkName,
                                 std::vector<mx_object::TrackDetail>& records) {
  return frame([&] {
    append_named(projID, records, [&](const char* name) { return checkName == name; });
    Bridge_IF::reset_errorCode();
  });
}

bool GetIncludePerfectTrackNameList(ReaProject* projID, std::string checkName,
                                    std::vector<mx_object::TrackDetail>& records) {
  return frame([&] {
    char wanted[NAME_BUFFER];
    mx_utility::strcpy(wanted, NAME_BUFFER, checkName);
    append_named(projID, records, [&](const char* name) {
      bool included = false;
      mx_api::string::CheckIncludeString(name, wanted, &included);
      return included;
    });
    Bridge_IF::reset_errorCode();
  });
}

MediaTrack* InsertTrackId(ReaProject* projID, int trackID) {
  return frame<MediaTrack*>(nullptr, [&]() -> MediaTrack* {
    checked_project(projID);
    // A negative position names no place in the list: nothing is inserted.
    if (trackID < 0) raise(ERR_INVALID_ARGUMENT);
    InsertTrackAtIndex(trackID, true);
    const int count = track_count(projID);
    Bridge_IF::reset_errorCode();
    return GetTrackItemSelect(projID, trackID >= count ? count - 1 : trackID, 0);
  });
}

MediaTrack* InsertChildTrack(MediaTrack* parentTrack, int* trackIdOut) {
  return frame<MediaTrack*>(nullptr, [&]() -> MediaTrack* {
    check_track(parentTrack);
    ReaProject* project = project_of(parentTrack);
    const int total = track_count(project);
    int parent_index = 0;
    if (!GetTrackItemIndex(parentTrack, &parent_index)) raise(ERR_INVALID_TRACK);
    const int parent_depth = depth_of(parentTrack);
    // The new child goes after the parent's whole subtree, so it never lands inside the
    // folder of the last child and never takes that child's own children.
    int last = parent_index;
    while (last + 1 < total && depth_of(GetTrackItemSelect(project, last + 1, 0)) > parent_depth) ++last;
    const int position = last + 1;
    MediaTrack* next = position < total ? GetTrackItemSelect(project, position, 0) : nullptr;
    const int next_depth = next ? depth_of(next) : 0;
    InsertTrackAtIndex(position, true);
    SetTrackIdDepth(project, position, parent_depth + 1);
    put(trackIdOut, position);
    if (next) SetTrackItemDepth(next, next_depth);
    Bridge_IF::reset_errorCode();
    return GetTrackItemSelect(project, position, 0);
  });
}

MediaTrack* InsertTrackSearchUniqueOnly(ReaProject* projID, const char* setTrackName, int* trackIdOut) {
  return frame<MediaTrack*>(nullptr, [&]() -> MediaTrack* {
    const std::string wanted = mx_utility::text(setTrackName);
    const int count = track_count(projID);
    std::vector<char> name(NAME_BUFFER);
    for (int i = 0; i < count; ++i) {
      name[0] = '\0';
      GetTrackIdName(projID, i, name.data(), NAME_BUFFER);
      if (wanted == name.data()) {
        put(trackIdOut, i);
        Bridge_IF::reset_errorCode();
        return GetTrackItemSelect(projID, i, 0);
      }
    }
    InsertTrackAtIndex(count, true);
    SetTrackIdName(projID, count, wanted.c_str());
    put(trackIdOut, count);
    Bridge_IF::reset_errorCode();
    return GetTrackItemSelect(projID, count, 0);
  });
}

bool SetTrackItemDepth(MediaTrack* track, int setDepth) {
  return frame([&] {
    check_track(track);
    ReaProject* project = project_of(track);
    const int count = track_count(project);
    std::vector<MediaTrack*> tracks(static_cast<size_t>(count));
    std::vector<int> depth(static_cast<size_t>(count));
    int d = 0;
    for (int i = 0; i < count; ++i) {
      tracks[i] = GetTrackItemSelect(project, i, 0);
      depth[i] = depth_of(tracks[i]);
      if (tracks[i] == track) d = i;
    }
    if (d > 0) {
      const int step = setDepth - depth[d - 1];
      if (step >= 2) raise(ERR_INVALID_VALUE);
      set_folder_change(tracks[d - 1], step);
      // The first track after the former subtree keeps its depth.
      for (int k = d + 1; k < count; ++k) {
        if (depth[k] <= depth[d]) {
          set_folder_change(tracks[k - 1], (depth[k] - depth[k - 1]) - (setDepth - depth[d]));
          break;
        }
      }
    }
    Bridge_IF::reset_errorCode();
  });
}

bool GetTrackItemList(ReaProject* projID, std::vector<MediaTrack*>& list) {
  return frame([&] {
    const int count = track_count(projID);
    list.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) list[static_cast<size_t>(i)] = GetTrack(projID, i);
  });
}

bool GetTrackItemChildList(MediaTrack* track, std::vector<MediaTrack*>& list, int& count) {
  return frame([&] {
    check_track(track);
    append_children(track, list);
    count = static_cast<int>(list.size());
  });
}

bool GetTrackIdChildList(ReaProject* projID, int trackID, std::vector<MediaTrack*>& list, int& count) {
  return frame([&] {
    MediaTrack* parent = GetTrackItemSelect(projID, trackID, 0);
    check_track(parent);
    append_children(parent, list);
    count = static_cast<int>(list.size());
  });
}

bool GetSelectedTrackIdChildList(ReaProject* projID, int selectTrackID, std::vector<MediaTrack*>& list) {
  return frame([&] {
    MediaTrack* parent = GetTrackItemSelect(projID, selectTrackID, 1);
    check_track(parent);
    append_children(parent, list);
  });
}

namespace {
MX_FAMILY("Tracks");
const mx_plugin::registrar definitions[] = {
    MX_DEF(0, GetTrackItemSelect, pointer, "projID,trackID,trackType", "Get track item select"),
    MX_DEF(1, GetSelectedTrackFirstInfo, pointer, "projID,trackIdOut", "Get select track first info"),
    MX_DEF(2, InsertTrackId, pointer, "projID,trackID", "Insert Track Out TrackItem"),
    MX_DEF(3, InsertChildTrack, pointer, "parentTrack,trackIdOut", "Insert Child Track"),
    MX_DEF(4, InsertTrackSearchUniqueOnly, pointer, "projID,setTrackName,trackIdOut", "Insert Track Unique Only"),
    MX_DEF(5, GetTrackItemIndex, int_out, "track", "Get Track Item Index"),
    MX_DEF(6, GetTrackCountSelect, int_out, "projID,trackType", "Get track count select"),
    MX_DEF(7, GetTrackItemMute, bool_out, "track", "Get track item mute"),
    MX_DEF(8, GetTrackIdMute, bool_out, "projID,trackId", "Get track id mute"),
    MX_DEF(9, GetSelectedTrackIdMute, bool_out, "projID,selectTrackId", "Get select track id mute"),
    MX_DEF(10, SetTrackItemMute, flag_void, "track,setMute", "Set track item mute"),
    MX_DEF(11, SetTrackIdMute, flag_void, "projID,trackID,setMute", "Set track id mute"),
    MX_DEF(12, SetSelectedTrackIdMute, flag_void, "projID,selectTrackID,setMute", "Set select track id mute"),
    MX_DEF(13, SetTrackAllMuteOFF, flag_void, "projID", "Set Track All Mute Off"),
    MX_DEF(14, GetTrackItemSolo, bool_out, "track", "Get Track Item Solo"),
    MX_DEF(15, GetTrackIdSolo, bool_out, "projID,trackID", "Get Track Id Solo"),
    MX_DEF(16, GetSelectedTrackIdSolo, bool_out, "projID,selectTrackID", "Get Select Track Id Solo"),
    MX_DEF(17, SetTrackItemSolo, flag_void, "track,setSolo", "Set Track Item Solo"),
    MX_DEF(18, SetTrackIdSolo, flag_void, "projID,trackID,setSolo", "Set Track Id Solo"),
    MX_DEF(19, SetSelectedTrackIdSolo, flag_void, "projID,selectTrackID,setSolo", "Set Select Track Id Solo"),
    MX_DEF(20, SetTrackAllSoloOFF, flag_void, "projID", "Set Track All Solo Off"),
    MX_DEF(21, GetTrackItemColor, flag_void, "track,colorOut,rOut,gOut,bOut", "Get Track Item Color RGB"),
    MX_DEF(22, GetTrackIdColor, flag_void, "projID,trackID,colorOut,rOut,gOut,bOut", "Get Track Item Color RGB"),
    MX_DEF(23, GetSelectedTrackIdColor, flag_void, "projID,selectTrackID,colorOut,rOut,gOut,bOut",
           "Get Selected Track Item Color RGB"),
    MX_DEF(24, SetTrackItemColor, flag_void, "track,setColor", "SetTrack Item Color"),
    MX_DEF(25, SetTrackIdColor, flag_void, "projID,trackID,setColor", "Set Track Id Color"),
    MX_DEF(26, SetSelectedTrackIdColor, flag_void, "projID,selectTrackID,setColor", "Set Selected Track Id Color"),
    MX_DEF(27, SetTrackItemRGB, flag_void, "track,setR,setG,setB", "Set Track Item RGB"),
    MX_DEF(28, SetTrackIdRGB, flag_void, "projID,trackID,setR,setG,setB", "Set Track Id RGB"),
    MX_DEF(29, SetSelectedTrackIdRGB, flag_void, "projID,selectTrackID,setR,setG,setB", "Set Selected Track Id RGB"),
    MX_DEF(30, GetTrackItemDepth, int_out, "track", "Get Track Item Depth"),
    MX_DEF(31, GetTrackIdDepth, int_out, "projID,trackID", "Get Track Id Depth"),
    MX_DEF(32, GetSelectedTrackIdDepth, int_out, "projID,selectTrackID", "Get Select Track Id Depth"),
    MX_DEF(33, SetTrackItemDepth, flag_void, "track,setDepth", "Set Track Item Depth"),
    MX_DEF(34, SetTrackIdDepth, flag_void, "projID,trackID,setDepth", "Set Track Id Depth"),
    MX_DEF(35, SetSelectedTrackIdDepth, flag_void, "projID,selectTrackID,setDepth", "Set Selected Track Id Depth"),
    MX_DEF(36, GetTrackItemName, flag_void, "track,nameOut,nameOut_sz", "Get track item name"),
    MX_DEF(37, GetTrackIdName, flag_void, "projID,trackID,nameOut,nameOut_sz", "Get track name"),
    MX_DEF(38, GetSelectedTrackIdName, flag_void, "projID,trackID,nameOut,nameOut_sz", "Get select track name"),
    MX_DEF(39, SetTrackItemName, flag_void, "track,setName", "Set track item name"),
    MX_DEF(40, SetTrackIdName, flag_void, "projID,trackID,setName", "Set track name"),
    MX_DEF(41, SetSelectedTrackIdName, flag_void, "projID,selectTrackID,setName", "Set select track name"),
    MX_DEF(42, SetTrackIdSelected, flag_void, "projID,trackID,setSelectType", "Set Track Selected"),
    MX_DEF(43, SetTrackItemOnlySelected, flag_void, "track", "Set TrackItem  Only Selected"),
    MX_DEF(44, SetTrackIdOnlySelected, flag_void, "projID,trackID", "Set Track Only Selected"),
    MX_DEF(45, GetTrackItemVolume, flag_void, "track,volumeOut", "Get Track Item Volume"),
    MX_DEF(46, GetTrackIdVolume, flag_void, "projID,trackID,volumeOut", "Get Track Volume"),
    MX_DEF(47, GetSelectedTrackIdVolume, flag_void, "projID,selectTrackID,volumeOut", "Get Select Track Volume"),
    MX_DEF(48, SetTrackItemVolume, flag_void, "track,setVolume", "Set Track Item Volume"),
    MX_DEF(49, SetTrackIdVolume, flag_void, "projID,trackID,setVolume", "Set track volume"),
    MX_DEF(50, SetSelectedTrackIdVolume, flag_void, "projID,selectTrackID,setVolume", "Set Select Track volume"),
    MX_DEF(51, SetTrackItemAddVolume, flag_void, "track,addVolume", "Set Track Item Add Volume"),
    MX_DEF(52, SetTrackIdAddVolume, flag_void, "projID,trackID,addVolume", "Set Track Id Add Volume"),
    MX_DEF(53, SetSelectedTrackIdAddVolume, flag_void, "projID,selectTrackID,addVolume",
           "Set Select Track Id Add Volume"),
    MX_DEF(54, DeleteTrackIdSelect, flag_void, "projID,trackID,trackType", "Delete trackID Select"),
    MX_DEF_LIST(105, GetTrackItemList, "void", "ReaProject*,MediaTrackArray*", "proj,trackListOut",
                "Get track item list"),
    MX_DEF_LIST(106, GetTrackItemChildList, "void", "MediaTrack*,MediaTrackArray*,int*",
                "track,childTrackListOut,trackCountOut", "Get chiled track list"),
    MX_DEF_LIST(107, GetTrackIdChildList, "void", "ReaProject*,int,MediaTrackArray*,int*",
                "proj,trackID,childTrackListOut,trackCountOut", "Get chiled track list"),
    MX_DEF_LIST(108, GetSelectedTrackIdChildList, "void", "ReaProject*,int,MediaTrackArray*,int*",
                "proj,selectTrackID,trackListOut,trackCountOut", "Get chiled track list"),
    MX_DEF_LIST(109, GetSamePerfectTrackNameList, "void", "ReaProject*,const char*,ObjectArray*",
                "proj,checkName,trackListOut", "Get track list"),
    MX_DEF_LIST(110, GetIncludePerfectTrackNameList, "void", "ReaProject*,const char*,ObjectArray*",
                "proj,checkName,trackListOut", "Get track list"),
    MX_DEF_LIST(111, GetTrackDepthList, "void", "ReaProject*,ObjectArray*", "proj,trackDepthListOut",
                "Get track depth list"),
};
}  // namespace

}  // namespace mx_api::track
