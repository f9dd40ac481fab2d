// Running one host action on one item while the rest of the item selection is kept.
#pragma once

#include "api/item_forms.h"
#include "plugin/host_api.h"

namespace mx_api::action {

// The action runs in the item's own project with only the item selected; afterwards the
// items selected before are selected again, the item only if it was one of them.
bool ActionMediaItemSelectKeep(MediaItem* item, int cmdID);

MX_MEDIA_INDEX_FORMS(Action, SelectKeep)

}  // namespace mx_api::action
