-- The plug-in loaded as a native Lua module: its list functions replace the host's empty
-- entries, take Lua arguments by the plain rules (a wrong type is the empty value, never
-- an error), and hand back tables, JSON values and 64-bit integers exactly.
local T = require("t")

local ERR_INVALID_TRACK, ERR_INVALID_MEDIA_ITEM, ERR_NOT_ALL_ITEMS = 10, 11, 26
local ERR_PATH_NOT_FOUND, ERR_JSON_PARSE, ERR_JSON_SERIALIZE = 30, 32, 33

local NAMES = {
  "MX_GetTrackItemList", "MX_GetTrackItemChildList", "MX_GetTrackIdChildList",
  "MX_GetSelectedTrackIdChildList", "MX_GetTrackDepthList", "MX_GetSamePerfectTrackNameList",
  "MX_GetIncludePerfectTrackNameList", "MX_GetFilePathList", "MX_GetStringSplitList",
  "MX_GetUserInputList", "MX_GetMediaItemPeakList", "MX_GetMediaIdPeakList",
  "MX_GetSelectedMediaIdPeakList", "MX_GetPathInfo", "MX_Json_Deserialize", "MX_Json_Serialize",
  "MX_SetMediaItemListRIDEFORM", "MX_VOXPAIR_InsertMediaItems",
}

local host_entries = {}
for _, name in ipairs(NAMES) do host_entries[name] = reaper[name] end
local loaded = require("reaper_MIXVALE_COBALT")

