#include "lua/MX_COBALT.h"

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "api/RIDEFORM.h"
#include "api/UI.h"
#include "api/VOXPAIR.h"
#include "api/mediaItem.h"
#include "api/path.h"
#include "api/string.h"
#include "api/track.h"
#include "lua/lua_utility.h"
#include "lua/record_tables.h"
#include "object/TrackDetail.h"
#include "object/mx_Path.h"
#include "object/mx_Peak.h"
#include "plugin/Bridge_IF.h"
#include "plugin/export.h"
#include "plugin/mx_error.h"

namespace MX_COBALT {

namespace {

using lua_utility::arg;
using tracks = std::vector<MediaTrack*>;
using strings = std::vector<std::string>;
using track_details = std::vector<mx_object::TrackDetail>;
using peaks = std::vector<mx_object::mx_Peak>;

// Turns the exception being handled into the error code; nothing reaches the interpreter.
void report_current() noexcept {
  try {
    throw;
  } catch (const mx_error::CommonExeption& e) {
    Bridge_IF::set_errorCode(e.code);
  } catch (...) {
    Bridge_IF::set_errorCode(mx_error::ERR_UNKNOWN);
  }
}

// The result shapes. A null pointer leaves its key unset.
template <class T>
void push_result(lua_State* L, const std::vector<T*>& list) {
  lua_createtable(L, 0, 0);
  lua_Integer key = 0;
  for (T* p : list) {
    ++key;
    if (!p) continue;
    lua_pushinteger(L, key);
    lua_pushlightuserdata(L, p);
    lua_settable(L, -3);
  }
}
void push_result(lua_State* L, const strings& list) { lua_utility::pushvalue(L, list); }
// Sized at once, so a long list (an hour of peaks) is not regrown record by record, and
// each record's table made in one pass with its keys taken from the stack.
template <class R>
void push_result(lua_State* L, const std::vector<R>& records) {
  lua_checkstack(L, static_cast<int>(std::tuple_size_v<decltype(R::fields())>) + 4);
  const lua_records::table_writer<R> tables(L);
  lua_createtable(L, static_cast<int>(std::min<size_t>(records.size(), INT_MAX)), 0);
  lua_Integer key = 0;
  for (const R& r : records) {
    tables.push(r);
    lua_rawseti(L, -2, ++key);
  }
  tables.close(1);
}
void push_result(lua_State* L, int count) { lua_pushinteger(L, count); }
void push_result(lua_State* L, bool flag) { lua_pushboolean(L, flag); }

// Runs the operation into fresh outputs and returns them, in order, as Lua results. An
// exception is reported and what had been built is still returned.
template <class... Out, class Work>
int returning(lua_State* L, Work work) noexcept {
  std::tuple<Out...> out;
  try {
    std::apply(work, out);
  } catch (...) {
    report_current();
  }
  const int top = lua_gettop(L);
  try {
    std::apply([L](const Out&... o) { (push_result(L, o), ...); }, out);
    return sizeof...(Out);
  } catch (...) {
    report_current();
    lua_settop(L, top);
    return 0;
  }
}

// For work that pushes one result itself: nil instead when anything fails on the way.
template <class Work>
int one_or_nil(lua_State* L, Work work) noexcept {
  const int top = lua_gettop(L);
  try {
    work();
    return 1;
  } catch (...) {
    report_current();
  }
  lua_settop(L, top);
  lua_pushnil(L);
  return 1;
}

}  // namespace

using namespace mx_api;

int l_GetTrackItemList(lua_State* L) {
  return returning<tracks>(L, [L](tracks& list) { track::GetTrackItemList(arg<ReaProject*>(L, 1), list); });
}

int l_GetTrackItemChildList(lua_State* L) {
  return returning<tracks, int>(
      L, [L](tracks& list, int& count) { track::GetTrackItemChildList(arg<MediaTrack*>(L, 1), list, count); });
}

int l_GetTrackIdChildList(lua_State* L) {
  return returning<tracks, int>(L, [L](tracks& list, int& count) {
    track::GetTrackIdChildList(arg<ReaProject*>(L, 1), arg<int>(L, 2), list, count);
  });
}

int l_GetSelectedTrackIdChildList(lua_State* L) {
  return returning<tracks, int>(L, [L](tracks& list, int& count) {
    track::GetSelectedTrackIdChildList(arg<ReaProject*>(L, 1), arg<int>(L, 2), list);
    count = static_cast<int>(list.size());
  });
}

// A list of tables made as the entries arrive, with no records in between. The field
// keys are pushed once, below the list; a failure leaves the entries listed so far.
class keyed_tables {
 public:
  keyed_tables(lua_State* L, std::initializer_list<const char*> keys) : L_(L), keys_(lua_gettop(L) + 1) {
    lua_checkstack(L, static_cast<int>(keys.size()) + 8);
    for (const char* key : keys) lua_pushstring(L, key);
  }
  void open_list(size_t entries) {
    lua_createtable(L_, static_cast<int>(std::min<size_t>(entries, INT_MAX)), 0);
    made_ = true;
  }
  // One entry: the i-th key's field set by push(i), which pushes its value.
  template <class Push>
  void add(int fields, Push push) {
    lua_createtable(L_, 0, fields);
    for (int i = 0; i < fields; ++i) {
      lua_pushvalue(L_, keys_ + i);
      push(i);
      lua_rawset(L_, -3);
    }
    lua_rawseti(L_, -2, ++listed_);
  }
  // Leaves the list alone in place of the keys; returns the count of Lua results.
  int finish() {
    if (!made_) lua_createtable(L_, 0, 0);
    lua_replace(L_, keys_);
    lua_settop(L_, keys_);
    return 1;
  }

