#define PY_SSIZE_T_CLEAN
#include <Python.h>
#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "simhost/bridge_text.h"
#include "simhost/host.h"
#include "simhost/host_function.h"
#include "simhost/python_bridge.h"

namespace sim::python_bridge {

namespace {

// How a declared type crosses the bridge.
enum class Kind { Int, Bool, Double, Text, Buffer, IntRef, DoubleRef, BoolRef, TextOut, Pointer, Void };

Kind kind_of(const std::string& type) {
  static const std::map<std::string, Kind> kinds = {
      {"void", Kind::Void},         {"int", Kind::Int},           {"bool", Kind::Bool},
      {"double", Kind::Double},     {"const char*", Kind::Text},  {"char*", Kind::Buffer},
      {"int*", Kind::IntRef},       {"double*", Kind::DoubleRef}, {"bool*", Kind::BoolRef},
      {"const char**", Kind::TextOut},
  };
  const auto it = kinds.find(type);
  if (it != kinds.end()) return it->second;
  return !type.empty() && type.back() == '*' ? Kind::Pointer : Kind::Int;
}

// Kinds that make a call answer with a tuple of the result and every parameter.
bool is_output(Kind k) {
  return k == Kind::Buffer || k == Kind::IntRef || k == Kind::DoubleRef || k == Kind::BoolRef || k == Kind::TextOut;
}

struct Param {
  std::string type, name;
  Kind kind;
  bool sized;  // a char* whose capacity the next parameter (<name>_sz) gives
};

struct Function {
  std::string name, result_type, doc;
  Kind result;
  std::vector<Param> params;
  bool tuple = false;
  void* (*vararg)(void**, int);
  PyMethodDef def{};
};

using bridge_text::ends_with;
using bridge_text::split;

// ---- values from and to Python ----

PyObject* text_object(const char* text) {
  if (!text) Py_RETURN_NONE;
  return PyUnicode_DecodeUTF8(text, static_cast<Py_ssize_t>(std::strlen(text)), "surrogateescape");
}

// The bytes of a str (UTF-8, undecodable bytes kept) or bytes argument; false with a
// TypeError for anything else.
bool text_arg(PyObject* value, const Function& f, size_t i, std::string& out) {
  if (PyUnicode_Check(value)) {
    PyObject* bytes = PyUnicode_AsEncodedString(value, "utf-8", "surrogateescape");
    if (!bytes) return false;
    out.assign(PyBytes_AS_STRING(bytes), static_cast<size_t>(PyBytes_GET_SIZE(bytes)));
    Py_DECREF(bytes);
    return true;
  }
  if (PyBytes_Check(value)) {
    out.assign(PyBytes_AS_STRING(value), static_cast<size_t>(PyBytes_GET_SIZE(value)));
    return true;
  }
  PyErr_Format(PyExc_TypeError, "RPR_%s: %s must be a str, not %s", f.name.c_str(), f.params[i].name.c_str(),
               Py_TYPE(value)->tp_name);
  return false;
}

bool type_error(const Function& f, size_t i, const char* wanted, PyObject* value) {
  PyErr_Format(PyExc_TypeError, "RPR_%s: %s must be %s, not %s", f.name.c_str(), f.params[i].name.c_str(), wanted,
               Py_TYPE(value)->tp_name);
  return false;
}

bool int_arg(PyObject* value, const Function& f, size_t i, int& out) {
  if (!PyLong_Check(value)) return type_error(f, i, "an int", value);
  const long long v = PyLong_AsLongLong(value);
  if (v == -1 && PyErr_Occurred()) return false;
  if (v < INT_MIN || v > INT_MAX) {
    PyErr_Format(PyExc_OverflowError, "RPR_%s: %s does not fit a 32-bit int", f.name.c_str(),
                 f.params[i].name.c_str());
    return false;
  }
  out = static_cast<int>(v);
  return true;
}

bool double_arg(PyObject* value, const Function& f, size_t i, double& out) {
  if (!PyFloat_Check(value) && !PyLong_Check(value)) return type_error(f, i, "a float", value);
  out = PyFloat_AsDouble(value);
  return !(out == -1.0 && PyErr_Occurred());
}

bool bool_arg(PyObject* value, const Function& f, size_t i, bool& out) {
  if (!PyLong_Check(value)) return type_error(f, i, "a bool", value);  // bool is an int
  out = PyObject_IsTrue(value) == 1;
  return true;
}

}  // namespace

PyObject* to_handle(const void* pointer, const std::string& type) {
  char text[64];
  std::snprintf(text, sizeof text, "0x%016llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
  return PyUnicode_FromFormat("(%s)%s", type.c_str(), text);
}

bool from_handle(PyObject* value, void*& pointer) {
  pointer = nullptr;
  if (value == Py_None) return true;
  if (PyLong_Check(value) && !PyBool_Check(value)) {
    const unsigned long long v = PyLong_AsUnsignedLongLong(value);
    if (PyErr_Occurred()) return false;
    pointer = reinterpret_cast<void*>(static_cast<uintptr_t>(v));
    return true;
  }
  if (PyUnicode_Check(value)) {
    const char* text = PyUnicode_AsUTF8(value);
    if (!text) return false;
    if (!*text) return true;
    // "(Type*)0x<hex>": the type is not checked, as the host takes any object handle.
    const char* close = text[0] == '(' ? std::strchr(text, ')') : nullptr;
    if (close && close[1] == '0' && (close[2] == 'x' || close[2] == 'X') && close[3]) {
      const char* hex = close + 3;
      const size_t n = std::strlen(hex);
      if (n <= 16 && std::strspn(hex, "0123456789abcdefABCDEF") == n) {
        pointer = reinterpret_cast<void*>(static_cast<uintptr_t>(std::strtoull(hex, nullptr, 16)));
        return true;
      }
    }
    PyErr_Format(PyExc_TypeError, "not a host object handle: %R", value);
    return false;
  }
  PyErr_Format(PyExc_TypeError, "a host object handle must be a str, not %s", Py_TYPE(value)->tp_name);
  return false;
}

namespace {

Function parse(const ScriptFunction& s) {
  Function f;
  f.name = s.name;
  f.result_type = s.apidef;
  f.result = kind_of(f.result_type);
  f.vararg = s.vararg;
  const char* types = s.apidef + std::strlen(s.apidef) + 1;
  const char* names = types + std::strlen(types) + 1;
  const char* help = names + std::strlen(names) + 1;
  const auto t = split(types), n = split(names);
  for (size_t i = 0; i < t.size(); ++i) {
    Param p{t[i], i < n.size() ? n[i] : "p" + std::to_string(i), kind_of(t[i]), false};
    if (p.kind == Kind::Buffer && i + 1 < t.size() && t[i + 1] == "int" && i + 1 < n.size() && ends_with(n[i + 1], "_sz"))
      p.sized = true;
    f.tuple = f.tuple || is_output(p.kind);
    f.params.push_back(p);
  }
  std::string signature;
  for (const Param& p : f.params) signature += (signature.empty() ? "" : ", ") + p.type + " " + p.name;
  f.doc = f.result_type + " RPR_" + f.name + "(" + signature + ")\n" + help;
  return f;
}

size_t default_capacity(const Param& p) {
  const int set = Host::get().output_capacity;
  return set > 0 ? static_cast<size_t>(set) : (p.name.find("NeedBig") != std::string::npos ? (1u << 20) : 4096u);
}

constexpr long long MAX_CAPACITY = 1 << 26;

PyObject* result_object(const Function& f, void* result) {
  switch (f.result) {
    case Kind::Void: Py_RETURN_NONE;
    case Kind::Bool: return PyBool_FromLong(result != nullptr);
    case Kind::Double: return PyFloat_FromDouble(bits_double(result));
    case Kind::Text: return text_object(static_cast<const char*>(result));
    case Kind::Pointer: return to_handle(result, f.result_type);
    default: return PyLong_FromLong(static_cast<int>(reinterpret_cast<intptr_t>(result)));
  }
}

// Storage of one call: a slot per parameter (and a spare null one) and the values the
// slots point at.
struct Cell {
  int i = 0;
  double d = 0.0;
  bool b = false;
  std::string text;
  std::vector<char> buffer;
  const char* text_out = nullptr;
};
struct Frame {
  explicit Frame(size_t n) : slots(n + 1, nullptr), cells(n) {}
  std::vector<void*> slots;
  std::vector<Cell> cells;
};

bool optional(const Param& p) { return p.name.find("Optional") != std::string::npos; }

// Reads argument i into the frame; false with a Python exception set.
bool read_arg(const Function& f, size_t i, PyObject* value, PyObject* args, Frame& fr) {
  const Param& p = f.params[i];
  switch (p.kind) {
    case Kind::Int:
      if (!int_arg(value, f, i, fr.cells[i].i)) return false;
      fr.slots[i] = reinterpret_cast<void*>(static_cast<intptr_t>(fr.cells[i].i));
      return true;
    case Kind::Bool: {
      bool b = false;
      if (!bool_arg(value, f, i, b)) return false;
      fr.slots[i] = reinterpret_cast<void*>(static_cast<intptr_t>(b ? 1 : 0));
      return true;
    }
    case Kind::Double:
      if (!double_arg(value, f, i, fr.cells[i].d)) return false;
      fr.slots[i] = &fr.cells[i].d;
      return true;
    case Kind::Text:
      if (value == Py_None) return true;  // a null text
      if (!text_arg(value, f, i, fr.cells[i].text)) return false;
      fr.slots[i] = fr.cells[i].text.data();
      return true;
    case Kind::Buffer: {
      std::string initial;
      if (value != Py_None && !text_arg(value, f, i, initial)) return false;
      long long capacity = static_cast<long long>(default_capacity(p));
      if (p.sized) {
        int sz = 0;
        if (!int_arg(PyTuple_GET_ITEM(args, static_cast<Py_ssize_t>(i + 1)), f, i + 1, sz)) return false;
        capacity = std::clamp<long long>(sz, 0, MAX_CAPACITY);
      }
      fr.cells[i].buffer.assign(std::max<size_t>(static_cast<size_t>(capacity), initial.size() + 1), '\0');
      std::memcpy(fr.cells[i].buffer.data(), initial.data(), initial.size());
      fr.slots[i] = fr.cells[i].buffer.data();
      return true;
    }
    case Kind::IntRef:
    case Kind::DoubleRef:
    case Kind::BoolRef:
    case Kind::TextOut:
      if (value == Py_None && optional(p)) return true;  // left out: a null pointer
      if (p.kind == Kind::IntRef) {
        if (!int_arg(value, f, i, fr.cells[i].i)) return false;
        fr.slots[i] = &fr.cells[i].i;
      } else if (p.kind == Kind::DoubleRef) {
        if (!double_arg(value, f, i, fr.cells[i].d)) return false;
        fr.slots[i] = &fr.cells[i].d;
      } else if (p.kind == Kind::BoolRef) {
        if (!bool_arg(value, f, i, fr.cells[i].b)) return false;
        fr.slots[i] = &fr.cells[i].b;
      } else {
        fr.slots[i] = &fr.cells[i].text_out;
      }
      return true;
    case Kind::Pointer:
      if (!from_handle(value, fr.slots[i])) {
        PyErr_Clear();
        return type_error(f, i, "a host object handle", value);
      }
      return true;
    case Kind::Void: break;
  }
  return true;
}

// The new value of an output parameter, or the argument as it was passed.
PyObject* param_object(const Function& f, size_t i, PyObject* passed, Frame& fr) {
  const Param& p = f.params[i];
  const bool given = fr.slots[i] != nullptr;
  switch (p.kind) {
    case Kind::Buffer:
      fr.cells[i].buffer.back() = '\0';
      return text_object(fr.cells[i].buffer.data());
    case Kind::IntRef:
      if (given) return PyLong_FromLong(fr.cells[i].i);
      break;
    case Kind::DoubleRef:
      if (given) return PyFloat_FromDouble(fr.cells[i].d);
      break;
    case Kind::BoolRef:
      if (given) return PyBool_FromLong(fr.cells[i].b);
      break;
    case Kind::TextOut:
      if (given) return text_object(fr.cells[i].text_out);
      break;
    default: break;
  }
  Py_INCREF(passed);
  return passed;
}

PyObject* call(PyObject* self, PyObject* args) {
  const Function& f = *static_cast<const Function*>(PyCapsule_GetPointer(self, nullptr));
  const size_t n = f.params.size();
  if (static_cast<size_t>(PyTuple_GET_SIZE(args)) != n) {
    PyErr_Format(PyExc_TypeError, "RPR_%s takes %zu arguments (%zd given)", f.name.c_str(), n, PyTuple_GET_SIZE(args));
    return nullptr;
  }
  try {
    Frame fr(n);
    for (size_t i = 0; i < n; ++i)
      if (!read_arg(f, i, PyTuple_GET_ITEM(args, static_cast<Py_ssize_t>(i)), args, fr)) return nullptr;
    // A size parameter carries the capacity its buffer was given.
    for (size_t i = 0; i < n; ++i)
      if (f.params[i].sized)
        fr.slots[i + 1] = reinterpret_cast<void*>(static_cast<intptr_t>(std::clamp<long long>(fr.cells[i + 1].i, 0, MAX_CAPACITY)));

    void* result = f.vararg(fr.slots.data(), static_cast<int>(n));

    if (!f.tuple) return result_object(f, result);
    const Py_ssize_t first = f.result == Kind::Void ? 0 : 1;
    PyObject* out = PyTuple_New(first + static_cast<Py_ssize_t>(n));
    if (!out) return nullptr;
    if (first) PyTuple_SET_ITEM(out, 0, result_object(f, result));
    for (size_t i = 0; i < n; ++i)
      PyTuple_SET_ITEM(out, first + static_cast<Py_ssize_t>(i),
                       param_object(f, i, PyTuple_GET_ITEM(args, static_cast<Py_ssize_t>(i)), fr));
    for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(out); ++i)
      if (!PyTuple_GET_ITEM(out, i)) {
        Py_DECREF(out);
        return nullptr;
      }
    return out;
  } catch (const std::exception& e) {
    PyErr_Format(PyExc_RuntimeError, "RPR_%s: %s", f.name.c_str(), e.what());
  } catch (...) {
    PyErr_Format(PyExc_RuntimeError, "RPR_%s failed", f.name.c_str());
  }
  return nullptr;
}

// ---- the modules ----

struct Bridged {
  const char* module;
  const char* prefix;
  bool (*includes)(const ScriptFunction&);
  PyObject* object = nullptr;
  std::map<std::string, PyObject*> installed;  // exposed name -> function object
};

bool any_function(const ScriptFunction&) { return true; }

// The SWS extension's own functions: those whose adapter lives in its library file.
bool sws_function(const ScriptFunction& f) {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(f.vararg), &info) || !info.dli_fname) return false;
  return ends_with(info.dli_fname, "/reaper_sws.dylib");
}

