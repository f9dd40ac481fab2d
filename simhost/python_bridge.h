// The host's script bridge for Python: built-in modules `reaper_python` (every script
// function the host knows, its own and those extensions registered, as RPR_<name>),
// `sws_python` (the SWS extension's functions under their own names, present only when
// the extension is installed) and `sim_python` (simulator-only controls). Host objects
// travel as text handles such as "(MediaItem*)0x00007f1234567890".
#pragma once

#include <string>

typedef struct _object PyObject;

namespace sim::python_bridge {

// Adds the modules to the interpreter's built-ins; call before it starts.
void register_modules(bool with_sws);

// Brings reaper_python and sws_python in line with the functions registered now: adds
// new ones and drops those withdrawn since.
void refresh();

// A host object as the script sees it, and back: null for None, 0, "" or a zero address;
// false (with a Python TypeError set) for anything else that is not a handle.
PyObject* to_handle(const void* pointer, const std::string& type);
bool from_handle(PyObject* value, void*& pointer);

}  // namespace sim::python_bridge

namespace sim::python_controls {
// The `sim_python` module (python_controls_py.cpp).
PyObject* open();
}  // namespace sim::python_controls
