// The host's modal dialogs, answered by the test or script in advance: each message
// box takes the next queued button, each input dialog the next queued answer (values
// or cancel). A dialog with no answer queued is recorded as a violation and closed as
// cancelled, so a forgotten answer fails the test instead of waiting for a user.
#pragma once

#include <string>
#include <vector>

namespace sim::dialogs {

enum class Kind { message_box, inputs };

// What one dialog showed and how it was closed.
struct Shown {
  Kind kind = Kind::message_box;
  std::string title;
  // Message box: the message and the box type; the button it returned.
  std::string text;
  int type = 0;
  int button = 0;
  // Input dialog: field count, captions and initial values as handed to the host; the
  // answer it returned and whether it was confirmed.
  int fields = 0;
  std::string captions, initial, answer;
  bool confirmed = false;
};

void answer_message_box(int button);
void answer_inputs(const std::string& values);
void cancel_inputs();

const std::vector<Shown>& log();
// Answers queued but not yet taken by a dialog.
size_t pending();

// The button and value a dialog gets when nothing was queued for it.
constexpr int CANCEL = 2;

}  // namespace sim::dialogs
