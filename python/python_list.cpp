// The list functions Python scripts call by name: each runs the operation on a local
// list and hands the result out as the handle of a pooled array or record list, or as
// JSON text in the caller's buffer. A null out-parameter gets nothing (and nothing is
// pooled for it, so no handle is left that nobody can release); nothing is thrown into
// the script's foreign call.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "api/RIDEFORM.h"
#include "api/UI.h"
#include "api/VOXPAIR.h"
#include "api/mediaItem.h"
#include "api/path.h"
#include "api/string.h"
#include "api/track.h"
#include "object/TrackDetail.h"
#include "object/mx_Path.h"
#include "object/mx_Peak.h"
#include "plugin/export.h"
#include "python/python_utility.h"
#include "utility/json_utility.h"
#include "utility/mx_utility.h"

using mx_object::mx_List;

namespace {

void* pooled(std::vector<MediaTrack*>& list) { return python_utility::set_obj_topool(list); }
void* pooled(std::vector<std::string>& list) { return python_utility::set_obj_topool(list); }
template <class Record>
void* pooled(std::vector<Record>& records) {
  return mx_List::pool_mxList_array(records);
}

// Pointer and record lists: handed out only when the operation succeeded.
template <class T, class Operation>
bool hand_out_on_success(void** listOut, Operation&& operation) noexcept {
  try {
    std::vector<T> list;
    const bool ok = operation(list);
    if (ok && listOut) *listOut = pooled(list);
    return ok;
  } catch (...) {
    return false;
  }
}

// String lists: handed out whatever the operation answered, with what it produced.
template <class Operation>
bool hand_out_always(void** listOut, Operation&& operation) noexcept {
  bool ok = false;
  try {
    std::vector<std::string> list;
    ok = operation(list);
    if (listOut) *listOut = pooled(list);
  } catch (...) {
    return false;
  }
  return ok;
}

// JSON-text results: 1 for any failure that escapes, the operation's own result otherwise.
template <class Operation>
int guarded(Operation&& operation) noexcept {
  try {
    return operation();
  } catch (...) {
    return 1;
  }
}

// The whole text as one JSON value, or nothing; no error code, as the script reads the
// result instead.
bool parse(const char* text, nlohmann::json& value) {
  value = nlohmann::json::parse(mx_utility::text(text), nullptr, false);
  return !value.is_discarded();
}

// Compact text, as the JSON functions write it, but leaving the error code to the
// operation; text that is not valid UTF-8 throws and ends the call with 1.
void write_json(char* buffer, int size, const nlohmann::json& value) {
  mx_utility::strcpy(buffer, size, value.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict));
}

}  // namespace

using namespace mx_api;

MX_EXPORT bool py_GetTrackItemList(ReaProject* proj, void** list) noexcept {
  return hand_out_on_success<MediaTrack*>(list, [&](auto& out) { return track::GetTrackItemList(proj, out); });
}

MX_EXPORT bool py_GetTrackItemChildList(MediaTrack* track, void** list, int* count) noexcept {
  int ignored = 0;
  int& counted = count ? *count : ignored;
  return hand_out_on_success<MediaTrack*>(list,
                                          [&](auto& out) { return track::GetTrackItemChildList(track, out, counted); });
}

MX_EXPORT bool py_GetTrackIdChildList(ReaProject* proj, int trackID, void** list, int* count) noexcept {
  int ignored = 0;
  int& counted = count ? *count : ignored;
  return hand_out_on_success<MediaTrack*>(
      list, [&](auto& out) { return track::GetTrackIdChildList(proj, trackID, out, counted); });
}

MX_EXPORT bool py_GetSelectedTrackIdChildList(ReaProject* proj, int selectTrackID, void** list, int* count) noexcept {
  return hand_out_on_success<MediaTrack*>(list, [&](auto& out) {
    const bool ok = track::GetSelectedTrackIdChildList(proj, selectTrackID, out);
    if (ok && count) *count = static_cast<int>(out.size());
    return ok;
  });
}

MX_EXPORT bool py_GetTrackDepthList(ReaProject* proj, void** list) noexcept {
  return hand_out_on_success<mx_object::TrackDetail>(list,
                                                     [&](auto& out) { return track::GetTrackDepthList(proj, out); });
}

