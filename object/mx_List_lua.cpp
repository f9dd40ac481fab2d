// Records as Lua tables, built for the Lua version of this plug-in build and installed
// into the record types when the library loads.
#include <lua.hpp>

#include "lua/record_tables.h"

#include "object/TrackDetail.h"
#include "object/VOXPAIR_Tracks.h"
#include "object/mx_Midi.h"
#include "object/mx_Peak.h"

namespace mx_object {

namespace {

// The value at the top of the stack as a field of type T; another Lua type gives the
// field's empty value.
template <class T>
T read(lua_State* L);
template <>
std::string read(lua_State* L) {
  size_t length = 0;
  const char* text = lua_type(L, -1) == LUA_TSTRING ? lua_tolstring(L, -1, &length) : nullptr;
  return text ? std::string(text, length) : std::string();
}
template <>
int read(lua_State* L) {
  // A float without an integral value reads as 0, as lua_tointegerx reports it.
  return lua_type(L, -1) == LUA_TNUMBER ? static_cast<int>(lua_tointegerx(L, -1, nullptr)) : 0;
}
template <>
double read(lua_State* L) {
  return lua_type(L, -1) == LUA_TNUMBER ? lua_tonumberx(L, -1, nullptr) : 0.0;
}
template <>
MediaTrack* read(lua_State* L) {
  const int type = lua_type(L, -1);
  const bool userdata = type == LUA_TUSERDATA || type == LUA_TLIGHTUSERDATA;
  return userdata ? static_cast<MediaTrack*>(const_cast<void*>(lua_topointer(L, -1))) : nullptr;
}

// One new table of the present fields, left on top of the stack.
template <class R>
void push_table(const R& r, lua_State* L) {
  lua_createtable(L, 0, lua_records::present_fields(r));
  r.find_field([&](const auto& f, const auto& c) {
    if (c.present && lua_records::has_value(c.value)) {
      lua_records::push_value(L, c.value);
      lua_setfield(L, -2, f.key);
    }
    return false;
  });
}

// Reads the string-keyed entries of the table at `index` into the fields and marks
// them present. Reading stops at the first key that is not a string.
template <class R>
void read_table(R& r, lua_State* L, int index) {
  index = lua_absindex(L, index);
  if (lua_type(L, index) != LUA_TTABLE) return;  // lua_next needs a table
  lua_pushnil(L);
  while (lua_next(L, index) != 0) {
    if (lua_type(L, -2) != LUA_TSTRING) {
      lua_settop(L, -3);  // the stack is left as it was found
      return;
    }
    size_t length = 0;
    const char* text = lua_tolstring(L, -2, &length);
    const std::string name(text, length);
    r.find_field([&](const auto& f, auto& c) {
      if (!f.from_lua || name != f.key) return false;
      c.set(read<std::decay_t<decltype(c.value)>>(L));
      return true;
    });
    lua_settop(L, -2);
  }
}

template <class... R>
struct install {
  install() { ((lua_conversion<R>::push = &push_table<R>, lua_conversion<R>::read = &read_table<R>), ...); }
};
const install<TrackDetail, mx_Midi, mx_Peak, VOXPAIR_Tracks> installed;

}  // namespace

}  // namespace mx_object