local function keys_of(t)
  local out = {}
  for k in pairs(t) do out[#out + 1] = tostring(k) end
  table.sort(out)
  return table.concat(out, ",")
end

local function same_list(actual, expected, what)
  T.eq(keys_of(actual), keys_of(expected), what .. " keys")
  for k, v in pairs(expected) do T.eq(actual[k], v, what .. " [" .. tostring(k) .. "]") end
end

local function write_file(path, text)
  local f = assert(io.open(path, "wb"))
  f:write(text or "x")
  f:close()
  return path
end

local function sandbox(name)
  local dir = reaper.GetResourcePath() .. "/" .. name
  os.execute("mkdir -p '" .. dir .. "'")
  return dir
end

local tones = 0
local function tone_item(track, seconds, position)
  tones = tones + 1
  local path = reaper.GetResourcePath() .. "/module_tone" .. tones .. ".wav"
  sim.write_tone(path, 440, 0.5, seconds, 48000, 1)
  reaper.SetOnlyTrackSelected(track)
  reaper.SetEditCurPos(position or 0, false, false)
  T.eq(reaper.InsertMedia(path, 0), 1, "inserted")
  local item = reaper.GetTrackMediaItem(track, reaper.CountTrackMediaItems(track) - 1)
  reaper.SetMediaItemSelected(item, false)
  return item
end

T.case("loading installs the eighteen functions into reaper and MX_COBALT", function()
  T.eq(loaded, reaper, "the loader's value is the reaper table")
  T.eq(type(MX_COBALT), "table", "global module table")
  for _, name in ipairs(NAMES) do
    T.eq(type(reaper[name]), "function", name)
    T.eq(reaper[name], MX_COBALT[name], name .. " is one function in both tables")
    T.ok(reaper[name] ~= host_entries[name], name .. " replaces the host's entry")
  end
  T.eq(keys_of(MX_COBALT), (function() local c = { table.unpack(NAMES) }; table.sort(c); return table.concat(c, ",") end)(),
    "the module table holds exactly the eighteen")
  -- Loading again installs afresh.
  package.loaded["reaper_MIXVALE_COBALT"] = nil
  MX_COBALT = nil
  reaper.MX_GetTrackItemList = nil
  T.eq(require("reaper_MIXVALE_COBALT"), reaper, "second load")
  T.eq(reaper.MX_GetTrackItemList, MX_COBALT.MX_GetTrackItemList, "reinstalled")
end)

-- A folder "Line A" holding "Line B", then "Other".
local function folder_tracks()
  local a, b, c = T.tracks("Line A", "line b", "Other")
  reaper.SetMediaTrackInfo_Value(a, "I_FOLDERDEPTH", 1)
  reaper.SetMediaTrackInfo_Value(b, "I_FOLDERDEPTH", -1)
  return a, b, c
end

T.case("track lists are pointer lists; a project of the wrong type is the active one", function()
  local a, b, c = folder_tracks()
  for _, proj in ipairs({ { nil }, { 0 }, { "x" }, { {} }, {} }) do
    same_list(reaper.MX_GetTrackItemList(table.unpack(proj, 1, 1)), { a, b, c }, "all tracks")
  end
  local list, count = reaper.MX_GetTrackItemChildList(a)
  same_list(list, { b }, "children of the folder")
  T.eq(count, 1, "child count")
  T.eq(math.type(count), "integer", "count is an integer")
  list, count = reaper.MX_GetTrackIdChildList(nil, 0)
  same_list(list, { b }, "children by index")
  T.eq(count, 1, "count by index")
  reaper.SetOnlyTrackSelected(a)
  list, count = reaper.MX_GetSelectedTrackIdChildList(nil, 0)
  same_list(list, { b }, "children of the selected track")
  T.eq(count, #list, "second result counts the first")
  T.eq(sim.violations()[1], nil, "no violation")
end)

T.case("bad and dead tracks give an empty list, count 0 and the track code", function()
  local a = T.tracks("gone")
  reaper.DeleteTrack(a)
  for _, bad in ipairs({ a, 5, "track", true }) do
    local list, count = reaper.MX_GetTrackItemChildList(bad)
    T.eq(next(list), nil, tostring(bad) .. " list empty")
    T.eq(count, 0, "count")
    T.eq(T.code(), ERR_INVALID_TRACK, "code")
  end
  T.eq(sim.violations()[1], nil, "the dead track never reached the host")
end)

T.case("track records carry exactly their present fields", function()
  local a, b, c = folder_tracks()
  local records = reaper.MX_GetTrackDepthList(nil)
  T.eq(keys_of(records), "1,2,3", "one record per track")
  local expected = { { a, 0 }, { b, 1 }, { c, 0 } }
  for i, r in ipairs(records) do
    T.eq(keys_of(r), "Depth,Track", "record " .. i .. " keys")
    T.eq(r.Track, expected[i][1], "track " .. i)
    T.eq(r.Depth, expected[i][2], "depth " .. i)
    T.eq(math.type(r.Depth), "integer", "depth is an integer")
  end
  local same = reaper.MX_GetSamePerfectTrackNameList(nil, "Other")
  T.eq(#same, 1, "one exact name")
  T.eq(keys_of(same[1]), "Index,Track", "name record keys")
  T.eq(same[1].Track, c, "exact match")
  T.eq(same[1].Index, 2, "its index")
  local include = reaper.MX_GetIncludePerfectTrackNameList(nil, "LINE")
  T.eq(#include, 2, "names holding the text, any case")
  T.eq(include[1].Track, a, "first holder")
  T.eq(include[2].Track, b, "second holder")
  T.eq(#reaper.MX_GetSamePerfectTrackNameList(nil, 7), 0, "a number is not a name")
end)

T.case("string lists: split pieces and files found by extension", function()
  same_list(reaper.MX_GetStringSplitList("a,b;c", ",;"), { "a", "b", "c" }, "split")
  same_list(reaper.MX_GetStringSplitList("a\0,b", ","), { "a" }, "text ends at its NUL")
  same_list(reaper.MX_GetStringSplitList(1.5, ","), reaper.MX_GetStringSplitList("", ","),
    "a number is not taken as a string")
  local dir = sandbox("lst")
  sandbox("lst/sub")
  write_file(dir .. "/a.wav")
  write_file(dir .. "/b.txt")
  write_file(dir .. "/sub/c.WAV")
  local found = reaper.MX_GetFilePathList(dir, "wav")
  table.sort(found)
  same_list(found, { dir .. "/a.wav", dir .. "/sub/c.WAV" }, "wav files")
  T.eq(next(reaper.MX_GetFilePathList(dir .. "/none", "wav")), nil, "missing folder: empty")
end)

T.case("the input list returns the flag first, then the entered values", function()
  sim.answer_inputs({ "Line", "02" })
  sim.cancel_inputs()
  local n = select("#", reaper.MX_GetUserInputList("Names", 2, "Prefix,Number", "L,01"))
  T.eq(n, 2, "two results")
  local ok, values = reaper.MX_GetUserInputList("Names", 2, "Prefix,Number", "L,01")
  T.eq(ok, false, "the second answer cancels")
  T.eq(next(values), nil, "nothing entered")
  sim.answer_inputs({ "Take", "07" })
  ok, values = reaper.MX_GetUserInputList("Names", 2, "Prefix,Number", "L,01")
  T.eq(ok, true, "confirmed")
  same_list(values, { "Take", "07" }, "entered values")
  T.eq(sim.dialogs()[1].captions, "Prefix,Number", "captions reached the dialog")
end)

T.case("peak lists: one record per millisecond, by item, index and selection", function()
  local track = T.tracks("peaks")
  local item = tone_item(track, 0.05)
  local peaks = reaper.MX_GetMediaItemPeakList(item)
  T.near(#peaks, 50, 1, "records")
  T.eq(keys_of(peaks[10]), "MaxPeak,MinPeak,Time", "record keys")
  T.near(peaks[11].Time - peaks[10].Time, 0.001, 1e-9, "a millisecond apart")
  local loudest = -math.huge
  for _, r in ipairs(peaks) do loudest = math.max(loudest, r.MaxPeak) end
  T.near(loudest, 20 * math.log(0.5, 10), 0.2, "a half-scale sine peaks near -6 dB")
  local by_index = reaper.MX_GetMediaIdPeakList(nil, 0)
  T.eq(#by_index, #peaks, "by index")
  for i = 1, #peaks, 7 do
    T.eq(by_index[i].MinPeak, peaks[i].MinPeak, "by index, the same levels")
    T.eq(by_index[i].Time, peaks[i].Time, "by index, the same times")
  end
  reaper.SetMediaItemSelected(item, true)
  T.eq(#reaper.MX_GetSelectedMediaIdPeakList(nil, 0), #peaks, "by selection")
  for _, bad in ipairs({ "item", 3, {} }) do
    T.eq(next(reaper.MX_GetMediaItemPeakList(bad)), nil, "no item, no records")
    T.eq(T.code(), ERR_INVALID_MEDIA_ITEM, "item code")
  end
end)

T.case("path information is a table of the found fields", function()
  local dir = sandbox("info")
  local file = write_file(dir .. "/Take 01.wav")
  local info = reaper.MX_GetPathInfo(file)
  T.eq(info.FileName, "Take 01.wav", "name")
  T.eq(info.FileNameWithoutExtension, "Take 01", "stem")
  T.eq(info.Extension, "wav", "extension")
  T.eq(info.ParentName, "info", "parent")
  T.eq(info.Type, "File", "type")
  T.eq(reaper.MX_GetPathInfo(dir).Type, "Folder", "a folder")
  local missing = reaper.MX_GetPathInfo(dir .. "/none.wav")
  T.eq(next(missing), nil, "a missing path: no fields")
  T.eq(T.code(), ERR_PATH_NOT_FOUND, "code")
end)

T.case("JSON text becomes Lua values; integers keep all their digits", function()
  local v = reaper.MX_Json_Deserialize('{"b":[1,2.5,"x",true,null],"a":false}')
  T.eq(v.a, false, "false member")
  T.eq(keys_of(v.b), "1,2,3,4", "null leaves its key unset")
  T.eq(math.type(v.b[1]), "integer", "1 is an integer")
  T.eq(v.b[2], 2.5, "float")
  T.eq(v.b[3], "x", "string")
  T.eq(v.b[4], true, "true")
  for _, c in ipairs({
    { "2147483648", 2147483648 }, { "-2147483649", -2147483649 },
    { "9007199254740993", 9007199254740993 }, { "-9223372036854775808", math.mininteger },
    { "9223372036854775807", math.maxinteger },
  }) do
    local n = reaper.MX_Json_Deserialize(c[1])
    T.eq(math.type(n), "integer", c[1] .. " type")
    T.eq(n, c[2], c[1])
  end
  T.eq(math.type(reaper.MX_Json_Deserialize("18446744073709551615")), "float", "beyond Lua's integers")
  T.eq(reaper.MX_Json_Deserialize('"a\\u0000b"'), "a\0b", "NUL inside a JSON string")
  T.eq(reaper.MX_Json_Deserialize("null"), nil, "null")
  T.eq(T.code(), 0, "valid text leaves no code")
end)

T.case("text that is not JSON gives nil and the parse code", function()
  for _, bad in ipairs({ "{", "[1,]", "nul", "", '"\255"', "[1] 2", string.rep("[", 10000) .. string.rep("]", 10000) }) do
    T.eq(reaper.MX_Json_Deserialize(bad), nil, "nil for " .. bad:sub(1, 12))
    T.eq(T.code(), ERR_JSON_PARSE, "code for " .. bad:sub(1, 12))
  end
  for _, bad in ipairs({ 42, true, {} }) do
    T.eq(reaper.MX_Json_Deserialize(bad), nil, "a " .. type(bad) .. " is no text")
  end
  -- The text ends at its first NUL, as every text argument does.
  T.eq(reaper.MX_Json_Deserialize('{"a":1}\0junk').a, 1, "text before the NUL")
  local big = reaper.MX_Json_Deserialize("[" .. string.rep("1,", 99999) .. "1]")
  T.eq(#big, 100000, "a long array")
end)

T.case("Lua values become JSON text; Lua integers keep all their digits", function()
  for _, c in ipairs({
    { { x = true, y = 3.0 }, '{"x":1,"y":3}' },
    { {}, "null" }, { 5, "null" }, { "text", "null" },
    { { 1, 2.5, "x", false }, '[1,2.5,"x",0]' },
    { { 2147483648, -2147483649, math.maxinteger }, "[2147483648,-2147483649,9223372036854775807]" },
    { { 2 ^ 40 }, "[1099511627776.0]" },
    { { a = { b = { 1, {} } } }, '{"a":{"b":[1,null]}}' },
    { { "a\0b" }, '["a\\u0000b"]' },
    { { f = print, n = 1 }, '{"n":1}' },
  }) do
    T.eq(reaper.MX_Json_Serialize(c[1]), c[2], c[2])
    T.eq(T.code(), 0, c[2] .. " code")
  end
  T.eq(reaper.MX_Json_Serialize(), "null", "no argument")
  local stored = { count = 4294967296, neg = -9007199254740993, name = "take" }
  local back = reaper.MX_Json_Deserialize(reaper.MX_Json_Serialize(stored))
  for k, v in pairs(stored) do T.eq(back[k], v, "round trip " .. k) end
end)

T.case("tables without a JSON form give nil or empty text and the serialize code", function()
  local deep = {}
  local at = deep
  for _ = 1, 10000 do
    at[1] = {}
    at = at[1]
  end
  local cyclic = {}
  cyclic.self = cyclic
  for name, bad in pairs({ mixed = { 1, x = 2 }, nested_mixed = { a = { 1, b = 2 } }, deep = deep, cyclic = cyclic }) do
    T.eq(reaper.MX_Json_Serialize(bad), nil, name)
    T.eq(T.code(), ERR_JSON_SERIALIZE, name .. " code")
  end
  T.eq(reaper.MX_Json_Serialize({ "\255\254" }), "", "invalid UTF-8 cannot be written")
  T.eq(T.code(), ERR_JSON_SERIALIZE, "UTF-8 code")
  local top = select("#", reaper.MX_Json_Serialize({ 1, x = 2 }))
  T.eq(top, 1, "a failure still returns one result")
end)

T.case("a list ride takes each element as an item; non-pointers are null items", function()
  local track = T.tracks("ride")
  local a = tone_item(track, 0.5, 0)
  local b = tone_item(track, 0.5, 1)
  T.eq(select("#", reaper.MX_SetMediaItemListRIDEFORM({ a, b }, 0)), 0, "no results")
  T.eq(T.code(), 0, "both ridden")
  T.eq(reaper.CountTakes(a), 2, "first item has its ridden take")
  T.eq(reaper.CountTakes(b), 2, "second item has its ridden take")
  reaper.MX_SetMediaItemListRIDEFORM({ "x", 1, {} }, 0)
  T.eq(T.code(), ERR_NOT_ALL_ITEMS, "null items reported")
  reaper.MX_SetMediaItemListRIDEFORM({ a, x = b }, 0)
  T.eq(reaper.CountTakes(b), 2, "a string key ends the list")
  T.eq(sim.violations()[1], nil, "no violation")
end)

T.case("bilingual insertion returns the unmatched subject lines", function()
  local sub, base = sandbox("vox_sub"), sandbox("vox_base")
  sim.write_tone(sub .. "/Line_01.wav", 440, 0.3, 0.2, 48000, 1)
  sim.write_tone(sub .. "/Line_02.wav", 440, 0.3, 0.2, 48000, 1)
  sim.write_tone(base .. "/Line_01.wav", 330, 0.3, 0.2, 48000, 1)
  local unmatched = reaper.MX_VOXPAIR_InsertMediaItems(sub, base, 0, 0.5, 0, false, false, 0, { "line" })
  T.eq(T.code(), 0, "completed")
  T.eq(#unmatched, 1, "one line without a partner")
  T.ok(unmatched[1]:find("Line_02.wav", 1, true), "the unmatched line")
  T.ok(reaper.CountMediaItems(nil) >= 2, "the pair was inserted")
end)

-- Every function under arguments of every wrong type and count: none raises, each
-- returns its usual result shape.
T.case("arguments of any type and count never raise", function()
  local deep = {}
  local at = deep
  for _ = 1, 10000 do at[1] = {}; at = at[1] end
  local hostile = { nil, 0, -1, 2 ^ 63, 0 / 0, math.huge, "", "x\0y", "\255\254", true, false, {},
    { 1, "a", x = 2 }, { [1.5] = 1, [true] = 2 }, deep, print, coroutine.create(print),
    io.stdout }
  local shapes = { MX_GetUserInputList = "boolean", MX_SetMediaItemListRIDEFORM = "nil",
    MX_GetPathInfo = "table", MX_Json_Deserialize = "any", MX_Json_Serialize = "any",
    MX_VOXPAIR_InsertMediaItems = "table" }
  for _, name in ipairs(NAMES) do
    for i = 1, #hostile + 1 do
      local v = hostile[i]
      local args = { v, v, v, v, v, v, v, v, v }
      for n = 0, 9, 3 do
        sim.cancel_inputs()
        local ok, first = pcall(reaper[name], table.unpack(args, 1, n))
        T.ok(ok, name .. " raised with " .. n .. " argument(s) of " .. type(v) .. ": " .. tostring(first))
        local want = shapes[name] or "table"
        if want ~= "any" then T.eq(type(first), want, name .. " result shape") end
      end
    end
  end
  T.eq(reaper.CountTracks(nil), 0, "nothing was made from bad input")
end)

T.done()
