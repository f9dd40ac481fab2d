// Command-line runner for Python scripts: lays out a sandbox home, loads the error-code
// sink, the SWS extension and a plug-in build as the host does, and runs a Python script
// in an embedded interpreter with the host's bridge modules (reaper_python, sws_python)
// and the simulator's controls (sim_python).
//   mxhost-py [--plugin PATH] script.py [args...]
// The script finds the loaded plug-in file in MXSIM_PLUGIN; ctypes.CDLL of that path is
// the very instance the host entered.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "simhost/host.h"
#include "simhost/python_bridge.h"

namespace {

bool wanted(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value && std::strcmp(value, "0") != 0;
}

// Starts the interpreter on the script; false after printing why it could not.
bool start(int argc, char** argv) {
  PyConfig config;
  PyConfig_InitPythonConfig(&config);
  config.parse_argv = 0;  // the script's arguments are its own
  PyStatus status = PyConfig_SetBytesArgv(&config, argc, argv);
  if (!PyStatus_Exception(status)) status = PyConfig_SetBytesString(&config, &config.run_filename, argv[0]);
  if (!PyStatus_Exception(status)) status = Py_InitializeFromConfig(&config);
  PyConfig_Clear(&config);
  if (PyStatus_Exception(status)) {
    std::fprintf(stderr, "mxhost-py: %s\n", status.err_msg ? status.err_msg : "cannot start Python");
    return false;
  }
  return true;
}

int run(int argc, char** argv) {
  std::string plugin = MXSIM_PLUGIN_7;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "--plugin") == 0) {
    plugin = argv[2];
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: %s [--plugin PATH] script.py [args...]\n", argv[0]);
    return 2;
  }

  sim::Host& host = sim::Host::get();
  host.make_sandbox();
  // MXSIM_NO_SINK runs a session without the error-code sink installed.
  if (!std::getenv("MXSIM_NO_SINK")) host.install_sink();
  // MXSIM_NO_SWS=1 runs it without the SWS extension, as on a machine that lacks it.
  const bool with_sws = !wanted("MXSIM_NO_SWS");
  if (with_sws) host.install_sws();
  const std::string file_name = std::filesystem::path(plugin).filename().string();
  host.install_and_load(plugin, file_name);
  setenv("MXSIM_PLUGIN", (host.user_plugins() + "/" + file_name).c_str(), 1);

  sim::python_bridge::register_modules(with_sws);
  // Py_RunMain prints an uncaught exception's traceback and answers 1, or the code of
  // sys.exit, and ends the interpreter.
  const int status = start(argc - first, argv + first) ? Py_RunMain() : 2;
  host.unload_all();
  if (!std::getenv("MXSIM_KEEP_HOME")) host.remove_sandbox();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mxhost-py: %s\n", e.what());
    sim::Host::get().remove_sandbox();
    return 2;
  }
}
