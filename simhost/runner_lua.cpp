// Command-line runner: lays out a sandbox home, loads the error-code sink, the SWS
// extension and the plug-in build matching this runner's Lua, and runs a Lua script
// against them.
//   mxhost54 [--plugin PATH] script.lua [args...]
#include <lua.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
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

int run(int argc, char** argv) {
  std::string plugin = MXSIM_PLUGIN;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "--plugin") == 0) {
    plugin = argv[2];
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: %s [--plugin PATH] script.lua [args...]\n", argv[0]);
    return 2;
  }
  const std::string script = argv[first];

  sim::Host& host = sim::Host::get();
  host.make_sandbox();
  // MXSIM_NO_SINK runs a session without the error-code sink installed.
  if (!std::getenv("MXSIM_NO_SINK")) host.install_sink();
  // MXSIM_NO_SWS=1 runs it without the SWS extension, as on a machine that lacks it.
  const char* no_sws = std::getenv("MXSIM_NO_SWS");
  if (!no_sws || !*no_sws || std::strcmp(no_sws, "0") == 0) host.install_sws();
  host.install_and_load(plugin, plugin_file_name());

  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  sim::lua_bridge::install(L);

  // require finds the plug-in in the user plug-in folder under its module name, and
  // the script's own folder holds its helper modules.
  const std::string dir = std::filesystem::absolute(script).parent_path().string();
  lua_getglobal(L, "package");
  const std::string pattern = plugin_file_name();
  const std::string cpath = host.user_plugins() + "/lib?" + pattern.substr(pattern.find("_for_")) + ";" +
                            host.user_plugins() + "/?.so";
  lua_pushstring(L, cpath.c_str());
  lua_setfield(L, -2, "cpath");
  lua_pushstring(L, (dir + "/?.lua;" + dir + "/lib/?.lua").c_str());
  lua_setfield(L, -2, "path");
  lua_pop(L, 1);

  lua_createtable(L, argc - first, 0);
  for (int i = first; i < argc; ++i) {
    lua_pushstring(L, argv[i]);
    lua_rawseti(L, -2, i - first);
  }
  lua_setglobal(L, "arg");

  int status = 0;
  lua_pushcfunction(L, traceback);
  if (luaL_loadfile(L, script.c_str()) != LUA_OK || lua_pcall(L, 0, 0, -2) != LUA_OK) {
    std::fprintf(stderr, "%s\n", lua_tostring(L, -1));
    status = 1;
  }
  lua_close(L);
  host.unload_all();
  if (!std::getenv("MXSIM_KEEP_HOME")) host.remove_sandbox();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mxhost: %s\n", e.what());
    sim::Host::get().remove_sandbox();
    return 2;
  }
}
