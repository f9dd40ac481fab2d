// Command-line runner: lays out a sandbox home, loads the error-code sink, the SWS
// extension and the plug-in build matching this runner's Lua, and runs a Lua script
// against them.
//   mxhost54 [--plugin PATH] script.lua [args...]
#include <lua.hpp>

#include <cstdio>
#include <filesystem>
#include <string>

#include "simhost/host.h"
#include "simhost/lua_bridge.h"

namespace {

int traceback(lua_State* L) {
  luaL_traceback(L, L, lua_tostring(L, 1), 1);
  return 1;
}

std::string plugin_file_name() {
#if LUA_VERSION_NUM >= 504
  return "libreaper_MIXVALE_COBALT_for_7.x.so";
#else
  return "libreaper_MIXVALE_COBALT_for_6.x.so";
#endif
}

int run(const sim::ScriptRun& run) {
  const std::string script = run.argv[0];
  const std::string plugins = std::filesystem::path(run.plugin_path).parent_path().string();
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  sim::lua_bridge::install(L);

  // require finds the plug-in in the user plug-in folder under its module name, and
  // the script's own folder holds its helper modules.
  const std::string dir = std::filesystem::absolute(script).parent_path().string();
  lua_getglobal(L, "package");
  const std::string pattern = plugin_file_name();
  const std::string cpath = plugins + "/lib?" + pattern.substr(pattern.find("_for_")) + ";" +
                            plugins + "/?.so";
  lua_pushstring(L, cpath.c_str());
  lua_setfield(L, -2, "cpath");
  lua_pushstring(L, (dir + "/?.lua;" + dir + "/lib/?.lua").c_str());
  lua_setfield(L, -2, "path");
  lua_pop(L, 1);

  lua_createtable(L, run.argc, 0);
  for (int i = 0; i < run.argc; ++i) {
    lua_pushstring(L, run.argv[i]);
    lua_rawseti(L, -2, i);
  }
  lua_setglobal(L, "arg");

  int status = 0;
  lua_pushcfunction(L, traceback);
  if (luaL_loadfile(L, script.c_str()) != LUA_OK || lua_pcall(L, 0, 0, -2) != LUA_OK) {
    std::fprintf(stderr, "%s\n", lua_tostring(L, -1));
    status = 1;
  }
  lua_close(L);
  return status;
}

}  // namespace

int main(int argc, char** argv) { return sim::run_script_host(argc, argv, MXSIM_PLUGIN, plugin_file_name(), &run); }
