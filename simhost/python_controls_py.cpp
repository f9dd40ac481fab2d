// Simulator-only controls for Python scripts, `import sim_python`:
//   reset()                          a fresh session; functions withdrawn come back
//   write_tone(path, hz, amplitude, seconds, rate, channels[, bits])
//                                    a sine through libsndfile (WAV, or FLAC / AIFF by the
//                                    extension); bits 8, 16 (default), 24, 32 or "float"
//   answer_inputs(values)            the confirmed values ("a,b" or a list) of the next
//                                    input dialog
//   cancel_inputs()                  the next input dialog is cancelled
//   answer_message_box(button, ...)  one button per message box, in order
//   violations()                     the dead or mistyped objects extensions handed the
//                                    host since the last call, as texts
//   remove_sws(), restore_sws()      withdraw and put back the SWS extension's functions
#define PY_SSIZE_T_CLEAN
#include <Python.h>
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "simhost/dialogs.h"
#include "simhost/host.h"
#include "simhost/python_bridge.h"
#include "simhost/source.h"

namespace sim::python_controls {

namespace {

PyObject* reset(PyObject*, PyObject*) {
  Host::get().reset_session();
  python_bridge::refresh();
  Py_RETURN_NONE;
}

PyObject* write_tone(PyObject*, PyObject* args) {
  const char* path = nullptr;
  double hz = 0, amplitude = 0, seconds = 0;
  int rate = 0, channels = 0;
  PyObject* given = nullptr;
  if (!PyArg_ParseTuple(args, "sdddii|O:write_tone", &path, &hz, &amplitude, &seconds, &rate, &channels, &given))
    return nullptr;
  int bits = 16;
  if (given && PyUnicode_Check(given)) bits = PyUnicode_CompareWithASCIIString(given, "float") == 0 ? 0 : -1;
  else if (given) bits = PyLong_Check(given) ? static_cast<int>(std::clamp(PyLong_AsLong(given), -1L, 64L)) : -1;
  if (PyErr_Occurred()) return nullptr;
  const ToneWritten tone = write_tone_file(path, hz, amplitude, seconds, rate, channels, bits);
  if (tone.outcome == ToneWritten::bad_argument) return PyErr_Format(PyExc_ValueError, "%s", tone.message.c_str());
  if (tone.outcome == ToneWritten::not_written) return PyErr_Format(PyExc_OSError, "write_tone: %s", tone.message.c_str());
  Py_RETURN_TRUE;
}

PyObject* answer_inputs(PyObject*, PyObject* values) {
  std::string joined;
  if (PyUnicode_Check(values)) {
    const char* text = PyUnicode_AsUTF8(values);
    if (!text) return nullptr;
    joined = text;
  } else {
    PyObject* items = PySequence_Fast(values, "answer_inputs: a str or a list of str");
    if (!items) return nullptr;
    for (Py_ssize_t i = 0; i < PySequence_Fast_GET_SIZE(items); ++i) {
      const char* text = PyUnicode_AsUTF8(PySequence_Fast_GET_ITEM(items, i));
      if (!text) {
        Py_DECREF(items);
        return nullptr;
      }
      joined += (i ? "," : "") + std::string(text);
    }
    Py_DECREF(items);
  }
  dialogs::answer_inputs(joined);
  Py_RETURN_NONE;
}

PyObject* cancel_inputs(PyObject*, PyObject*) {
  dialogs::cancel_inputs();
  Py_RETURN_NONE;
}

PyObject* answer_message_box(PyObject*, PyObject* args) {
  for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(args); ++i) {
    const long button = PyLong_AsLong(PyTuple_GET_ITEM(args, i));
    if (PyErr_Occurred()) return nullptr;
    dialogs::answer_message_box(static_cast<int>(button));
  }
  Py_RETURN_NONE;
}

PyObject* violations(PyObject*, PyObject*) {
  const auto list = Host::get().take_violations();
  PyObject* out = PyList_New(static_cast<Py_ssize_t>(list.size()));
  if (!out) return nullptr;
  for (size_t i = 0; i < list.size(); ++i) {
    PyObject* text = PyUnicode_DecodeUTF8(list[i].data(), static_cast<Py_ssize_t>(list[i].size()), "replace");
    if (!text) {
      Py_DECREF(out);
      return nullptr;
    }
    PyList_SET_ITEM(out, static_cast<Py_ssize_t>(i), text);
  }
  return out;
}

PyObject* remove_sws(PyObject*, PyObject*) {
  Host::get().remove_sws();
  python_bridge::refresh();
  Py_RETURN_NONE;
}

PyObject* restore_sws(PyObject*, PyObject*) {
  Host::get().restore_withdrawn();
  python_bridge::refresh();
  Py_RETURN_NONE;
}

PyMethodDef methods[] = {
    {"reset", reset, METH_NOARGS, "a fresh session"},
    {"write_tone", write_tone, METH_VARARGS, "write_tone(path, hz, amplitude, seconds, rate, channels[, bits])"},
    {"answer_inputs", answer_inputs, METH_O, "the confirmed values of the next input dialog"},
    {"cancel_inputs", cancel_inputs, METH_NOARGS, "the next input dialog is cancelled"},
    {"answer_message_box", answer_message_box, METH_VARARGS, "one button per message box, in order"},
    {"violations", violations, METH_NOARGS, "dead or mistyped objects handed to the host since the last call"},
    {"remove_sws", remove_sws, METH_NOARGS, "withdraw the SWS extension's functions"},
    {"restore_sws", restore_sws, METH_NOARGS, "put back what was withdrawn"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {PyModuleDef_HEAD_INIT, "sim_python", "Simulator-only controls.", -1, methods,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyObject* open() { return PyModule_Create(&definition); }

}  // namespace sim::python_controls
