// The value arrays and value maps that Python scripts hold by handle, and the typed
// access to their elements. Unknown handles and bad indexes give the type's default; a
// value of another type than the one asked for gives the default too.
#pragma once

#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "object/mx_List.h"

namespace python_utility {

using mx_object::PoolValue;
using value_array = std::vector<PoolValue>;
using value_map = std::map<std::string, PoolValue>;

extern mx_object::pool_of<value_array> pyvar_array_list;
extern mx_object::pool_of<value_map> pyvar_map_list;

unsigned long long create_array_inpool();
unsigned long long create_map_inpool();

// A new pooled array holding the values in order (T: MediaTrack* or std::string).
template <class T>
value_array* set_obj_topool(std::vector<T>& values);

// A list as the typed JSON array Python reads: [{"string": first}, {"string": second}, ...].
template <class T>
nlohmann::json array_to_typeJson(const std::vector<T>& values);

// Releases the array and the arrays its pointer elements name, one level deep.
void release_obj_inpool2(unsigned long long handle);

template <class T>
void set_value_inarray(unsigned long long handle, T value) {
  if (value_array* array = mx_object::pooled(pyvar_array_list, handle))
    array->push_back(mx_object::pool_value<T>(std::move(value)));
}

template <class T>
void set_value_inmap(unsigned long long handle, std::string key, T value) {
  if (value_map* map = mx_object::pooled(pyvar_map_list, handle))
    (*map)[std::move(key)] = mx_object::pool_value<T>(std::move(value));
}

template <class T>
T get_value_inarray(unsigned long long handle, int index) {
  const value_array* array = mx_object::pooled(pyvar_array_list, handle);
  if (!array || index < 0 || static_cast<size_t>(index) >= array->size()) return T{};
  return mx_object::value_as<T>((*array)[static_cast<size_t>(index)]);
}

// The entry at `position` in key order, as (key, value); ("", default) when none.
template <class T>
std::pair<std::string, T> get_value_inmap(unsigned long long handle, int position) {
  const value_map* map = mx_object::pooled(pyvar_map_list, handle);
  if (!map || position < 0 || static_cast<size_t>(position) >= map->size()) return {};
  const auto& entry = *std::next(map->begin(), position);
  return {entry.first, mx_object::value_as<T>(entry.second)};
}

}  // namespace python_utility
