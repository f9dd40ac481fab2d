// The host's track functions, as the plug-in and scripts call them.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "simhost/host_support.h"

namespace sim {
namespace {

Session& session() { return Host::get().session(); }

MediaTrack* live_track(MediaTrack* track, const char* function) {
  if (session().is_live(track, "MediaTrack*")) return track;
  Host::get().note_violation(std::string(function) + ": not a live track");
  return nullptr;
}


// A track that turns selected becomes the current (last-touched) track.
void select(MediaTrack* t, bool selected) {
  if (selected && !t->selected) t->project->last_touched = t;
  t->selected = selected;
}

std::vector<MediaTrack*> selected_tracks(ReaProject* project, bool with_master) {
  std::vector<MediaTrack*> out;
  if (with_master && project->master->selected) out.push_back(project->master);
  for (MediaTrack* t : project->tracks)
    if (t->selected) out.push_back(t);
  return out;
}

int CountTracks(ReaProject* proj) {
  ReaProject* p = live_project(proj, __func__);
  return p ? static_cast<int>(p->tracks.size()) : 0;
}

MediaTrack* GetTrack(ReaProject* proj, int trackidx) {
  ReaProject* p = live_project(proj, __func__);
  if (!p || trackidx < 0 || trackidx >= static_cast<int>(p->tracks.size())) return nullptr;
  return p->tracks[static_cast<size_t>(trackidx)];
}

MediaTrack* GetMasterTrack(ReaProject* proj) {
  ReaProject* p = live_project(proj, __func__);
  return p ? p->master : nullptr;
}

int CountSelectedTracks(ReaProject* proj) {
  ReaProject* p = live_project(proj, __func__);
  return p ? static_cast<int>(selected_tracks(p, false).size()) : 0;
}

int CountSelectedTracks2(ReaProject* proj, bool wantmaster) {
  ReaProject* p = live_project(proj, __func__);
  return p ? static_cast<int>(selected_tracks(p, wantmaster).size()) : 0;
}

MediaTrack* GetSelectedTrack(ReaProject* proj, int seltrackidx) {
  ReaProject* p = live_project(proj, __func__);
  if (!p) return nullptr;
  const auto selected = selected_tracks(p, false);
  if (seltrackidx < 0 || seltrackidx >= static_cast<int>(selected.size())) return nullptr;
  return selected[static_cast<size_t>(seltrackidx)];
}

void InsertTrackAtIndex(int idx, bool) { session().insert_track(session().active(), idx); }

void DeleteTrack(MediaTrack* tr) {
  if (MediaTrack* t = live_track(tr, __func__); t && !t->is_master) session().delete_track(t);
}

MediaTrack* GetParentTrack(MediaTrack* track) {
  MediaTrack* t = live_track(track, __func__);
  return t ? session().parent_of(t) : nullptr;
}

int GetTrackDepth(MediaTrack* track) {
  MediaTrack* t = live_track(track, __func__);
  return t ? session().depth_of(t) : 0;
}


std::string display_name(const MediaTrack* t) {
  if (t->is_master) return "MASTER";
  if (!t->name.empty()) return t->name;
  return "Track " + std::to_string(session().index_of(t) + 1);
}

bool GetTrackName(MediaTrack* track, char* bufOut, int bufOut_sz) {
  MediaTrack* t = live_track(track, __func__);
  if (!t || session().refused(t, "GetTrackName")) return false;
  copy_text(bufOut, bufOut_sz, display_name(t));
  return true;
}

int GetTrackColor(MediaTrack* track) {
  MediaTrack* t = live_track(track, __func__);
  return t ? t->color : 0;
}

void SetTrackColor(MediaTrack* track, int color) {
  if (MediaTrack* t = live_track(track, __func__)) t->color = color;
}

// 0xRRGGBB, as on macOS and Linux.
int ColorToNative(int r, int g, int b) { return (r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF); }

void ColorFromNative(int col, int* rOut, int* gOut, int* bOut) {
  if (rOut) *rOut = (col >> 16) & 0xFF;
  if (gOut) *gOut = (col >> 8) & 0xFF;
  if (bOut) *bOut = col & 0xFF;
}

double GetMediaTrackInfo_Value(MediaTrack* tr, const char* parmname) {
  MediaTrack* t = live_track(tr, __func__);
  if (!t || !parmname) return 0;
  const std::string p = parmname;
  if (p == "B_MUTE") return t->mute;
  if (p == "I_SOLO") return t->solo;
  if (p == "D_VOL") return t->volume;
  if (p == "D_PAN") return t->pan;
  if (p == "I_FOLDERDEPTH") return t->folder_depth;
  if (p == "I_SELECTED") return t->selected ? 1 : 0;
  if (p == "I_CUSTOMCOLOR") return t->color;
  if (p == "IP_TRACKNUMBER") return t->is_master ? -1 : session().index_of(t) + 1;
  if (p == "P_PROJECT") return static_cast<double>(reinterpret_cast<uint64_t>(t->project));
  return 0;
}

bool SetMediaTrackInfo_Value(MediaTrack* tr, const char* parmname, double newvalue) {
  MediaTrack* t = live_track(tr, __func__);
  if (!t || !parmname || session().refused(t, parmname)) return false;
  const std::string p = parmname;
  if (p == "B_MUTE") t->mute = newvalue != 0 ? 1 : 0;
  else if (p == "I_SOLO") t->solo = std::trunc(newvalue);
  else if (p == "D_VOL") t->volume = newvalue;
  else if (p == "D_PAN") t->pan = std::clamp(newvalue, -1.0, 1.0);
  else if (p == "I_FOLDERDEPTH") t->folder_depth = std::trunc(newvalue);
  else if (p == "I_SELECTED") select(t, newvalue != 0);
  else if (p == "I_CUSTOMCOLOR") t->color = static_cast<int>(newvalue);
  else return false;
  return true;
}


bool GetSetMediaTrackInfo_String(MediaTrack* tr, const char* parmname, char* stringNeedBig, bool setNewValue) {
  MediaTrack* t = live_track(tr, __func__);
  if (!t || !parmname || !stringNeedBig || std::strcmp(parmname, "P_NAME") != 0) return false;
  if (setNewValue) {
    if (session().refused(t, parmname)) return false;
    t->name = stringNeedBig;
  } else {
    copy_text(stringNeedBig, NEED_BIG, t->name);
  }
  return true;
}

void SetTrackSelected(MediaTrack* track, bool selected) {
  if (MediaTrack* t = live_track(track, __func__)) select(t, selected);
}

// The track ends the only selected one and is current even if it was selected before.
void SetOnlyTrackSelected(MediaTrack* track) {
  MediaTrack* t = live_track(track, __func__);
  if (!t) return;
  t->project->master->selected = false;
  for (MediaTrack* other : t->project->tracks) other->selected = false;
  select(t, true);
  t->project->last_touched = t;
}

bool ValidatePtr(void* pointer, const char* ctypename) {
  return ctypename && session().is_live(pointer, ctypename);
}

void UpdateArrange() { ++session().update_arrange_count; }

SIM_HOST_FUNCTION(CountTracks, "proj");
SIM_HOST_FUNCTION(GetTrack, "proj,trackidx");
SIM_HOST_FUNCTION(GetMasterTrack, "proj");
SIM_HOST_FUNCTION(CountSelectedTracks, "proj");
SIM_HOST_FUNCTION(CountSelectedTracks2, "proj,wantmaster");
SIM_HOST_FUNCTION(GetSelectedTrack, "proj,seltrackidx");
SIM_HOST_FUNCTION(InsertTrackAtIndex, "idx,wantDefaults");
SIM_HOST_FUNCTION(DeleteTrack, "tr");
SIM_HOST_FUNCTION(GetParentTrack, "track");
SIM_HOST_FUNCTION(GetTrackDepth, "track");
SIM_HOST_FUNCTION(GetTrackName, "track,bufOut,bufOut_sz");
SIM_HOST_FUNCTION(GetTrackColor, "track");
SIM_HOST_FUNCTION(SetTrackColor, "track,color");
SIM_HOST_FUNCTION(ColorToNative, "r,g,b");
SIM_HOST_FUNCTION(ColorFromNative, "col,rOut,gOut,bOut");
SIM_HOST_FUNCTION(GetMediaTrackInfo_Value, "tr,parmname");
SIM_HOST_FUNCTION(SetMediaTrackInfo_Value, "tr,parmname,newvalue");
SIM_HOST_FUNCTION(GetSetMediaTrackInfo_String, "tr,parmname,stringNeedBig,setNewValue");
SIM_HOST_FUNCTION(SetTrackSelected, "track,selected");
SIM_HOST_FUNCTION(SetOnlyTrackSelected, "track");
SIM_HOST_FUNCTION(ValidatePtr, "pointer,ctypename");
SIM_HOST_FUNCTION(UpdateArrange, "");

}  // namespace
}  // namespace sim
