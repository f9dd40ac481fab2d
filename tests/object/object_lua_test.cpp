// Records pushed to and read from real Lua states, for the Lua version this test is
// built against.
#include <gtest/gtest.h>

#include <algorithm>
#include <lua.hpp>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "object/TrackDetail.h"
#include "object/VOXPAIR_Tracks.h"
#include "object/mx_Midi.h"
#include "object/mx_Peak.h"

namespace {

using namespace mx_object;

MediaTrack* track(uintptr_t address) { return reinterpret_cast<MediaTrack*>(address); }

class LuaState : public ::testing::Test {
 protected:
  void SetUp() override { luaL_openlibs(L); }
  void TearDown() override { lua_close(L); }

  // The table at the top of the stack as sorted "key=type:value" entries.
  std::string describe() {
    std::vector<std::string> entries;
    const int table = lua_gettop(L);
    lua_pushnil(L);
    while (lua_next(L, table) != 0) {
      std::ostringstream entry;
      entry << (lua_type(L, -2) == LUA_TSTRING ? lua_tostring(L, -2) : "<key>") << '=';
      switch (lua_type(L, -1)) {
        case LUA_TNUMBER:
          if (lua_isinteger(L, -1))
            entry << "int:" << lua_tointeger(L, -1);
          else
            entry << "float:" << lua_tonumber(L, -1);
          break;
        case LUA_TSTRING: entry << "string:" << lua_tostring(L, -1); break;
        case LUA_TLIGHTUSERDATA: entry << "light:" << lua_touserdata(L, -1); break;
        default: entry << luaL_typename(L, -1);
      }
      entries.push_back(entry.str());
      lua_pop(L, 1);
    }
    std::sort(entries.begin(), entries.end());
    std::string out;
    for (const std::string& e : entries) out += (out.empty() ? "" : " ") + e;
    return out;
  }

  // Pushes the record's table and describes it; exactly one value must be pushed.
  std::string pushed(const mx_List& record) {
    const int top = lua_gettop(L);
    record.pushvalue(L);
    EXPECT_EQ(lua_gettop(L), top + 1);
    EXPECT_EQ(lua_type(L, -1), LUA_TTABLE);
    std::string out = describe();
    lua_settop(L, top);
    return out;
  }

  // Runs a chunk returning one value and leaves it on the stack.
  void push_chunk(const char* chunk) { ASSERT_EQ(luaL_dostring(L, chunk), LUA_OK) << lua_tostring(L, -1); }

  lua_State* L = luaL_newstate();
};

TEST_F(LuaState, RecordTablesHoldThePresentFieldsWithTheirLuaTypes) {
  TrackDetail fresh;
  EXPECT_EQ(pushed(fresh), "");

  TrackDetail listed;  // as a depth list fills it
  listed.Track->set(track(0x1000));
  listed.Depth->set(-1);
  listed.Name->value = "not present";
  std::ostringstream light;
  light << static_cast<void*>(track(0x1000));
  EXPECT_EQ(pushed(listed), "Depth=int:-1 Track=light:" + light.str());

  TrackDetail full;
  full.Name->set("Dialogue");
  full.Track->set(nullptr);  // present but null: the key stays out
  full.Volume->set(-3.5);
  full.Index->set(4);
  full.Depth->set(0);
  EXPECT_EQ(pushed(full), "Depth=int:0 Index=int:4 Name=string:Dialogue Volume=float:-3.5");

  mx_Peak peak;  // a peak entry
  peak.Time->set(0.001);
  peak.MaxPeak->set(-6.0);
  peak.MinPeak->set(-7.25);
  EXPECT_EQ(pushed(peak), "MaxPeak=float:-6 MinPeak=float:-7.25 Time=float:0.001");

  mx_Midi note;
  note.Index->set(1);
  note.Pitch->set(60);
  note.Velocity->set(100);
  note.StartPos->set(1.0);
  note.EndPos->set(1.5);
  EXPECT_EQ(pushed(note), "EndPos=float:1.5 Index=int:1 Pitch=int:60 StartPos=float:1 Velocity=int:100");

  VOXPAIR_Tracks group;
  group.MasterName->set("EN");
  group.MasterTrack->set(track(0x2000));
  group.BaseTrack->set(nullptr);
  light.str("");
  light << static_cast<void*>(track(0x2000));
  EXPECT_EQ(pushed(group), "MasterName=string:EN MasterTrack=light:" + light.str());
}

TEST_F(LuaState, TablesReadIntoFieldsByTheirTypes) {
  void* full_userdata = nullptr;
  push_chunk("return {Name = 'x', Track = 0, Volume = 2, Index = 3.0, Depth = 2.5, Other = 1, name = 'y'}");
  TrackDetail t;
  t.set_value_from_luatable(L, -1);  // a relative index reads the same table
  EXPECT_EQ(lua_gettop(L), 1);
  EXPECT_EQ(t.Name->value, "x");
  EXPECT_FALSE(t.Track->present);  // never read from Lua
  EXPECT_EQ(t.Volume->value, 2.0);
  EXPECT_EQ(t.Index->value, 3);
  EXPECT_EQ(t.Depth->value, 0);  // a float without an integral value
  EXPECT_EQ(t.get_size(), 4);
  lua_settop(L, 0);

  // Values of another Lua type give the field's empty value, still present.
  full_userdata = lua_newuserdata(L, 8);
  lua_setglobal(L, "ud");
  push_chunk("return {MasterName = 5, MasterTrack = ud, BaseTrack = 'track', UniqueTrack = io.stdout}");
  VOXPAIR_Tracks group;
  group.MasterName->value = "kept?";
  group.set_value_from_luatable(L, 1);
  EXPECT_EQ(group.MasterName->value, "");
  EXPECT_EQ(group.MasterTrack->value, track(reinterpret_cast<uintptr_t>(full_userdata)));
  EXPECT_EQ(group.BaseTrack->value, nullptr);
  EXPECT_NE(group.UniqueTrack->value, nullptr);
  EXPECT_EQ(group.get_size(), 4);
  lua_settop(L, 0);

  push_chunk("return {Pitch = '60', Velocity = 2^40, StartPos = '1.5', EndPos = -0.25}");
  mx_Midi note;
  note.set_value_from_luatable(L, 1);
  EXPECT_EQ(note.Pitch->value, 0);
  EXPECT_EQ(note.StartPos->value, 0.0);
  EXPECT_EQ(note.EndPos->value, -0.25);
  EXPECT_EQ(note.get_size(), 4);
}

TEST_F(LuaState, ReadingStopsAtTheFirstKeyThatIsNotAString) {
  push_chunk("return {1, 2, Time = 5}");  // the array part is traversed first
  mx_Peak peak;
  peak.set_value_from_luatable(L, 1);
  EXPECT_EQ(peak.get_size(), 0);
  EXPECT_EQ(lua_gettop(L), 1);  // the stack is as it was

  lua_pushinteger(L, 7);  // not a table: nothing is read, nothing raised
  peak.set_value_from_luatable(L, 2);
  lua_pushnil(L);
  peak.set_value_from_luatable(L, 3);
  EXPECT_EQ(peak.get_size(), 0);
  EXPECT_EQ(lua_gettop(L), 3);
}

TEST_F(LuaState, ARecordReadFromLuaPushesTheSameTable) {
  push_chunk("return {Time = 0.5, MaxPeak = -1.5, PointVol = 3}");
  mx_Peak peak;
  peak.set_value_from_luatable(L, 1);
  EXPECT_EQ(pushed(peak), "MaxPeak=float:-1.5 PointVol=float:3 Time=float:0.5");
}

}  // namespace
