#include "lua/lua_utility.h"

#include <cstdint>
#include <limits>

#include "plugin/mx_error.h"

namespace lua_utility {

using mx_error::raise;
using nlohmann::json;

void* pointer_arg(lua_State* L, int index) {
  const int type = lua_type(L, index);
  const bool userdata = type == LUA_TUSERDATA || type == LUA_TLIGHTUSERDATA;
  return userdata ? const_cast<void*>(lua_topointer(L, index)) : nullptr;
}

template <>
int arg<int>(lua_State* L, int index) {
  // A float without an integral value reads as 0, as lua_tointegerx reports it.
  return lua_type(L, index) == LUA_TNUMBER ? static_cast<int>(lua_tointegerx(L, index, nullptr)) : 0;
}

template <>
double arg<double>(lua_State* L, int index) {
  return lua_type(L, index) == LUA_TNUMBER ? lua_tonumberx(L, index, nullptr) : 0.0;
}

template <>
bool arg<bool>(lua_State* L, int index) {
  return lua_type(L, index) == LUA_TBOOLEAN && lua_toboolean(L, index);
}

template <>
std::string arg<std::string>(lua_State* L, int index) {
  // Names and paths end at their first NUL, as the operations read them.
  const char* text = lua_type(L, index) == LUA_TSTRING ? lua_tolstring(L, index, nullptr) : nullptr;
  return text ? std::string(text) : std::string();
}

template <>
void pushvalue<std::string>(lua_State* L, const std::vector<std::string>& list) {
  lua_createtable(L, 0, 0);
  lua_Integer key = 0;
  for (const std::string& s : list) {
    lua_pushinteger(L, ++key);
    lua_pushlstring(L, s.data(), s.size());
    lua_settable(L, -3);
  }
}

namespace {

// Room for a table, a key and a value on the way down one more level.
bool room_below(lua_State* L, int depth) { return depth < MAX_DEPTH && lua_checkstack(L, 3); }

void push_json(lua_State* L, const json& value, int depth) {
  switch (value.type()) {
    case json::value_t::object:
    case json::value_t::array: {
      if (!room_below(L, depth)) raise(mx_error::ERR_JSON_PARSE);
      lua_createtable(L, 0, 0);
      lua_Integer position = 0;
      for (auto member = value.begin(); member != value.end(); ++member) {
        ++position;
        if (member->is_null()) continue;  // nil leaves the key unset
        if (value.is_object()) {
          lua_pushlstring(L, member.key().data(), member.key().size());
        } else {
          lua_pushinteger(L, position);
        }
        push_json(L, *member, depth + 1);
        lua_settable(L, -3);
      }
      return;
    }
    case json::value_t::string: {
      const std::string& s = value.get_ref<const std::string&>();
      lua_pushlstring(L, s.data(), s.size());
      return;
    }
    case json::value_t::boolean:
      lua_pushboolean(L, value.get<bool>());
      return;
    case json::value_t::number_integer:
      lua_pushinteger(L, static_cast<lua_Integer>(value.get<std::int64_t>()));
      return;
    case json::value_t::number_unsigned: {
      const std::uint64_t u = value.get<std::uint64_t>();
      // Beyond Lua's integers the nearest float is the closest a script can hold.
      if (u <= static_cast<std::uint64_t>(std::numeric_limits<lua_Integer>::max())) {
        lua_pushinteger(L, static_cast<lua_Integer>(u));
      } else {
        lua_pushnumber(L, static_cast<lua_Number>(u));
      }
      return;
    }
    case json::value_t::number_float:
      lua_pushnumber(L, value.get<double>());
      return;
    default:
      lua_pushnil(L);
      return;
  }
}

void read_table(lua_State* L, int index, json& value, int depth);

// The value on top of the stack as JSON; false for a type JSON has no form for.
bool read_value(lua_State* L, json& out, int depth) {
  switch (lua_type(L, -1)) {
    case LUA_TNUMBER: {
      if (lua_isinteger(L, -1)) {
        out = static_cast<std::int64_t>(lua_tointegerx(L, -1, nullptr));  // exactly as stored
        return true;
      }
      // A float with a small integral value is written as that integer (3.0 as 3).
      const lua_Number v = lua_tonumberx(L, -1, nullptr);
      const int narrow = static_cast<int>(lua_tointegerx(L, -1, nullptr));
      if (v == static_cast<lua_Number>(narrow)) {
        out = narrow;
      } else {
        out = v;
      }
      return true;
    }
    case LUA_TSTRING: {
      size_t length = 0;
      const char* text = lua_tolstring(L, -1, &length);
      out = std::string(text, length);
      return true;
    }
    case LUA_TBOOLEAN:
      out = lua_toboolean(L, -1) ? 1 : 0;
      return true;
    case LUA_TTABLE:
      read_table(L, lua_gettop(L), out, depth + 1);
      return true;
    default:
      return false;
  }
}

void read_table(lua_State* L, int index, json& value, int depth) {
  if (lua_type(L, index) != LUA_TTABLE) return;
  if (!room_below(L, depth)) raise(mx_error::ERR_JSON_SERIALIZE);
  lua_pushnil(L);
  while (lua_next(L, index) != 0) {
    const int key = lua_type(L, -2);
    json element;
    if ((key == LUA_TNUMBER || key == LUA_TSTRING) && read_value(L, element, depth)) {
      // A table is either a list or a record; one mixing both has no JSON form.
      if (key == LUA_TNUMBER) {
        if (value.is_object()) raise(mx_error::ERR_JSON_SERIALIZE);
        value.push_back(std::move(element));
      } else {
        if (value.is_array()) raise(mx_error::ERR_JSON_SERIALIZE);
        size_t length = 0;
        const char* name = lua_tolstring(L, -2, &length);  // a string key: converting it cannot upset lua_next
        value[std::string(name, length)] = std::move(element);
      }
    }
    lua_settop(L, -2);
  }
}

// Runs `work`, leaving the stack as it was found when it raises.
template <class Work>
void restoring(lua_State* L, Work&& work) {
  const int top = lua_gettop(L);
  try {
    work();
  } catch (...) {
    lua_settop(L, top);
    throw;
  }
}

template <class T>
std::vector<T> read_array(lua_State* L, int index) {
  std::vector<T> out;
  index = lua_absindex(L, index);
  if (lua_type(L, index) != LUA_TTABLE) return out;
  restoring(L, [&] {
    lua_pushnil(L);
    while (lua_next(L, index) != 0) {
      if (lua_type(L, -2) != LUA_TNUMBER) {
        lua_settop(L, -3);  // the first other key ends the list
        return;
      }
      out.push_back(arg<T>(L, -1));
      lua_settop(L, -2);
    }
  });
  return out;
}

}  // namespace

void pushvalue(lua_State* L, const json& value) {
  restoring(L, [&] { push_json(L, value, 0); });
}

void get_arg_json(lua_State* L, int index, json& value) {
  index = lua_absindex(L, index);
  restoring(L, [&] { read_table(L, index, value, 0); });
}

template <>
std::vector<MediaItem*> get_arg_array<MediaItem*>(lua_State* L, int index) {
  return read_array<MediaItem*>(L, index);
}

template <>
std::vector<std::string> get_arg_array<std::string>(lua_State* L, int index) {
  return read_array<std::string>(L, index);
}

}  // namespace lua_utility
