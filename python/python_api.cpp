#include "python/python_api.h"

#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include "object/TrackDetail.h"
#include "object/mx_Midi.h"
#include "object/mx_Peak.h"
#include "python/python_utility.h"
#include "utility/mx_utility.h"

using mx_object::mx_List;

namespace python_api {

namespace {

// Nothing may be thrown into the script's foreign call: a failure inside (only running
// out of memory can throw here) gives the default.
template <class R = void, class Work>
R shielded(Work&& work) noexcept {
  try {
    return work();
  } catch (...) {
    if constexpr (!std::is_void_v<R>) return R{};
  }
}

template <class T>
T stored(T value) {
  return value;
}
std::string stored(const char* text) { return mx_utility::text(text); }

void write_text(char* buffer, const std::string& text) { mx_utility::strcpy(buffer, TEXT_BUFFER, text); }

template <class T>
T read_array(unsigned long long handle, int index) {
  return python_utility::get_value_inarray<T>(handle, index);
}
// A record list reads through the pointer getter: its elements are record handles.
template <>
void* read_array<void*>(unsigned long long handle, int index) {
  if (void* value = python_utility::get_value_inarray<void*>(handle, index)) return value;
  const mx_List::record_list* list = mx_object::pooled(mx_List::mxList_pool, handle);
  if (!list || index < 0 || static_cast<size_t>(index) >= list->size()) return nullptr;
  return (*list)[static_cast<size_t>(index)];
}

}  // namespace

template <class T>
void py_set_value_inmxObj_main(unsigned long long handle, const char* key, T value) {
  if (mx_List* record = mx_List::find_record(handle))
    record->set_value(mx_utility::text(key), mx_object::pool_value<T>(std::move(value)));
}

template <class T>
T py_get_value_inmxobj_main(unsigned long long handle, const char* key) {
  mx_List* record = mx_List::find_record(handle);
  return record ? mx_object::value_as<T>(record->get_value(mx_utility::text(key))) : T{};
}

template <class T>
T py_get_value_inmap(unsigned long long handle, int position, char* keyOut) {
  auto entry = python_utility::get_value_inmap<T>(handle, position);
  write_text(keyOut, entry.first);
  return std::move(entry.second);
}

}  // namespace python_api

using namespace python_api;

MX_EXPORT unsigned long long py_create_array() noexcept {
  return shielded<unsigned long long>(&python_utility::create_array_inpool);
}
MX_EXPORT unsigned long long py_create_map() noexcept {
  return shielded<unsigned long long>(&python_utility::create_map_inpool);
}
MX_EXPORT unsigned long long py_create_mxList_array() noexcept {
  return shielded<unsigned long long>(&mx_List::create_mxlist_array);
}

MX_EXPORT unsigned long long py_create_mxObj_inarray(unsigned long long listHandle, const char* typeName) noexcept {
  return shielded<unsigned long long>([&] {
    static const std::pair<const char*, mx_List* (*)(unsigned long long)> makers[] = {
        {"TrackDetail", &mx_List::create_mxobj_inarray<mx_object::TrackDetail>},
        {"mx_Midi", &mx_List::create_mxobj_inarray<mx_object::mx_Midi>},
        {"mx_Peak", &mx_List::create_mxobj_inarray<mx_object::mx_Peak>},
    };
    const std::string name = mx_utility::text(typeName);
    for (const auto& [type, make] : makers) {
      if (name == type) return mx_object::handle_of(make(listHandle));
    }
    return 0ULL;
  });
}

#define MX_PY_DEFINE_SETTERS(name, T)                                                                  \
  MX_EXPORT void py_set_array_##name(unsigned long long handle, T value) noexcept {                    \
    shielded([&] { python_utility::set_value_inarray(handle, stored(value)); });                       \
  }                                                                                                    \
  MX_EXPORT void py_set_map_##name(unsigned long long handle, const char* key, T value) noexcept {     \
    shielded([&] { python_utility::set_value_inmap(handle, mx_utility::text(key), stored(value)); });  \
  }                                                                                                    \
  MX_EXPORT void py_set_##name##_inmxObj(unsigned long long handle, const char* key, T value) noexcept { \
    shielded([&] { py_set_value_inmxObj_main(handle, key, stored(value)); });                          \
  }
MX_PY_SCALARS(MX_PY_DEFINE_SETTERS)
MX_PY_DEFINE_SETTERS(string, const char*)
#undef MX_PY_DEFINE_SETTERS

#define MX_PY_DEFINE_GETTERS(name, T)                                                                \
  MX_EXPORT T py_get_##name##_inarray(unsigned long long handle, int index) noexcept {               \
    return shielded<T>([&] { return read_array<T>(handle, index); });                                \
  }                                                                                                  \
  MX_EXPORT T py_get_##name##_inmap(unsigned long long handle, int position, char* keyOut) noexcept { \
    return shielded<T>([&] { return py_get_value_inmap<T>(handle, position, keyOut); });             \
  }                                                                                                  \
  MX_EXPORT T py_get_##name##_inmxobj(unsigned long long handle, const char* key) noexcept {         \
    return shielded<T>([&] { return py_get_value_inmxobj_main<T>(handle, key); });                   \
  }
MX_PY_SCALARS(MX_PY_DEFINE_GETTERS)
#undef MX_PY_DEFINE_GETTERS

MX_EXPORT void py_get_string_inarray(unsigned long long handle, int index, char* valueOut) noexcept {
  shielded([&] { write_text(valueOut, read_array<std::string>(handle, index)); });
}
MX_EXPORT void py_get_string_inmap(unsigned long long handle, int position, char* keyOut, char* valueOut) noexcept {
  shielded([&] { write_text(valueOut, py_get_value_inmap<std::string>(handle, position, keyOut)); });
}
MX_EXPORT void py_get_string_inmxobj(unsigned long long handle, const char* key, char* valueOut) noexcept {
  shielded([&] { write_text(valueOut, py_get_value_inmxobj_main<std::string>(handle, key)); });
}

MX_EXPORT int py_get_obj_size(unsigned long long handle) noexcept {
  return shielded<int>([&] {
    using mx_object::pooled;
    if (const auto* array = pooled(python_utility::pyvar_array_list, handle)) return static_cast<int>(array->size());
    if (const auto* map = pooled(python_utility::pyvar_map_list, handle)) return static_cast<int>(map->size());
    if (const auto* list = pooled(mx_List::mxList_pool, handle)) return static_cast<int>(list->size());
    mx_List* record = mx_List::find_record(handle);
    return record ? record->get_size() : 0;
  });
}

MX_EXPORT void py_get_key_inmxObj(unsigned long long handle, int index, char* keyOut, char* typeOut) noexcept {
  shielded([&] {
    std::pair<std::string, std::string> info;  // two empty texts unless the field exists
    if (mx_List* record = mx_List::find_record(handle)) {
      try {
        info = record->get_key_info(index);
      } catch (const std::out_of_range&) {
      }
    }
    write_text(keyOut, info.first);
    write_text(typeOut, info.second);
  });
}

// The first pool that knows the handle releases it. A list takes its records with it; a
// record released alone first leaves the lists that hold it.
MX_EXPORT void py_release_obj(unsigned long long handle) noexcept {
  shielded([&] {
    if (python_utility::pyvar_array_list.erase(handle) || python_utility::pyvar_map_list.erase(handle) ||
        mx_List::release_mxList(handle))
      return;
    mx_List::release_record(handle);
  });
}

MX_EXPORT void py_release_obj2(unsigned long long handle) noexcept {
  shielded([&] { python_utility::release_obj_inpool2(handle); });
}