Bridged reaper_module{"reaper_python", "RPR_", any_function, nullptr, {}};
Bridged sws_module{"sws_python", "", sws_function, nullptr, {}};

std::deque<Function>& functions() {
  static std::deque<Function> list;  // function objects point into it
  return list;
}

PyObject* function_object(const ScriptFunction& s) {
  Function* found = nullptr;
  for (Function& f : functions())
    if (f.name == s.name && f.vararg == s.vararg) found = &f;
  if (!found) {
    found = &functions().emplace_back(parse(s));
    found->def = {found->name.c_str(), call, METH_VARARGS, found->doc.c_str()};
  }
  Function& f = *found;
  PyObject* capsule = PyCapsule_New(&f, nullptr, nullptr);
  if (!capsule) return nullptr;
  PyObject* fn = PyCFunction_New(&f.def, capsule);
  Py_DECREF(capsule);
  return fn;
}

void refresh(Bridged& m) {
  if (!m.object) return;
  std::map<std::string, const ScriptFunction*> current;
  const auto registered = Host::get().script_functions();
  for (const ScriptFunction& f : registered)
    if (m.includes(f)) current.emplace(m.prefix + f.name, &f);
  for (auto it = m.installed.begin(); it != m.installed.end();) {
    if (current.count(it->first)) {
      ++it;
      continue;
    }
    if (PyObject_DelAttrString(m.object, it->first.c_str()) < 0) PyErr_Clear();
    it = m.installed.erase(it);
  }
  for (const auto& [name, f] : current) {
    if (m.installed.count(name)) continue;
    PyObject* fn = function_object(*f);
    if (!fn || PyModule_AddObject(m.object, name.c_str(), fn) < 0) {
      Py_XDECREF(fn);
      PyErr_Clear();
      continue;
    }
    m.installed.emplace(name, fn);
  }
}