 protected:
  lua_State* L_;

 private:
  int keys_;
  bool made_ = false;
  lua_Integer listed_ = 0;
};

int l_GetTrackDepthList(lua_State* L) {
  class into_tables final : public track::TrackDepthVisitor, public keyed_tables {
   public:
    explicit into_tables(lua_State* L) : keyed_tables(L, {"Track", "Depth"}) {}
    void count(int tracks) override { open_list(static_cast<size_t>(std::max(tracks, 0))); }
    void track(MediaTrack* track, int depth) override {
      add(2, [&](int i) { i == 0 ? lua_pushlightuserdata(L_, track) : lua_pushinteger(L_, depth); });
    }
  };
  ReaProject* project = arg<ReaProject*>(L, 1);
  into_tables tables(L);
  track::VisitTrackDepthList(project, tables);
  return tables.finish();
}

int l_GetSamePerfectTrackNameList(lua_State* L) {
  return returning<track_details>(L, [L](track_details& records) {
    track::GetSamePerfectTrackNameList(arg<ReaProject*>(L, 1), arg<std::string>(L, 2), records);
  });
}

int l_GetIncludePerfectTrackNameList(lua_State* L) {
  return returning<track_details>(L, [L](track_details& records) {
    track::GetIncludePerfectTrackNameList(arg<ReaProject*>(L, 1), arg<std::string>(L, 2), records);
  });
}

int l_GetFilePathList(lua_State* L) {
  return returning<strings>(
      L, [L](strings& list) { path::GetFilePathList(arg<std::string>(L, 1), arg<std::string>(L, 2), list); });
}

int l_GetStringSplitList(lua_State* L) {
  return returning<strings>(
      L, [L](strings& list) { string::GetStringSplitList(arg<std::string>(L, 1), arg<std::string>(L, 2), list); });
}

int l_GetUserInputList(lua_State* L) {
  return returning<bool, strings>(L, [L](bool& entered, strings& list) {
    entered = UI::GetUserInputList(arg<std::string>(L, 1), arg<int>(L, 2), arg<std::string>(L, 3),
                                   arg<std::string>(L, 4), list);
  });
}

// Peak profiles become tables as the entries arrive; a failure returns what had been
// made (an empty list when nothing was).
template <class Visit>
int peak_tables(lua_State* L, Visit visit) {
  class into_tables final : public mediaItem::PeakVisitor, public keyed_tables {
   public:
    explicit into_tables(lua_State* L) : keyed_tables(L, {"Time", "MaxPeak", "MinPeak"}) {}
    void count(size_t entries) override { open_list(entries); }
    void peak(double time, double maxPeak, double minPeak) override {
      const double values[] = {time, maxPeak, minPeak};
      add(3, [&](int i) { lua_pushnumber(L_, values[i]); });
    }
  };
  into_tables tables(L);
  visit(tables);
  return tables.finish();
}

int l_GetMediaItemPeakList(lua_State* L) {
  MediaItem* item = arg<MediaItem*>(L, 1);
  return peak_tables(L, [item](mediaItem::PeakVisitor& v) { mediaItem::VisitMediaItemPeakList(item, v); });
}

int l_GetMediaIdPeakList(lua_State* L) {
  ReaProject* project = arg<ReaProject*>(L, 1);
  const int index = arg<int>(L, 2);
  return peak_tables(L, [=](mediaItem::PeakVisitor& v) { mediaItem::VisitMediaIdPeakList(project, index, v); });
}

int l_GetSelectedMediaIdPeakList(lua_State* L) {
  ReaProject* project = arg<ReaProject*>(L, 1);
  const int index = arg<int>(L, 2);
  return peak_tables(L, [=](mediaItem::PeakVisitor& v) { mediaItem::VisitSelectedMediaIdPeakList(project, index, v); });
}

int l_GetPathInfo(lua_State* L) {
  return one_or_nil(L, [L] {
    mx_object::mx_Path info;
    path::GetPathInfo(arg<std::string>(L, 1), info);
    info.pushvalue(L);
  });
}

int l_Json_Deserialize(lua_State* L) {
  return one_or_nil(L, [L] {
    nlohmann::json value;
    string::Json_Deserialize(arg<std::string>(L, 1), value);
    lua_utility::pushvalue(L, value);
  });
}

int l_Json_Serialize(lua_State* L) {
  return one_or_nil(L, [L] {
    Bridge_IF::reset_errorCode();
    nlohmann::json value;
    lua_utility::get_arg_json(L, 1, value);
    std::string text;
    string::Json_Serialize(value, text);
    lua_pushlstring(L, text.data(), text.size());
  });
}

int l_SetMediaItemListRIDEFORM(lua_State* L) {
  try {
    RIDEFORM::SetMediaItemListRIDEFORM(lua_utility::get_arg_array<MediaItem*>(L, 1), arg<int>(L, 2));
  } catch (...) {
    report_current();
  }
  return 0;
}

int l_VOXPAIR_InsertMediaItems(lua_State* L) {
  return one_or_nil(L, [L] {
    strings trackNames = lua_utility::get_arg_array<std::string>(L, 9);
    strings unmatched;
    VOXPAIR::VOXPAIR_InsertMediaItems(arg<std::string>(L, 1), arg<std::string>(L, 2), arg<double>(L, 3),
                                      arg<double>(L, 4), arg<int>(L, 5), arg<bool>(L, 6), arg<bool>(L, 7),
                                      arg<int>(L, 8), trackNames, unmatched);
    push_result(L, unmatched);
  });
}

#define MX_LUA_ENTRY(name) {"MX_" #name, &l_##name}
const luaL_Reg reg[19] = {
    MX_LUA_ENTRY(GetTrackItemList),
    MX_LUA_ENTRY(GetTrackItemChildList),
    MX_LUA_ENTRY(GetTrackIdChildList),
    MX_LUA_ENTRY(GetSelectedTrackIdChildList),
    MX_LUA_ENTRY(GetTrackDepthList),
    MX_LUA_ENTRY(GetSamePerfectTrackNameList),
    MX_LUA_ENTRY(GetIncludePerfectTrackNameList),
    MX_LUA_ENTRY(GetFilePathList),
    MX_LUA_ENTRY(GetStringSplitList),
    MX_LUA_ENTRY(GetUserInputList),
    MX_LUA_ENTRY(GetMediaItemPeakList),
    MX_LUA_ENTRY(GetMediaIdPeakList),
    MX_LUA_ENTRY(GetSelectedMediaIdPeakList),
    MX_LUA_ENTRY(GetPathInfo),
    MX_LUA_ENTRY(Json_Deserialize),
    MX_LUA_ENTRY(Json_Serialize),
    MX_LUA_ENTRY(SetMediaItemListRIDEFORM),
    MX_LUA_ENTRY(VOXPAIR_InsertMediaItems),
    {nullptr, nullptr},
};
#undef MX_LUA_ENTRY

}  // namespace MX_COBALT

MX_EXPORT int luaopen_reaper_MIXVALE_COBALT(lua_State* L) {
  lua_createtable(L, 0, 0);
  lua_checkstack(L, 19);
  luaL_setfuncs(L, MX_COBALT::reg, 0);
  lua_pushvalue(L, -1);
  lua_setglobal(L, "MX_COBALT");
  lua_getglobal(L, "reaper");
  // Without a host table to install into, the module table itself is the result, so a
  // script still reaches the functions and loading raises nothing.
  if (lua_type(L, -1) != LUA_TTABLE) {
    lua_settop(L, -2);
    return 1;
  }
  for (const luaL_Reg* entry = MX_COBALT::reg; entry->name; ++entry) {
    lua_pushstring(L, entry->name);
    lua_pushcclosure(L, entry->func, 0);
    lua_settable(L, -3);
  }
  return 1;
}
