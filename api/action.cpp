#include "api/action.h"

#include <vector>

#include "plugin/api_registry.h"
#include "plugin/mx_error.h"

namespace mx_api::action {

using namespace mx_error;

namespace {

// The selected items of `project`, deselected and remembered, last first.
std::vector<MediaItem*> take_selection(ReaProject* project) {
  std::vector<MediaItem*> kept;
  for (int idx = CountSelectedMediaItems(project) - 1; idx >= 0; --idx) {
    MediaItem* selected = GetSelectedMediaItem(project, idx);
    if (!selected) continue;
    SetMediaItemSelected(selected, false);
    kept.push_back(selected);
  }
  return kept;
}

// An action may delete items; only those still there are touched again.
void select_if_alive(MediaItem* item, bool selected) {
  if (ValidatePtr(item, "MediaItem*")) SetMediaItemSelected(item, selected);
}

}  // namespace

bool ActionMediaItemSelectKeep(MediaItem* item, int cmdID) {
  return frame([&] {
    item_forms::check_item(item);
    // The item's own project: an item of a project in the background keeps its selection there.
    ReaProject* project = GetItemProjectContext(item);
    const std::vector<MediaItem*> kept = take_selection(project);
    const auto restore = [&] {
      select_if_alive(item, false);
      for (MediaItem* selected : kept) select_if_alive(selected, true);
      UpdateArrange();
    };
    try {
      SetMediaItemSelected(item, true);
      Main_OnCommandEx(cmdID, 0, project);
    } catch (...) {
      restore();
      throw;
    }
    restore();
  });
}

namespace {
MX_FAMILY("Actions");
const mx_plugin::registrar definitions[] = {
    MX_DEF(90, ActionMediaItemSelectKeep, flag_void, "item,cmdID", "Action MediaItem SelectKeep"),
    MX_DEF(91, ActionMediaIdSelectKeep, flag_void, "projID,itemID,cmdID", "Action MediaID SelectKeep"),
    MX_DEF(92, ActionSelectedMediaIdSelectKeep, flag_void, "projID,selectItemID,cmdID",
           "Action Select MediaID SelectKeep"),
};
}  // namespace

}  // namespace mx_api::action
