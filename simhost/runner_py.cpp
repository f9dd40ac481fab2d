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
#include <cstring>

#include "simhost/host.h"
#include "simhost/python_bridge.h"

namespace {

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

int run(const sim::ScriptRun& run) {
  setenv("MXSIM_PLUGIN", run.plugin_path.c_str(), 1);
  sim::python_bridge::register_modules(run.with_sws);
  // Py_RunMain prints an uncaught exception's traceback and answers 1, or the code of
  // sys.exit, and ends the interpreter.
  return start(run.argc, run.argv) ? Py_RunMain() : 2;
}

}  // namespace

int main(int argc, char** argv) { return sim::run_script_host(argc, argv, MXSIM_PLUGIN_7, "", &run); }
