// Rendering an item's active take into a new take that keeps the old take's name.
#pragma once

#include "api/item_forms.h"
#include "plugin/host_api.h"

namespace mx_api::render {

// An item with several takes is cropped to its active take first.
bool RenderMediaItemActiveTake(MediaItem* item);

MX_MEDIA_INDEX_FORMS(Render, ActiveTake)

}  // namespace mx_api::render
