// The host's message box and multi-field input dialog, for scripts that ask the user.
#pragma once

#include <string>
#include <vector>

namespace mx_api::UI {

// windowType 0..6 is the host's box type; false when the user pushed 2 (Cancel).
bool ShowMessageBox_Ex(const char* message, const char* title, int windowType, int* out);

// Shows inputNum fields with comma-separated captions and defaults; on confirmation
// appends the answers, split at commas, to `list`. False, list untouched, on cancel.
bool GetUserInputList(const std::string& title, int inputNum, const std::string& captions, const std::string& defaults,
                      std::vector<std::string>& list);

}  // namespace mx_api::UI
