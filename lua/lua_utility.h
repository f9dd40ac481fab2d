// Values between Lua and the plug-in's own types: string lists and JSON values pushed
// as Lua values, and Lua tables read back as JSON values or arrays.
#pragma once

#include <lua.hpp>

#include <nlohmann/json.hpp>
#include <string>
#include <type_traits>
#include <vector>

#include "api/string.h"

struct MediaItem;

namespace lua_utility {

// Tables nested deeper than this are refused in both directions, as JSON text is, so a
// table that holds itself or a deep chain cannot exhaust the C or the Lua stack.
constexpr int MAX_DEPTH = mx_api::string::JSON_MAX_DEPTH;

template <class T>
void pushvalue(lua_State* L, const std::vector<T>& list);

// Keys 1..n hold the strings, NUL bytes included.
template <>
void pushvalue<std::string>(lua_State* L, const std::vector<std::string>& list);

// The Lua form of a JSON value; null pushes nil. Integers arrive exactly (Lua's are 64
// bits). Raises ERR_JSON_PARSE, with nothing pushed, when the value nests too deeply
// for the Lua stack.
void pushvalue(lua_State* L, const nlohmann::json& value);

// Fills `value` (null on entry) from the table at `index`; a non-table leaves it null.
// Raises ERR_JSON_SERIALIZE for a table mixing number and string keys or nesting too
// deeply; the Lua stack is left as it was found either way.
void get_arg_json(lua_State* L, int index, nlohmann::json& value);

// The values under the leading number keys of the table at `index`, each read by the
// argument rule of T; a non-table gives an empty vector.
template <class T>
std::vector<T> get_arg_array(lua_State* L, int index);
template <>
std::vector<MediaItem*> get_arg_array<MediaItem*>(lua_State* L, int index);
template <>
std::vector<std::string> get_arg_array<std::string>(lua_State* L, int index);

// Pointers of any object type: what userdata carry, else null.
void* pointer_arg(lua_State* L, int index);

// One Lua argument by its position; a missing argument or one of another Lua type gives
// the type's empty value. A number is not taken as a string, nor a string as a number.
// The general form reads object pointers.
template <class T>
T arg(lua_State* L, int index) {
  static_assert(std::is_pointer_v<T>, "a Lua argument is a pointer, int, double, bool or string");
  return static_cast<T>(pointer_arg(L, index));
}
template <>
int arg<int>(lua_State* L, int index);
template <>
double arg<double>(lua_State* L, int index);
template <>
bool arg<bool>(lua_State* L, int index);
template <>
std::string arg<std::string>(lua_State* L, int index);

}  // namespace lua_utility
