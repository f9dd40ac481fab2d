#include "api/envelope.h"

#include "plugin/api_registry.h"
#include "plugin/dependency_manager.h"
#include "plugin/mx_error.h"

namespace mx_api::envelope {

using namespace mx_error;

MX_SWS_FUNCTION(BR_EnvAlloc);
MX_SWS_FUNCTION(BR_EnvGetProperties);
MX_SWS_FUNCTION(BR_EnvSetProperties);
MX_SWS_FUNCTION(BR_EnvFree);

namespace {

void switch_off(TrackEnvelope* envelope) {
  BR_Envelope* handle = BR_EnvAlloc(envelope, false);
  // An envelope the extension cannot take up would stay on while the call claimed success.
  if (!handle) raise(ERR_SET_FAILED);
  bool active = false, visible = false, armed = false, in_lane = false, fader_scaling = false;
  int lane_height = 0, default_shape = 0, automation_items = -1;
  BR_EnvGetProperties(handle, &active, &visible, &armed, &in_lane, &lane_height, &default_shape, nullptr, nullptr,
                      nullptr, nullptr, &fader_scaling, &automation_items);
  BR_EnvSetProperties(handle, false, false, armed, in_lane, lane_height, default_shape, fader_scaling,
                      &automation_items);
  // Its result says only whether something changed; an envelope already off is fine.
  BR_EnvFree(handle, true);
}

}  // namespace

bool SetMediaItemEnvelopeAllOFF(MediaItem* item) {
  return frame([&] {
    dependency_manager::require_sws("MX_SetMediaItemEnvelopeAllOFF", BR_EnvAlloc, BR_EnvGetProperties,
                                    BR_EnvSetProperties, BR_EnvFree);
    MediaItem_Take* take = item_forms::active_take(item);
    const int count = CountTakeEnvelopes(take);
    for (int i = 0; i < count; ++i) {
      if (TrackEnvelope* envelope = GetTakeEnvelope(take, i)) switch_off(envelope);
    }
  });
}

namespace {
MX_FAMILY("Envelopes");
const mx_plugin::registrar definitions[] = {
    MX_DEF(96, SetMediaItemEnvelopeAllOFF, flag_void, "item", "SetMediaItemEnvelopeAllOFF"),
    MX_DEF(97, SetMediaIdEnvelopeAllOFF, flag_void, "projID,itemID", "SetMediaIdEnvelopeAllOFF"),
    MX_DEF(98, SetSelectedMediaIdEnvelopeAllOFF, flag_void, "projID,itemID", "SetSelectedMediaIdEnvelopeAllOFF"),
};
}  // namespace

}  // namespace mx_api::envelope
