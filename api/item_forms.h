// How the whole-item families name their item: the checks of the item form, and the
// index forms built on it (index among all items, among the selected items).
#pragma once

#include "plugin/host_api.h"
#include "plugin/mx_error.h"

namespace mx_api::item_forms {

inline void check_item(MediaItem* item) {
  if (!ValidatePtr(item, "MediaItem*")) mx_error::raise(mx_error::ERR_INVALID_MEDIA_ITEM);
}

inline MediaItem_Take* active_take(MediaItem* item) {
  check_item(item);
  MediaItem_Take* take = GetActiveTake(item);
  if (!take) mx_error::raise(mx_error::ERR_NO_ACTIVE_TAKE);
  return take;
}

// The item an index names, or null. A project pointer that names no open project never
// reaches the host; null stays the active project. The item form reports the null.
inline MediaItem* item_at(ReaProject* projID, int index, bool among_selected) noexcept {
  try {
    if (projID && !ValidatePtr(projID, "ReaProject*")) return nullptr;
    return among_selected ? GetSelectedMediaItem(projID, index) : GetMediaItem(projID, index);
  } catch (...) {
    return nullptr;
  }
}

// The index forms do no check of their own: the item form sees what the index named.
template <auto ItemForm, class Signature = decltype(ItemForm)>
struct index_forms;
template <auto ItemForm, class R, class... A>
struct index_forms<ItemForm, R (*)(MediaItem*, A...)> {
  static R all(ReaProject* projID, int itemID, A... a) {
    return ItemForm(item_at(projID, itemID, false), a...);
  }
  static R selected(ReaProject* projID, int selectItemID, A... a) {
    return ItemForm(item_at(projID, selectItemID, true), a...);
  }
};

}  // namespace mx_api::item_forms

// Verb##MediaId##Object and Verb##SelectedMediaId##Object from Verb##MediaItem##Object.
#define MX_MEDIA_INDEX_FORMS(Verb, Object)                                                              \
  inline constexpr auto Verb##MediaId##Object =                                                         \
      &::mx_api::item_forms::index_forms<&Verb##MediaItem##Object>::all;                                \
  inline constexpr auto Verb##SelectedMediaId##Object =                                                 \
      &::mx_api::item_forms::index_forms<&Verb##MediaItem##Object>::selected;
