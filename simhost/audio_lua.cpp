// Simulator controls for audio, which a script cannot make through the host alone:
//   sim.write_tone(path, hz, amplitude, seconds, rate, channels[, bits])
//       writes a sine through libsndfile: WAV, or FLAC / AIFF by the file's extension;
//       bits 8, 16 (the default), 24 or 32 for integer samples, "float" for floats
//   sim.read_audio(path)              channels, rate, {interleaved samples}; 0, 0, {}
//                                     when the file cannot be read
//   sim.speak(path, text[, voice])    speech by espeak-ng into a WAV: the path, or nil
//   sim.commands()                    the host commands run since the reset, in order:
//                                     {command = id, flag = f, project = p or nil}
//   sim.peaks(take, peakrate, starttime, numchannels, count[, extra])
//       GetMediaItemTake_Peaks with tables in place of the host's array: the result,
//       then the maxima, the minima and (extra 115) the spectral block, each interleaved
//   sim.add_take_envelope(take, name)  a new take envelope ("Volume", "Pan", "Mute",
//                                     "Pitch") with no points, as the host makes one
#include <lua.hpp>

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "simhost/host_media.h"
#include "simhost/lua_bridge.h"
#include "simhost/source.h"

namespace sim {
namespace {

template <class T>
void push_array(lua_State* L, const T* values, size_t n) {
  lua_createtable(L, static_cast<int>(std::min<size_t>(n, 1u << 30)), 0);
  for (size_t i = 0; i < n; ++i) {
    lua_pushnumber(L, static_cast<lua_Number>(values[i]));
    lua_rawseti(L, -2, static_cast<lua_Integer>(i + 1));
  }
}

int write_tone(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  const double hz = luaL_checknumber(L, 2), amplitude = luaL_checknumber(L, 3), seconds = luaL_checknumber(L, 4);
  const lua_Integer rate = luaL_checkinteger(L, 5), channels = luaL_checkinteger(L, 6);
  int bits = 16;
  if (lua_type(L, 7) == LUA_TSTRING) bits = std::strcmp(lua_tostring(L, 7), "float") == 0 ? 0 : -1;
  else if (!lua_isnoneornil(L, 7)) bits = static_cast<int>(std::clamp<lua_Integer>(luaL_checkinteger(L, 7), -1, 64));
  // A Lua error unwinds without destructors: the message is pushed before it is raised.
  bool written = false;
  {
    const ToneWritten tone = write_tone_file(path, hz, amplitude, seconds, rate, channels, bits);
    written = tone.outcome == ToneWritten::ok;
    if (!written) lua_pushstring(L, tone.message.c_str());
  }
  if (!written) return lua_error(L);
  lua_pushboolean(L, 1);
  return 1;
}

int read_audio(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  SourceAudio audio = read_audio_file(path);
  lua_pushinteger(L, audio.channels);
  lua_pushinteger(L, audio.sample_rate);
  push_array(L, audio.frames.data(), audio.frames.size());
  return 3;
}

int speak(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  const char* text = luaL_checkstring(L, 2);
  const char* voice = luaL_optstring(L, 3, "en");
  if (speak_to_file(path, text, voice, 100)) lua_pushstring(L, path);
  else lua_pushnil(L);
  return 1;
}

int commands(lua_State* L) {
  const auto& log = media::command_log();
  lua_createtable(L, static_cast<int>(log.size()), 0);
  for (size_t i = 0; i < log.size(); ++i) {
    lua_createtable(L, 0, 3);
    lua_pushinteger(L, log[i].command);
    lua_setfield(L, -2, "command");
    lua_pushinteger(L, log[i].flag);
    lua_setfield(L, -2, "flag");
    if (log[i].project) lua_pushlightuserdata(L, log[i].project);
    else lua_pushnil(L);
    lua_setfield(L, -2, "project");
    lua_rawseti(L, -2, static_cast<lua_Integer>(i + 1));
  }
  return 1;
}

int peaks(lua_State* L) {
  auto* take = static_cast<MediaItem_Take*>(lua_touserdata(L, 1));
  const double peakrate = luaL_checknumber(L, 2), starttime = luaL_checknumber(L, 3);
  const lua_Integer channels = luaL_checkinteger(L, 4), count = luaL_checkinteger(L, 5);
  const lua_Integer extra = luaL_optinteger(L, 6, 0);
  if (channels < 1 || channels > 64 || count < 1 || count > (1 << 20))
    return luaL_error(L, "peaks: numchannels 1..64, count 1..1048576");
  auto* get_peaks = reinterpret_cast<int (*)(MediaItem_Take*, double, double, int, int, int, double*)>(
      Host::get().get_func("GetMediaItemTake_Peaks"));
  const size_t block = static_cast<size_t>(channels * count);
  std::vector<double> buf(3 * block, 0.0);
  const int result = get_peaks ? get_peaks(take, peakrate, starttime, static_cast<int>(channels),
                                           static_cast<int>(count), static_cast<int>(extra), buf.data())
                               : 0;
  lua_pushinteger(L, result);
  push_array(L, buf.data(), block);
  push_array(L, buf.data() + block, block);
  if (extra == 115) push_array(L, buf.data() + 2 * block, block);
  return extra == 115 ? 4 : 3;
}

int add_take_envelope(lua_State* L) {
  auto* take = static_cast<MediaItem_Take*>(lua_touserdata(L, 1));
  const char* name = luaL_checkstring(L, 2);
  if (!media::session().is_live(take, "MediaItem_Take*")) return luaL_error(L, "add_take_envelope: not a live take");
  lua_pushlightuserdata(L, media::add_take_envelope(take, name));
  return 1;
}

const lua_bridge::control_registrar controls[] = {
    {"write_tone", write_tone},   {"read_audio", read_audio}, {"speak", speak},
    {"commands", commands},       {"peaks", peaks},           {"add_take_envelope", add_take_envelope},
};

}  // namespace
}  // namespace sim