MX_EXPORT bool py_GetSamePerfectTrackNameList(ReaProject* proj, const char* checkName, void** list) noexcept {
  return hand_out_on_success<mx_object::TrackDetail>(list, [&](auto& out) {
    return track::GetSamePerfectTrackNameList(proj, mx_utility::text(checkName), out);
  });
}

MX_EXPORT bool py_GetIncludePerfectTrackNameList(ReaProject* proj, const char* checkName, void** list) noexcept {
  return hand_out_on_success<mx_object::TrackDetail>(list, [&](auto& out) {
    return track::GetIncludePerfectTrackNameList(proj, mx_utility::text(checkName), out);
  });
}

MX_EXPORT bool py_GetFilePathList(const char* folderPath, const char* searchExtension, void** list) noexcept {
  return hand_out_always(list, [&](auto& out) {
    return path::GetFilePathList(mx_utility::text(folderPath), mx_utility::text(searchExtension), out);
  });
}

MX_EXPORT bool py_GetStringSplitList(const char* baseStr, const char* splitStr, void** list) noexcept {
  return hand_out_always(list, [&](auto& out) {
    return string::GetStringSplitList(mx_utility::text(baseStr), mx_utility::text(splitStr), out);
  });
}

MX_EXPORT bool py_GetUserInputList(const char* title, int inputNum, const char* captionList,
                                   const char* defualtValueList, void** list) noexcept {
  return hand_out_always(list, [&](auto& out) {
    return UI::GetUserInputList(mx_utility::text(title), inputNum, mx_utility::text(captionList),
                                mx_utility::text(defualtValueList), out);
  });
}

MX_EXPORT bool py_GetMediaItemPeakList(MediaItem* item, void** list) noexcept {
  return hand_out_on_success<mx_object::mx_Peak>(list,
                                                 [&](auto& out) { return mediaItem::GetMediaItemPeakList(item, out); });
}

MX_EXPORT bool py_GetMediaIdPeakList(ReaProject* proj, int itemID, void** list) noexcept {
  return hand_out_on_success<mx_object::mx_Peak>(
      list, [&](auto& out) { return mediaItem::GetMediaIdPeakList(proj, itemID, out); });
}

MX_EXPORT bool py_GetSelectedMediaIdPeakList(ReaProject* proj, int selectItemID, void** list) noexcept {
  return hand_out_on_success<mx_object::mx_Peak>(
      list, [&](auto& out) { return mediaItem::GetSelectedMediaIdPeakList(proj, selectItemID, out); });
}

MX_EXPORT int py_GetPathInfo(const char* filePath, char* buffer, int size) noexcept {
  return guarded([&] {
    mx_object::mx_Path info;
    const int result = path::GetPathInfo(mx_utility::text(filePath), info);
    write_json(buffer, size, info.to_json());
    return result;
  });
}

MX_EXPORT int py_SetMediaItemListRIDEFORM(const char* itemList, int ratioType) noexcept {
  return guarded([&] {
    nlohmann::json items;
    if (!parse(itemList, items)) return 1;
    return RIDEFORM::SetMediaItemListRIDEFORM(json_utility::get_array<MediaItem*>(items), ratioType);
  });
}

MX_EXPORT int py_VOXPAIR_InsertMediaItems(const char* subjectLangPath, const char* baseLangPath, double startPos,
                                          double mediaInterval, int startEndType, bool isVolMatch, bool isRIDEFORM,
                                          int RIDEFORM_ratioType, const char* trackNameList, char* buffer,
                                          int size) noexcept {
  return guarded([&] {
    nlohmann::json names;
    if (!parse(trackNameList, names)) return 1;
    std::vector<std::string> keywords = json_utility::get_array<std::string>(names);
    std::vector<std::string> unmatched;
    const int result = VOXPAIR::VOXPAIR_InsertMediaItems(mx_utility::text(subjectLangPath),
                                                         mx_utility::text(baseLangPath), startPos, mediaInterval,
                                                         startEndType, isVolMatch, isRIDEFORM, RIDEFORM_ratioType,
                                                         keywords, unmatched);
    write_json(buffer, size, python_utility::array_to_typeJson(unmatched));
    return result;
  });
}
