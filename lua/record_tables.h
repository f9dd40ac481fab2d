// Records as Lua tables, for the Lua version of this build: the values of their fields,
// and a writer that makes one table per record with each table sized for its present
// fields and the key strings made once per list, not once per record.
#pragma once

#include <lua.hpp>

#include <string>
#include <tuple>

#include "object/mx_record.h"

namespace lua_records {

inline void push_value(lua_State* L, const std::string& v) { lua_pushstring(L, v.c_str()); }
inline void push_value(lua_State* L, int v) { lua_pushinteger(L, v); }
inline void push_value(lua_State* L, double v) { lua_pushnumber(L, v); }
inline void push_value(lua_State* L, MediaTrack* v) { lua_pushlightuserdata(L, v); }

// A null track is no value: its key is left out of the table.
inline bool has_value(MediaTrack* v) { return v != nullptr; }
template <class T>
bool has_value(const T&) {
  return true;
}

template <class R>
int present_fields(const R& r) {
  int n = 0;
  r.find_field([&](const auto&, const auto& c) {
    n += c.present && has_value(c.value) ? 1 : 0;
    return false;
  });
  return n;
}

// Pushes R's key strings on the stack at construction; `push` then leaves one new table
// per record on top, taking its keys from there. The caller drops the keys with `close`
// once its last table is stored.
template <class R>
class table_writer {
 public:
  explicit table_writer(lua_State* L) : L_(L), first_key_(lua_gettop(L) + 1) {
    std::apply([L](const auto&... f) { (lua_pushstring(L, f.key), ...); }, R::fields());
  }

  void push(const R& r) const {
    lua_createtable(L_, 0, present_fields(r));
    int key = first_key_;
    r.find_field([&](const auto&, const auto& c) {
      if (c.present && has_value(c.value)) {
        lua_pushvalue(L_, key);
        push_value(L_, c.value);
        lua_rawset(L_, -3);
      }
      ++key;
      return false;
    });
  }

  // Removes the keys from under the `above` values pushed after them.
  void close(int above) const {
    lua_rotate(L_, first_key_, above);
    lua_settop(L_, first_key_ + above - 1);
  }

 private:
  lua_State* L_;
  int first_key_;
};

}  // namespace lua_records