PyModuleDef reaper_def = {PyModuleDef_HEAD_INIT, "reaper_python",
                          "The host's script functions and those extensions registered, as RPR_<name>.", -1,
                          nullptr, nullptr, nullptr, nullptr, nullptr};
PyModuleDef sws_def = {PyModuleDef_HEAD_INIT, "sws_python", "The SWS extension's script functions.", -1,
                       nullptr, nullptr, nullptr, nullptr, nullptr};

PyObject* open_module(PyModuleDef* def, Bridged& m) {
  PyObject* module = PyModule_Create(def);
  if (!module) return nullptr;
  m.object = module;
  m.installed.clear();
  refresh(m);
  Py_INCREF(module);  // kept for later refreshes while the interpreter lives
  return module;
}

PyObject* open_reaper() { return open_module(&reaper_def, reaper_module); }
PyObject* open_sws() { return open_module(&sws_def, sws_module); }

}  // namespace

void register_modules(bool with_sws) {
  PyImport_AppendInittab("reaper_python", open_reaper);
  if (with_sws) PyImport_AppendInittab("sws_python", open_sws);
  PyImport_AppendInittab("sim_python", python_controls::open);
}

void refresh() {
  refresh(reaper_module);
  refresh(sws_module);
}

}  // namespace sim::python_bridge
