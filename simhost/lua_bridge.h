// The host's script bridge for Lua: a `reaper` table with every script function the
// host knows (its own and those extensions registered), converting arguments and
// outputs as the host does, and a `sim` table of simulator-only controls.
#pragma once

struct lua_State;

namespace sim::lua_bridge {

using control = int (*)(lua_State*);

// Adds a function to the `sim` table; files named *_lua.cpp declare theirs with it.
struct control_registrar {
  control_registrar(const char* name, control function);
};

void install(lua_State* L);

// Brings the `reaper` table in line with the functions registered now: adds new ones and
// drops those withdrawn since.
void refresh(lua_State* L);

}  // namespace sim::lua_bridge
