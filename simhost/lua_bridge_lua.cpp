#include <lua.hpp>

#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "simhost/bridge_text.h"
#include "simhost/host.h"
#include "simhost/host_function.h"
#include "simhost/lua_bridge.h"

namespace sim::lua_bridge {

namespace {

std::vector<std::pair<const char*, control>>& controls() {
  static std::vector<std::pair<const char*, control>> list;
  return list;
}

struct Param {
  enum Kind { In, Out, Size, Buffer };
  std::string type, name;
  Kind kind = In;
};

struct Function {
  std::string name, result;
  std::vector<Param> params;
  void* (*vararg)(void**, int);
};

using bridge_text::ends_with;
using bridge_text::split;

Function parse(const ScriptFunction& f) {
  Function out{f.name, f.apidef, {}, f.vararg};
  const char* types = f.apidef + std::strlen(f.apidef) + 1;
  const char* names = types + std::strlen(types) + 1;
  const auto t = split(types), n = split(names);
  for (size_t i = 0; i < t.size(); ++i) {
    Param p{t[i], i < n.size() ? n[i] : std::string()};
    const bool is_text_buffer = p.type == "char*";
    if (ends_with(p.name, "_sz") && i > 0 && out.params.back().type == "char*") p.kind = Param::Size;
    else if (ends_with(p.name, "Out") || ends_with(p.name, "OutNeedBig") || ends_with(p.name, "OutOptional"))
      p.kind = Param::Out;
    else if (is_text_buffer) p.kind = Param::Buffer;
    out.params.push_back(p);
  }
  return out;
}

size_t capacity_for(const Param& p, size_t at_least) {
  const int set = Host::get().output_capacity;
  size_t capacity = set > 0 ? static_cast<size_t>(set) : (p.name.find("NeedBig") != std::string::npos ? (1u << 20) : 4096u);
  return std::max(capacity, at_least);
}

bool is_pointer(const std::string& type) { return !type.empty() && type.back() == '*'; }

int integer_arg(lua_State* L, int i) {
  if (lua_isinteger(L, i)) return static_cast<int>(lua_tointeger(L, i));
  if (lua_isnumber(L, i)) {
    // A float the bridge cannot carry as an integer (NaN, infinite, beyond 64 bits)
    // arrives as 0 rather than as whatever the conversion happens to give.
    const double v = lua_tonumber(L, i);
    if (!(v > -9.2e18 && v < 9.2e18)) return 0;
    return static_cast<int>(static_cast<long long>(v));
  }
  return lua_toboolean(L, i) ? 1 : 0;
}

void push_pointer(lua_State* L, void* p) {
  if (p) lua_pushlightuserdata(L, p);
  else lua_pushnil(L);
}

int call(lua_State* L) {
  const Function& f = *static_cast<const Function*>(lua_touserdata(L, lua_upvalueindex(1)));
  const size_t n = f.params.size();
  std::vector<void*> slots(n + 1, nullptr);
  std::vector<double> doubles(n, 0.0);
  std::vector<int> ints(n, 0);
  std::unique_ptr<bool[]> bools(new bool[n + 1]());
  std::vector<const char*> texts_out(n, nullptr);
  std::vector<std::string> texts(n);
  std::vector<std::vector<char>> buffers(n);
  int arg = 1;
  for (size_t i = 0; i < n; ++i) {
    const Param& p = f.params[i];
    switch (p.kind) {
      case Param::In: {
        const int at = arg++;
        // An optional input left out (or nil) reaches the function as a null pointer.
        if (is_pointer(p.type) && ends_with(p.name, "InOptional") && lua_isnoneornil(L, at)) break;
        if (p.type == "int") slots[i] = reinterpret_cast<void*>(static_cast<intptr_t>(integer_arg(L, at)));
        else if (p.type == "bool") slots[i] = reinterpret_cast<void*>(static_cast<intptr_t>(lua_toboolean(L, at) ? 1 : 0));
        else if (p.type == "double") doubles[i] = lua_tonumber(L, at), slots[i] = &doubles[i];
        else if (p.type == "const char*") {
          if (lua_isnil(L, at) || lua_isnone(L, at)) break;
          size_t len = 0;
          const char* s = lua_tolstring(L, at, &len);
          if (s) texts[i].assign(s, len), slots[i] = texts[i].data();
        } else if (p.type == "int*") ints[i] = integer_arg(L, at), slots[i] = &ints[i];
        else if (p.type == "double*") doubles[i] = lua_tonumber(L, at), slots[i] = &doubles[i];
        else if (p.type == "bool*") bools[i] = lua_toboolean(L, at), slots[i] = &bools[i];
        else if (is_pointer(p.type)) slots[i] = lua_touserdata(L, at);
        break;
      }
      case Param::Buffer: {
        size_t len = 0;
        const char* s = lua_isstring(L, arg) ? lua_tolstring(L, arg, &len) : "";
        ++arg;
        buffers[i].assign(capacity_for(p, len + 1), '\0');
        std::memcpy(buffers[i].data(), s, len);
        slots[i] = buffers[i].data();
        break;
      }
      case Param::Out:
        if (p.type == "char*") buffers[i].assign(capacity_for(p, 1), '\0'), slots[i] = buffers[i].data();
        else if (p.type == "int*") slots[i] = &ints[i];
        else if (p.type == "double*") slots[i] = &doubles[i];
        else if (p.type == "bool*") slots[i] = &bools[i];
        else if (p.type == "const char**") slots[i] = &texts_out[i];
        break;
      case Param::Size:
        slots[i] = reinterpret_cast<void*>(static_cast<intptr_t>(buffers[i - 1].size()));
        break;
    }
  }

  void* result = f.vararg(slots.data(), static_cast<int>(n));

  int pushed = 1;
  if (f.result == "void") pushed = 0;
  else if (f.result == "int") lua_pushinteger(L, static_cast<int>(reinterpret_cast<intptr_t>(result)));
  else if (f.result == "bool") lua_pushboolean(L, result != nullptr);
  else if (f.result == "double") lua_pushnumber(L, bits_double(result));
  else if (f.result == "const char*") result ? (void)lua_pushstring(L, static_cast<const char*>(result)) : lua_pushnil(L);
  else push_pointer(L, result);

  for (size_t i = 0; i < n; ++i) {
    const Param& p = f.params[i];
    if (p.kind == Param::Buffer || (p.kind == Param::Out && p.type == "char*")) {
      buffers[i].back() = '\0';
      lua_pushstring(L, buffers[i].data());
    } else if (p.kind != Param::Out) {
      continue;
    } else if (p.type == "int*") lua_pushinteger(L, ints[i]);
    else if (p.type == "double*") lua_pushnumber(L, doubles[i]);
    else if (p.type == "bool*") lua_pushboolean(L, bools[i]);
    else if (p.type == "const char**") texts_out[i] ? (void)lua_pushstring(L, texts_out[i]) : lua_pushnil(L);
    else continue;
    ++pushed;
  }
  return pushed;
}

// ---- simulator-only controls ----

int reset(lua_State* L) {
  Host::get().reset_session();
  refresh(L);  // a reset puts back functions a script withdrew
  return 0;
}

int new_project(lua_State* L) {
  lua_pushlightuserdata(L, Host::get().session().new_project());
  return 1;
}

int set_active_project(lua_State* L) {
  Host::get().session().set_active(static_cast<ReaProject*>(lua_touserdata(L, 1)));
  return 0;
}

int active_project(lua_State* L) {
  lua_pushlightuserdata(L, Host::get().session().active());
  return 1;
}

int refuse(lua_State* L) {
  Host::get().session().refuse(lua_touserdata(L, 1), luaL_checkstring(L, 2));
  return 0;
}

int clear_refusals(lua_State*) {
  Host::get().session().clear_refusals();
  return 0;
}

int set_output_capacity(lua_State* L) {
  Host::get().output_capacity = static_cast<int>(luaL_checkinteger(L, 1));
  return 0;
}

int violations(lua_State* L) {
  const auto list = Host::get().take_violations();
  lua_createtable(L, static_cast<int>(list.size()), 0);
  for (size_t i = 0; i < list.size(); ++i) {
    lua_pushstring(L, list[i].c_str());
    lua_rawseti(L, -2, static_cast<lua_Integer>(i + 1));
  }
  return 1;
}

int update_arrange_count(lua_State* L) {
  lua_pushinteger(L, Host::get().session().update_arrange_count);
  return 1;
}

// Calls a script function with raw argument slots, as another extension or a careless
// bridge could: sim.call_raw(name, slot1, ...) with integers, light userdata or nil.
int call_raw(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  for (const ScriptFunction& f : Host::get().script_functions()) {
    if (f.name != name) continue;
    std::vector<void*> slots;
    for (int i = 2; i <= lua_gettop(L); ++i) {
      if (lua_islightuserdata(L, i)) slots.push_back(lua_touserdata(L, i));
      else slots.push_back(reinterpret_cast<void*>(static_cast<intptr_t>(lua_tointeger(L, i))));
    }
    slots.resize(slots.size() + 8, nullptr);
    lua_pushinteger(L, reinterpret_cast<intptr_t>(f.vararg(slots.data(), lua_gettop(L) - 1)));
    return 1;
  }
  return luaL_error(L, "no script function %s", name);
}

const control_registrar builtin[] = {
    {"reset", reset},
    {"new_project", new_project},
    {"set_active_project", set_active_project},
    {"active_project", active_project},
    {"refuse", refuse},
    {"clear_refusals", clear_refusals},
    {"set_output_capacity", set_output_capacity},
    {"violations", violations},
    {"update_arrange_count", update_arrange_count},
    {"call_raw", call_raw},
};

}  // namespace

control_registrar::control_registrar(const char* name, control function) { controls().push_back({name, function}); }

void refresh(lua_State* L) {
  static std::deque<Function> functions;  // upvalues point into it
  static std::set<std::string> installed;  // names this bridge put into the table
  if (lua_getglobal(L, "reaper") != LUA_TTABLE) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_setglobal(L, "reaper");
  }
  std::set<std::string> current;
  for (const ScriptFunction& f : Host::get().script_functions()) {
    current.insert(f.name);
    if (!installed.insert(f.name).second) continue;
    functions.push_back(parse(f));
    lua_pushlightuserdata(L, &functions.back());
    lua_pushcclosure(L, call, 1);
    lua_setfield(L, -2, f.name.c_str());
  }
  for (auto it = installed.begin(); it != installed.end();) {
    if (current.count(*it)) {
      ++it;
      continue;
    }
    lua_pushnil(L);
    lua_setfield(L, -2, it->c_str());
    it = installed.erase(it);
  }
  lua_pop(L, 1);
}

void install(lua_State* L) {
  refresh(L);

  lua_newtable(L);
  for (const auto& [name, function] : controls()) {
    lua_pushcfunction(L, function);
    lua_setfield(L, -2, name);
  }
  lua_setglobal(L, "sim");
}

}  // namespace sim::lua_bridge
