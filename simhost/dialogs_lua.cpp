// Script controls for the host's dialogs: queue the user's answers before the call
// that shows a dialog, and read back what each dialog showed.
//   sim.answer_message_box(button, ...)    one button per box, in order
//   sim.answer_inputs("a,b") or ({"a", "b"})  the confirmed values of one input dialog
//   sim.cancel_inputs()                     the next input dialog is cancelled
//   sim.dialogs()                           the log: one table per dialog shown
//   sim.pending_answers()                   answers queued but not yet taken
#include <lua.hpp>

#include <string>

#include "simhost/dialogs.h"
#include "simhost/lua_bridge.h"

namespace sim {
namespace {

int answer_message_box(lua_State* L) {
  luaL_checkinteger(L, 1);
  for (int i = 1; i <= lua_gettop(L); ++i) dialogs::answer_message_box(static_cast<int>(luaL_checkinteger(L, i)));
  return 0;
}

int answer_inputs(lua_State* L) {
  if (!lua_istable(L, 1)) {
    dialogs::answer_inputs(luaL_checkstring(L, 1));
    return 0;
  }
  std::string joined;
  const lua_Integer n = static_cast<lua_Integer>(lua_rawlen(L, 1));
  for (lua_Integer i = 1; i <= n; ++i) {
    lua_rawgeti(L, 1, i);
    if (i > 1) joined += ',';
    joined += luaL_checkstring(L, -1);
    lua_pop(L, 1);
  }
  dialogs::answer_inputs(joined);
  return 0;
}

int cancel_inputs(lua_State*) {
  dialogs::cancel_inputs();
  return 0;
}

void set(lua_State* L, const char* key, const std::string& value) {
  lua_pushlstring(L, value.data(), value.size());
  lua_setfield(L, -2, key);
}

void set(lua_State* L, const char* key, int value) {
  lua_pushinteger(L, value);
  lua_setfield(L, -2, key);
}

int shown_dialogs(lua_State* L) {
  const auto& log = dialogs::log();
  lua_createtable(L, static_cast<int>(log.size()), 0);
  for (size_t i = 0; i < log.size(); ++i) {
    const dialogs::Shown& d = log[i];
    lua_newtable(L);
    set(L, "title", d.title);
    if (d.kind == dialogs::Kind::message_box) {
      set(L, "kind", std::string("message_box"));
      set(L, "text", d.text);
      set(L, "type", d.type);
      set(L, "button", d.button);
    } else {
      set(L, "kind", std::string("inputs"));
      set(L, "fields", d.fields);
      set(L, "captions", d.captions);
      set(L, "initial", d.initial);
      set(L, "answer", d.answer);
      lua_pushboolean(L, d.confirmed);
      lua_setfield(L, -2, "confirmed");
    }
    lua_rawseti(L, -2, static_cast<lua_Integer>(i + 1));
  }
  return 1;
}

int pending_answers(lua_State* L) {
  lua_pushinteger(L, static_cast<lua_Integer>(dialogs::pending()));
  return 1;
}

const lua_bridge::control_registrar controls[] = {
    {"answer_message_box", answer_message_box},
    {"answer_inputs", answer_inputs},
    {"cancel_inputs", cancel_inputs},
    {"dialogs", shown_dialogs},
    {"pending_answers", pending_answers},
};

}  // namespace
}  // namespace sim
