// The plug-in as a native Lua module: the list functions that the host's flat calling
// convention cannot carry, taking Lua arguments and returning Lua tables at once.
#pragma once

#include <lua.hpp>

namespace MX_COBALT {

// The eighteen functions under their script names, closed by a pair of nulls.
extern const luaL_Reg reg[19];

int l_GetTrackItemList(lua_State* L);
int l_GetTrackItemChildList(lua_State* L);
int l_GetTrackIdChildList(lua_State* L);
int l_GetSelectedTrackIdChildList(lua_State* L);
int l_GetTrackDepthList(lua_State* L);
int l_GetSamePerfectTrackNameList(lua_State* L);
int l_GetIncludePerfectTrackNameList(lua_State* L);
int l_GetFilePathList(lua_State* L);
int l_GetStringSplitList(lua_State* L);
int l_GetUserInputList(lua_State* L);
int l_GetMediaItemPeakList(lua_State* L);
int l_GetMediaIdPeakList(lua_State* L);
int l_GetSelectedMediaIdPeakList(lua_State* L);
int l_GetPathInfo(lua_State* L);
int l_Json_Deserialize(lua_State* L);
int l_Json_Serialize(lua_State* L);
int l_SetMediaItemListRIDEFORM(lua_State* L);
int l_VOXPAIR_InsertMediaItems(lua_State* L);

}  // namespace MX_COBALT

// Loading the module installs the functions into the script's `reaper` table and the
// global table "MX_COBALT"; it returns the `reaper` table.
extern "C" int luaopen_reaper_MIXVALE_COBALT(lua_State* L);
