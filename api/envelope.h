// Switching off every envelope of an item's active take: inactive and hidden, with its
// points and every other property kept.
#pragma once

#include "api/item_forms.h"
#include "plugin/host_api.h"

namespace mx_api::envelope {

bool SetMediaItemEnvelopeAllOFF(MediaItem* item);

MX_MEDIA_INDEX_FORMS(Set, EnvelopeAllOFF)

}  // namespace mx_api::envelope
