#include "plugin/dependency_manager.h"

#include "utility/mx_app.h"
#include "utility/mx_utility.h"

namespace dependency_manager {

namespace {

constexpr int YES_NO = 4;
constexpr int YES = 6;

// The system's tool that hands an address to the user's default browser.
#ifdef __APPLE__
constexpr const char* OPEN_COMMAND = "open %s";
#else
constexpr const char* OPEN_COMMAND = "xdg-open %s";
#endif

// One shell word whatever the text holds: single quotes, each inner quote closed,
// escaped and reopened.
std::string shell_quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Before the first load no catalogue is chosen; the dialog then speaks English.
mx_app::message& catalogue() {
  static mx_app::message_en fallback;
  return mx_app::message_list ? *mx_app::message_list : fallback;
}

}  // namespace

void assert_not_installed(const char* name, const char* /*program_name*/, third_plugin plugin) noexcept {
  if (plugin != SWS) return;
  // The dialog is a courtesy on the way to an error code; nothing in it may end the call otherwise.
  try {
    mx_app::message& texts = catalogue();
    const std::string text =
        mx_utility::format(texts.MSG_DEPENDENCY_ERROR(), name ? name : "", texts.SWS_PROGRAM_NAME(), texts.URL_SWS());
    if (ShowMessageBox(text.c_str(), texts.ERROR_TITLE(), YES_NO) == YES)
      mx_utility::exec_command(mx_utility::format(OPEN_COMMAND, shell_quoted(texts.URL_SWS()).c_str()));
  } catch (...) {
  }
}

void* lookup(const char* name) {
  void* found = reaper_plugin && reaper_plugin->GetFunc ? reaper_plugin->GetFunc(name) : nullptr;
  if (!found) throw function_unload_exception(name);
  return found;
}

}  // namespace dependency_manager
