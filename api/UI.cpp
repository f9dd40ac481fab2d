#include "api/UI.h"

#include <cstdint>

#include "api/string.h"
#include "plugin/api_registry.h"
#include "plugin/host_api.h"
#include "plugin/mx_error.h"
#include "utility/mx_utility.h"

namespace mx_api::UI {

using namespace mx_error;

namespace {
constexpr uint32_t LAST_WINDOW_TYPE = 6;
constexpr int CANCEL = 2;
// Defaults and answers share one buffer, as the host's dialog fills it in place.
constexpr int INPUT_BUFFER = 1024;
}  // namespace

bool ShowMessageBox_Ex(const char* message, const char* title, int windowType, int* out) {
  return frame(false, [&] {
    if (static_cast<uint32_t>(windowType) > LAST_WINDOW_TYPE) raise(ERR_INVALID_ARGUMENT);
    const int pushed =
        ShowMessageBox(mx_utility::text(message).c_str(), mx_utility::text(title).c_str(), windowType);
    put(out, pushed);
    return pushed != CANCEL;
  });
}

bool GetUserInputList(const std::string& title, int inputNum, const std::string& captions, const std::string& defaults,
                      std::vector<std::string>& list) {
  return frame(false, [&] {
    char values[INPUT_BUFFER] = {};
    mx_utility::strcpy(values, INPUT_BUFFER, defaults);
    if (!GetUserInputs(title.c_str(), inputNum, captions.c_str(), values, INPUT_BUFFER)) return false;
    values[INPUT_BUFFER - 1] = '\0';
    return string::GetStringSplitList(values, ",", list);
  });
}

namespace {
MX_FAMILY("Dialogs");
const mx_plugin::registrar definitions[] = {
    MX_DEF(99, ShowMessageBox_Ex, flag_bool, "messageStr,windowTitleStr,windowType,pushedButtonTypeOut",
           "message window"),
    MX_DEF_LIST(114, GetUserInputList, "bool", "const char*,int,const char*,const char*,Object*",
                "title,inputNum,captionList,defualtValueList,inputListOut", "Show input window"),
};
}  // namespace

}  // namespace mx_api::UI
