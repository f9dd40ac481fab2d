// The container and record functions Python scripts call by name through their
// foreign-function library. Handles are 64-bit; text comes back in caller buffers of at
// least TEXT_BUFFER bytes, cut to TEXT_BUFFER - 1. None of them sets an error code or
// lets an exception out: what names nothing, or lies outside, gives the type's default.
#pragma once

#include "plugin/export.h"

namespace python_api {
constexpr int TEXT_BUFFER = 1024;
}

// (name in the function names, C type) of the values read and written as such; text is
// passed in as const char* and read back into a buffer.
#define MX_PY_SCALARS(X) X(ptr, void*) X(int, int) X(double, double) X(bool, bool)

#define MX_PY_DECLARE_SETTERS(name, T)                                                      \
  MX_EXPORT void py_set_array_##name(unsigned long long handle, T value) noexcept;          \
  MX_EXPORT void py_set_map_##name(unsigned long long handle, const char* key, T value) noexcept; \
  MX_EXPORT void py_set_##name##_inmxObj(unsigned long long handle, const char* key, T value) noexcept;
#define MX_PY_DECLARE_GETTERS(name, T)                                                         \
  MX_EXPORT T py_get_##name##_inarray(unsigned long long handle, int index) noexcept;          \
  MX_EXPORT T py_get_##name##_inmap(unsigned long long handle, int position, char* keyOut) noexcept; \
  MX_EXPORT T py_get_##name##_inmxobj(unsigned long long handle, const char* key) noexcept;

MX_EXPORT unsigned long long py_create_array() noexcept;
MX_EXPORT unsigned long long py_create_map() noexcept;
MX_EXPORT unsigned long long py_create_mxList_array() noexcept;
// typeName: "TrackDetail", "mx_Midi" or "mx_Peak"; 0 for another name or no such list.
MX_EXPORT unsigned long long py_create_mxObj_inarray(unsigned long long listHandle, const char* typeName) noexcept;

MX_PY_SCALARS(MX_PY_DECLARE_SETTERS)
MX_PY_DECLARE_SETTERS(string, const char*)
MX_PY_SCALARS(MX_PY_DECLARE_GETTERS)
MX_EXPORT void py_get_string_inarray(unsigned long long handle, int index, char* valueOut) noexcept;
MX_EXPORT void py_get_string_inmap(unsigned long long handle, int position, char* keyOut, char* valueOut) noexcept;
MX_EXPORT void py_get_string_inmxobj(unsigned long long handle, const char* key, char* valueOut) noexcept;

// Elements of an array or list, entries of a map, present fields of a record.
MX_EXPORT int py_get_obj_size(unsigned long long handle) noexcept;
MX_EXPORT void py_get_key_inmxObj(unsigned long long handle, int index, char* keyOut, char* typeOut) noexcept;

MX_EXPORT void py_release_obj(unsigned long long handle) noexcept;
MX_EXPORT void py_release_obj2(unsigned long long handle) noexcept;

#undef MX_PY_DECLARE_SETTERS
#undef MX_PY_DECLARE_GETTERS
