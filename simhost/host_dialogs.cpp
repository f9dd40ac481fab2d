// The host's message box and input dialog. Nobody sits at the simulated host, so each
// dialog takes the answer queued for it and records what the user would have seen.
#include <cstring>
#include <deque>
#include <string>

#include "simhost/dialogs.h"
#include "simhost/host.h"
#include "simhost/host_function.h"

namespace sim {

namespace dialogs {
namespace {

struct InputAnswer {
  bool confirmed;
  std::string values;
};

struct State {
  std::deque<int> buttons;
  std::deque<InputAnswer> inputs;
  std::vector<Shown> log;
};

State& state() {
  static State s;
  return s;
}

const reset_hook clear_dialogs{[] { state() = State{}; }};

}  // namespace

void answer_message_box(int button) { state().buttons.push_back(button); }
void answer_inputs(const std::string& values) { state().inputs.push_back({true, values}); }
void cancel_inputs() { state().inputs.push_back({false, {}}); }
const std::vector<Shown>& log() { return state().log; }
size_t pending() { return state().buttons.size() + state().inputs.size(); }

}  // namespace dialogs

namespace {

using dialogs::Kind;
using dialogs::Shown;

std::string text(const char* s) { return s ? s : ""; }

Shown shown_as(Kind kind, const char* title) {
  Shown shown;
  shown.kind = kind;
  shown.title = text(title);
  return shown;
}

// Takes the next queued answer; with none queued the dialog counts as unanswered.
template <class Answer>
bool take(std::deque<Answer>& queue, Answer& answer, const std::string& title) {
  if (queue.empty()) {
    Host::get().note_violation("unanswered dialog: " + title);
    return false;
  }
  answer = queue.front();
  queue.pop_front();
  return true;
}

int ShowMessageBox(const char* msg, const char* title, int type) {
  Shown shown = shown_as(Kind::message_box, title);
  shown.text = text(msg);
  shown.type = type;
  if (!take(dialogs::state().buttons, shown.button, shown.title)) shown.button = dialogs::CANCEL;
  dialogs::state().log.push_back(shown);
  return shown.button;
}

// The answers replace the initial values in the caller's buffer, cut to its capacity.
bool GetUserInputs(const char* title, int num_inputs, const char* captions_csv, char* retvals_csv,
                   int retvals_csv_sz) {
  Shown shown = shown_as(Kind::inputs, title);
  shown.fields = num_inputs;
  shown.captions = text(captions_csv);
  const bool has_buffer = retvals_csv && retvals_csv_sz > 0;
  if (!has_buffer) Host::get().note_violation("GetUserInputs: no values buffer");
  else shown.initial.assign(retvals_csv, strnlen(retvals_csv, static_cast<size_t>(retvals_csv_sz)));
  dialogs::InputAnswer answer{false, {}};
  take(dialogs::state().inputs, answer, shown.title);
  if (answer.confirmed && has_buffer) {
    shown.answer = answer.values.substr(0, static_cast<size_t>(retvals_csv_sz) - 1);
    std::memcpy(retvals_csv, shown.answer.c_str(), shown.answer.size() + 1);
    shown.confirmed = true;
  }
  dialogs::state().log.push_back(shown);
  return shown.confirmed;
}

SIM_HOST_FUNCTION(ShowMessageBox, "msg,title,type");
SIM_HOST_FUNCTION(GetUserInputs, "title,num_inputs,captions_csv,retvals_csv,retvals_csv_sz");

}  // namespace

}  // namespace sim
