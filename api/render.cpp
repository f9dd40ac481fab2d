#include "api/render.h"

#include <string>

#include "api/action.h"
#include "plugin/Bridge_IF.h"
#include "plugin/api_registry.h"
#include "plugin/mx_error.h"
#include "utility/mx_utility.h"

namespace mx_api::render {

using namespace mx_error;

namespace {
constexpr int CROP_TO_ACTIVE_TAKE = 40131;
constexpr int RENDER_TO_NEW_TAKE = 41999;
}  // namespace

bool RenderMediaItemActiveTake(MediaItem* item) {
  return frame([&] {
    MediaItem_Take* take = item_forms::active_take(item);
    // Without audio there is nothing to render; the other takes must not be cropped away for it.
    if (!GetMediaItemTake_Source(take)) raise(ERR_NO_SOURCE);
    std::string name = mx_utility::text(GetTakeName(take));
    if (CountTakes(item) != 1) action::ActionMediaItemSelectKeep(item, CROP_TO_ACTIVE_TAKE);
    action::ActionMediaItemSelectKeep(item, RENDER_TO_NEW_TAKE);
    MediaItem_Take* rendered = GetActiveTake(item);
    // The render makes a new active take; without one the old take would be renamed and
    // the call would claim a render that did not happen.
    if (!rendered || rendered == take) raise(ERR_SET_FAILED);
    if (!GetSetMediaItemTakeInfo_String(rendered, "P_NAME", name.data(), true)) raise(ERR_SET_FAILED);
    Bridge_IF::reset_errorCode();
  });
}

namespace {
MX_FAMILY("Rendering");
const mx_plugin::registrar definitions[] = {
    MX_DEF(93, RenderMediaItemActiveTake, flag_void, "item", "RenderMediaItemActiveTake"),
    MX_DEF(94, RenderMediaIdActiveTake, flag_void, "projID,itemID", "RenderMediaIdActiveTake"),
    MX_DEF(95, RenderSelectedMediaIdActiveTake, flag_void, "projID,selectItemID", "RenderSelectedMediaIdActiveTake"),
};
}  // namespace

}  // namespace mx_api::render
