#include "api/VOXPAIR.h"

#include <cstring>
#include <memory>
#include <unordered_map>

#include "api/RIDEFORM.h"
#include "api/loudness.h"
#include "api/mediaItem.h"
#include "api/path.h"
#include "api/string.h"
#include "api/track.h"
#include "object/VOXPAIR_Tracks.h"
#include "object/mx_Path.h"
#include "plugin/api_registry.h"
#include "plugin/host_api.h"
#include "plugin/mx_error.h"

namespace mx_api::VOXPAIR {

using namespace mx_error;
using mx_object::VOXPAIR_Tracks;

namespace {

constexpr int NAME_BUFFER = 1024;
constexpr char NO_GROUP[] = "None";
constexpr char BASE_TRACK[] = "base";
constexpr char UNIQUE_TRACK[] = "unique";

struct LineFile {
  std::string name;  // the last path component, extension included
  std::string path;  // absolute
};

// The recorded lines below a folder, in walk order. A folder whose name merely ends in
// .wav is no line. A missing folder gives none (its listing's code is cleared at the end).
std::vector<LineFile> line_files(const std::string& folder) {
  std::vector<std::string> paths;
  path::GetFilePathList(folder, "wav", paths);
  std::vector<LineFile> files;
  files.reserve(paths.size());
  for (const std::string& p : paths) {
    mx_object::mx_Path info;
    if (path::GetPathInfo(p, info) != 0 || info.Type->value != "File") continue;
    files.push_back({info.FileName->value, info.FilePath->value});
  }
  return files;
}

// The first keyword, in priority order, that the file name holds regardless of case.
std::string group_name(const std::string& fileName, const std::vector<std::string>& keywords) {
  for (const std::string& keyword : keywords) {
    bool included = false;
    if (string::CheckIncludeString(fileName.c_str(), keyword.c_str(), &included) && included) return keyword;
  }
  return NO_GROUP;
}

MediaTrack* new_child(MediaTrack* parent, const char* name) {
  MediaTrack* child = track::InsertChildTrack(parent, nullptr);
  if (child) track::SetTrackItemName(child, name);
  return child;
}

// The group's tracks, found or made once: the parent (the project's track of that name,
// or a new one) at the top level, and its first children named exactly "base" and
// "unique" from the children it had before.
std::shared_ptr<VOXPAIR_Tracks> make_group(const std::string& name) {
  auto group = std::make_shared<VOXPAIR_Tracks>();
  group->MasterName->set(name);
  MediaTrack* parent = track::InsertTrackSearchUniqueOnly(nullptr, name.c_str(), nullptr);
  MediaTrack* base = nullptr;
  MediaTrack* unique = nullptr;
  if (parent) {
    track::SetTrackItemDepth(parent, 0);
    std::vector<MediaTrack*> children;
    int count = 0;
    track::GetTrackItemChildList(parent, children, count);
    char child_name[NAME_BUFFER];
    for (MediaTrack* child : children) {
      child_name[0] = '\0';
      if (!track::GetTrackItemName(child, child_name, NAME_BUFFER)) continue;
      if (!base && std::strcmp(child_name, BASE_TRACK) == 0) base = child;
      else if (!unique && std::strcmp(child_name, UNIQUE_TRACK) == 0) unique = child;
    }
    if (!base) base = new_child(parent, BASE_TRACK);
    if (!unique) unique = new_child(parent, UNIQUE_TRACK);
  }
  group->MasterTrack->set(parent);
  group->BaseTrack->set(base);
  group->UniqueTrack->set(unique);
  return group;
}

// Inserts one line at the position and moves the position past it and the gap; a line
// that cannot be inserted moves it by the gap alone. The new item is left unselected
// until the end of the call: every insertion keeps and restores the whole selection, and
// a selection growing with each line would make the layout quadratic.
MediaItem* place(MediaTrack* track, const std::string& file, double& position, double interval,
                 std::vector<MediaItem*>& placed) {
  MediaItem* item = track ? mediaItem::InsertMediaTrackItemSecond(track, file.c_str(), 0, position) : nullptr;
  double length = 0.0;
  if (item) {
    double read = 0.0;
    if (mediaItem::GetMediaItemLength(item, &read)) length = read;
    SetMediaItemSelected(item, false);
    placed.push_back(item);
  }
  position += length + interval;
  return item;
}

// The subject line meets the base line's maximum momentary loudness. Without a measured
// base there is no target, and the subject's volume stays as it is.
void match_loudness(MediaItem* base, MediaItem* subject, bool ride, int ratioType) {
  double target = 0.0, target_at = 0.0;
  const bool measured = loudness::GetMediaItemLoudnessMaxMomentary(base, &target, &target_at) == 0;
  if (ride) RIDEFORM::SetMediaItemRIDEFORM(subject, ratioType);
  if (!measured) return;
  double maximum_at = 0.0;
  loudness::SetMediaItemLoudnessMaxMomentary(subject, target, &maximum_at);
}

}  // namespace

int VOXPAIR_InsertMediaItems(std::string subjectLangPath, std::string baseLangPath, double startPos,
                             double mediaInterval, int startEndType, bool isVolMatch, bool isRIDEFORM,
                             int RIDEFORM_ratioType, std::vector<std::string>& trackNameList,
                             std::vector<std::string>& unmatchedPathListOut) {
  return frame(0, [&] {
    const std::vector<LineFile> subjects = line_files(subjectLangPath);
    const std::vector<LineFile> bases = line_files(baseLangPath);

    double position = startPos;
    if (startEndType == 1) {
      double reported = 0.0;
      if (cursol::SetPlayCursorPosition(nullptr, 1, startPos, &reported)) position = reported;
    }

    // The first base line of each name, in listing order.
    std::unordered_map<std::string, const std::string*> base_by_name;
    base_by_name.reserve(bases.size());
    for (const LineFile& base : bases) base_by_name.emplace(base.name, &base.path);

    // Groups in the order their names first appear; each group's tracks are found once.
    std::vector<std::shared_ptr<VOXPAIR_Tracks>> groups;
    std::unordered_map<std::string, VOXPAIR_Tracks*> group_by_name;
    for (const LineFile& subject : subjects) {
      const std::string name = group_name(subject.name, trackNameList);
      auto found = group_by_name.find(name);
      if (found == group_by_name.end()) {
        groups.push_back(make_group(name));
        found = group_by_name.emplace(name, groups.back().get()).first;
      }
      const auto base = base_by_name.find(subject.name);
      if (base == base_by_name.end()) unmatchedPathListOut.push_back(subject.path);
      else found->second->file_pairs.emplace(subject.path, *base->second);
    }

    std::vector<MediaItem*> placed;
    for (const auto& group : groups) {
      for (const auto& [subject_path, base_path] : group->file_pairs) {
        MediaItem* base = place(group->BaseTrack->value, base_path, position, mediaInterval, placed);
        MediaItem* subject = place(group->UniqueTrack->value, subject_path, position, mediaInterval, placed);
        if (isVolMatch && base && subject) match_loudness(base, subject, isRIDEFORM, RIDEFORM_ratioType);
      }
    }
    // Each inserted line ends selected, beside the selection the call found.
    for (MediaItem* item : placed)
      if (ValidatePtr(item, "MediaItem*")) SetMediaItemSelected(item, true);
    if (!placed.empty()) UpdateArrange();

    Bridge_IF::reset_errorCode();
    return 0;
  });
}

namespace {
MX_FAMILY("Bilingual insertion");
const mx_plugin::registrar definitions[] = {
    MX_DEF_LIST(104, VOXPAIR_InsertMediaItems, "void",
                "const char*,const char*,double,double,int,bool,bool,int,stringArray*,stringArray*",
                "subjectLangPath,baseLangPath,startPos,mediaInterval,startEndType,isVolMatch,isRIDEFORM,"
                "RIDEFORM_ratioType,trackNameList,unmatchedPathListOut",
                "Insert items in subjectLangPath and baseLangPath, and set volume of subjectLang items to volume "
                "of baseLang items with these same names"),
};
}  // namespace

}  // namespace mx_api::VOXPAIR
