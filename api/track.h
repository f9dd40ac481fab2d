// Track properties by pointer (Item), by index among all tracks (Id) and by index
// among the selected tracks (SelectedId). Volumes are in dB, colours native or RGB.
#pragma once

#include <string>
#include <vector>

#include "object/TrackDetail.h"
#include "plugin/host_api.h"

namespace mx_api::track {

// trackType 0: index among all tracks; 1: among the selected tracks.
MediaTrack* GetTrackItemSelect(ReaProject* projID, int trackID, int trackType);
MediaTrack* GetSelectedTrackFirstInfo(ReaProject* projID, int* trackIdOut);
bool GetTrackItemIndex(MediaTrack* track, int* out);
bool GetTrackCountSelect(ReaProject* projID, int trackType, int* out);

bool GetTrackItemMute(MediaTrack* track, bool* out);
bool SetTrackItemMute(MediaTrack* track, bool setMute);
bool SetTrackAllMuteOFF(ReaProject* projID);

bool GetTrackItemSolo(MediaTrack* track, bool* out);
bool SetTrackItemSolo(MediaTrack* track, bool setSolo);
bool SetTrackAllSoloOFF(ReaProject* projID);

bool GetTrackItemColor(MediaTrack* track, int* colorOut, int* rOut, int* gOut, int* bOut);
bool SetTrackItemColor(MediaTrack* track, int setColor);
bool SetTrackItemRGB(MediaTrack* track, int setR, int setG, int setB);

bool GetTrackItemDepth(MediaTrack* track, int* out);

bool GetTrackItemName(MediaTrack* track, char* nameOut, int nameOut_sz);
bool SetTrackItemName(MediaTrack* track, const char* setName);

bool SetTrackIdSelected(ReaProject* projID, int trackID, bool setSelectType);
bool SetTrackItemOnlySelected(MediaTrack* track);

bool GetTrackItemVolume(MediaTrack* track, double* volumeOut);
bool SetTrackItemVolume(MediaTrack* track, double setVolume);
bool SetTrackItemAddVolume(MediaTrack* track, double addVolume);

bool DeleteTrackIdSelect(ReaProject* projID, int trackID, int trackType);

// Insertion and folder depth. The host inserts into its current project.
MediaTrack* InsertTrackId(ReaProject* projID, int trackID);
MediaTrack* InsertChildTrack(MediaTrack* parentTrack, int* trackIdOut);
MediaTrack* InsertTrackSearchUniqueOnly(ReaProject* projID, const char* setTrackName, int* trackIdOut);
// Puts the track at `setDepth`, at most one level below the track above; the tracks after
// its former subtree keep their depths and its children move with it.
bool SetTrackItemDepth(MediaTrack* track, int setDepth);

// Track lists, appended to the caller's vector (GetTrackItemList replaces its content).
bool GetTrackItemList(ReaProject* projID, std::vector<MediaTrack*>& list);
bool GetTrackItemChildList(MediaTrack* track, std::vector<MediaTrack*>& list, int& count);
bool GetTrackIdChildList(ReaProject* projID, int trackID, std::vector<MediaTrack*>& list, int& count);
bool GetSelectedTrackIdChildList(ReaProject* projID, int selectTrackID, std::vector<MediaTrack*>& list);

// Track records, appended: every track with "Track" and "Depth"; the tracks whose name
// equals `checkName` (byte for byte), or contains it ignoring case, with "Track" and "Index".
bool GetTrackDepthList(ReaProject* projID, std::vector<mx_object::TrackDetail>& records);
// The depth list handed over a track at a time, for a caller that builds its own form of
// it (the Lua module's tables) with no records on the way: the count once, then each
// track in order with its depth. Codes and result as GetTrackDepthList.
class TrackDepthVisitor {
 public:
  virtual void count(int tracks) = 0;
  virtual void track(MediaTrack* track, int depth) = 0;

 protected:
  ~TrackDepthVisitor() = default;
};
bool VisitTrackDepthList(ReaProject* projID, TrackDepthVisitor& visitor);
bool GetSamePerfectTrackNameList(ReaProject* projID, std::string checkName,
                                 std::vector<mx_object::TrackDetail>& records);
bool GetIncludePerfectTrackNameList(ReaProject* projID, std::string checkName,
                                    std::vector<mx_object::TrackDetail>& records);

// The index forms of an Item form: look the track up, then the Item form does every
// check, so an index that names no track fails as an invalid track.
template <auto ItemForm, class Signature = decltype(ItemForm)>
struct index_forms;
template <auto ItemForm, class... A>
struct index_forms<ItemForm, bool (*)(MediaTrack*, A...)> {
  static bool all(ReaProject* projID, int trackID, A... a) {
    return ItemForm(GetTrackItemSelect(projID, trackID, 0), a...);
  }
  static bool selected(ReaProject* projID, int selectTrackID, A... a) {
    return ItemForm(GetTrackItemSelect(projID, selectTrackID, 1), a...);
  }
};

#define MX_TRACK_INDEX_FORMS(Verb, Property)                                                     \
  inline constexpr auto Verb##TrackId##Property = &index_forms<&Verb##TrackItem##Property>::all; \
  inline constexpr auto Verb##SelectedTrackId##Property = &index_forms<&Verb##TrackItem##Property>::selected;
MX_TRACK_INDEX_FORMS(Get, Mute)
MX_TRACK_INDEX_FORMS(Set, Mute)
MX_TRACK_INDEX_FORMS(Get, Solo)
MX_TRACK_INDEX_FORMS(Set, Solo)
MX_TRACK_INDEX_FORMS(Get, Color)
MX_TRACK_INDEX_FORMS(Set, Color)
MX_TRACK_INDEX_FORMS(Set, RGB)
MX_TRACK_INDEX_FORMS(Get, Depth)
MX_TRACK_INDEX_FORMS(Set, Depth)
MX_TRACK_INDEX_FORMS(Get, Name)
MX_TRACK_INDEX_FORMS(Set, Name)
MX_TRACK_INDEX_FORMS(Get, Volume)
MX_TRACK_INDEX_FORMS(Set, Volume)
MX_TRACK_INDEX_FORMS(Set, AddVolume)
#undef MX_TRACK_INDEX_FORMS
inline constexpr auto SetTrackIdOnlySelected = &index_forms<&SetTrackItemOnlySelected>::all;

}  // namespace mx_api::track
