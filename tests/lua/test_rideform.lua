-- Level riding from a script: a spoken line gets a volume envelope that pulls its loud
-- syllables down and is rendered into a new take; the index forms, bad items and a
-- missing SWS function report their codes.
local T = require("t")

local files = 0
local function insert(path)
  local track = T.tracks("line")
  reaper.SetOnlyTrackSelected(track)
  reaper.SetEditCurPos(0, false, false)
  T.eq(reaper.InsertMedia(path, 0), 1, "inserted")
  local item = reaper.GetTrackMediaItem(track, 0)
  reaper.SetMediaItemSelected(item, false)
  return item
end

local function spoken_item(text)
  files = files + 1
  local path = sim.speak(reaper.GetResourcePath() .. "/ride" .. files .. ".wav", text)
  T.ok(path, "espeak-ng spoke")
  return insert(path)
end

local function tone_item(seconds)
  files = files + 1
  local path = reaper.GetResourcePath() .. "/ride_tone" .. files .. ".wav"
  sim.write_tone(path, 440, 0.5, seconds, 48000, 1)
  return insert(path)
end

-- The take's volume envelope as amplitudes.
local function amplitudes(take)
  local env = reaper.GetTakeEnvelopeByName(take, "Volume")
  if not env then return {} end
  local mode = reaper.GetEnvelopeScalingMode(env)
  local out = {}
  for i = 0, reaper.CountEnvelopePoints(env) - 1 do
    local _, _, raw = reaper.GetEnvelopePoint(env, i)
    out[#out + 1] = reaper.ScaleFromEnvelopeMode(mode, raw)
  end
  return out
end

T.case("a spoken line is ridden and rendered into a new take named like the old", function()
  local item = spoken_item("Hold the line! They are coming over the ridge, now.")
  local take = reaper.GetActiveTake(item)
  local _, name = reaper.GetSetMediaItemTakeInfo_String(take, "P_NAME", "", false)
  reaper.MX_SetMediaItemRIDEFORM(item, 0)
  T.eq(T.code(), 0, "no error")
  T.eq(reaper.CountTakes(item), 2, "rendered into a second take")
  local rendered = reaper.GetActiveTake(item)
  T.ok(rendered ~= take, "the render is active")
  local _, rendered_name = reaper.GetSetMediaItemTakeInfo_String(rendered, "P_NAME", "", false)
  T.eq(rendered_name, name, "keeps the old take's name")
  local points = amplitudes(take)
  T.ok(#points > 10, "points were written")
  local lowest = math.huge
  for _, a in ipairs(points) do
    T.ok(a == a and a > 0 and a < math.huge, "finite amplitude")
    lowest = math.min(lowest, a)
  end
  T.ok(lowest < 0.9, "loud syllables pulled down")
  T.eq(reaper.IsMediaItemSelected(item), false, "the item was not selected before")
end)

T.case("index forms find the item; names that name nothing report 11 and 12", function()
  local item = tone_item(0.3)
  reaper.MX_SetMediaIdRIDEFORM(nil, 0, 2)
  T.eq(T.code(), 0, "by index")
  reaper.SetMediaItemSelected(item, true)
  reaper.MX_SetSelectedMediaIdRIDEFORM(nil, 0, 7)
  T.eq(T.code(), 0, "by selected index")
  T.eq(reaper.IsMediaItemSelected(item), true, "still selected")
  reaper.MX_SetMediaIdRIDEFORM(nil, 5, 0)
  T.eq(T.code(), 11, "index past the last item")
  reaper.MX_SetMediaItemRIDEFORM(nil, 0)
  T.eq(T.code(), 11, "no item")
  local empty = reaper.AddMediaItemToTrack(T.tracks("empty"))
  reaper.MX_SetMediaItemRIDEFORM(empty, 0)
  T.eq(T.code(), 12, "no take")
end)

T.case("a short item rides to a unity envelope", function()
  local item = tone_item(0.005)
  reaper.MX_SetMediaItemRIDEFORM(item, 0)
  T.eq(T.code(), 0, "no error")
  for _, a in ipairs(amplitudes(reaper.GetTake(item, 0))) do T.near(a, 1.0, 1e-9, "unity") end
end)

T.case("without one SWS function the dialog names the ride and nothing changes", function()
  local item = tone_item(0.3)
  sim.withdraw("BR_EnvDeletePoint")
  sim.answer_message_box(7)
  reaper.MX_SetMediaItemRIDEFORM(item, 0)
  T.eq(T.code(), 25, "missing extension")
  local shown = sim.dialogs()[1]
  T.ok(shown and shown.text:find("MX_SetMediaItemRideform", 1, true), "the dialog names the ride")
  T.eq(reaper.CountTakes(item), 1, "nothing rendered")
  T.eq(reaper.GetTakeEnvelopeByName(reaper.GetActiveTake(item), "Volume"), nil, "no envelope made")
end)

T.done()
