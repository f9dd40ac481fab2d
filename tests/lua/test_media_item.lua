-- The path, JSON and peak list definitions as the host's own script bridge sees them:
-- registered with their signatures, and their direct entry the empty one, which does
-- nothing and reports nothing. Their working forms reach scripts through the module.
local T = require("t")

local HOME = os.getenv("HOME")

local DEFINITIONS = {
  "MX_GetPathInfo", "MX_Json_Deserialize", "MX_Json_Serialize",
  "MX_GetMediaItemPeakList", "MX_GetMediaIdPeakList", "MX_GetSelectedMediaIdPeakList",
}

-- A session with one inserted line on one track, and a code left in the sink.
local function session_with_line()
  local track = T.tracks("dialogue")
  local file = HOME .. "/line_01.wav"
  sim.write_tone(file, 440, 0.5, 1.0, 8000, 1)
  reaper.SetOnlyTrackSelected(track)
  T.eq(reaper.InsertMedia(file, 0), 1, "inserted")
  local item = reaper.GetSelectedMediaItem(nil, 0)
  T.ok(item, "the new item")
  reaper.MX_GetTrackItemMute(nil)
  T.eq(T.code(), 10, "a code before the calls")
  return track, item
end

local function snapshot(item)
  return table.concat({
    reaper.CountMediaItems(nil), reaper.GetMediaItemInfo_Value(item, "D_POSITION"),
    reaper.GetMediaItemInfo_Value(item, "D_LENGTH"), reaper.GetMediaItemInfo_Value(item, "D_VOL"),
    tostring(reaper.IsMediaItemSelected(item)), reaper.GetCursorPosition(),
  }, ",")
end

T.case("the list and JSON definitions are the empty entry on both builds", function()
  local _, item = session_with_line()
  local before = snapshot(item)
  for _, name in ipairs(DEFINITIONS) do
    T.ok(reaper[name], name .. " is offered to scripts")
    local results = table.pack(reaper[name](item, 0, '{"a":1}'))
    for i = 1, results.n do
      T.ok(results[i] == nil or results[i] == 0, name .. " hands back nothing of its own")
    end
    T.eq(snapshot(item), before, name .. " leaves the session")
    T.eq(T.code(), 10, name .. " reports nothing")
  end
end)

T.case("hostile arguments reach the empty entries harmlessly", function()
  local track, item = session_with_line()
  local before = snapshot(item)
  local hostile = { nil, true, -1, math.mininteger, math.maxinteger, 1e308, 0 / 0, "", string.rep("x", 100 * 1024),
                    "\255\254", {}, track, print }
  for _, name in ipairs(DEFINITIONS) do
    for _, a in ipairs(hostile) do
      for _, b in ipairs({ -1, 2147483647, item }) do
        local ok, err = pcall(reaper[name], a, b, a)
        T.ok(ok, name .. ": " .. tostring(err))
      end
    end
  end
  T.eq(snapshot(item), before, "the session")
  T.eq(T.code(), 10, "the sink")
end)

T.done()
