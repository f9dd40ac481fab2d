-- Rides one line in the simulated host and writes what a picture of the ride needs as
-- JSON: the line's millisecond peaks before the ride, the take's "Volume" envelope as
-- written (its points, and its value every millisecond as the host evaluates it), and
-- the peaks of the rendered take.
--   mxhost54 demo/ride_dump.lua LINE.wav OUT.json [RATIO_TYPE]
local reaper = reaper
require("reaper_MIXVALE_COBALT")

local line, out = arg[1], arg[2]
assert(line and out, "usage: ride_dump.lua LINE.wav OUT.json [RATIO_TYPE]")
local RATIO_TYPE = math.tointeger(tonumber(arg[3] or "1")) or 1

local function checked(what)
  local code = reaper.GetErrorCode()
  assert(code == 0, string.format("%s: error code %d", what, code))
end

-- The peak list as three columns; each record's level is its louder extreme.
local function peaks(item)
  local list = reaper.MX_GetMediaItemPeakList(item)
  checked("peak list")
  local time, max_peak, min_peak = {}, {}, {}
  for i, p in ipairs(list) do time[i], max_peak[i], min_peak[i] = p.Time, p.MaxPeak, p.MinPeak end
  return { time = time, max_peak = max_peak, min_peak = min_peak }
end

local function db(amplitude) return amplitude > 0 and 20 * math.log(amplitude, 10) or -150.0 end

reaper.InsertTrackAtIndex(0, true)
local track = reaper.GetTrack(nil, 0)
reaper.SetOnlyTrackSelected(track)
reaper.SetEditCurPos(0, false, false)
assert(reaper.InsertMedia(line, 0) == 1, "cannot insert " .. line)
local item = reaper.GetTrackMediaItem(track, 0)
local length = reaper.GetMediaItemInfo_Value(item, "D_LENGTH")

local before = peaks(item)
reaper.MX_SetMediaItemRIDEFORM(item, RATIO_TYPE)
checked("ride")
local env = assert(reaper.GetTakeEnvelopeByName(reaper.GetTake(item, 0), "Volume"), "no volume envelope")
local mode = reaper.GetEnvelopeScalingMode(env)

local points = { time = {}, gain_db = {} }
for i = 0, reaper.CountEnvelopePoints(env) - 1 do
  local _, time, raw = reaper.GetEnvelopePoint(env, i)
  points.time[i + 1], points.gain_db[i + 1] = time, db(reaper.ScaleFromEnvelopeMode(mode, raw))
end
local curve = { time = {}, gain_db = {} }
for ms = 0, math.floor(length * 1000 + 0.5) - 1 do
  local _, raw = reaper.Envelope_Evaluate(env, ms / 1000, 0, 0)
  curve.time[ms + 1], curve.gain_db[ms + 1] = ms / 1000, db(reaper.ScaleFromEnvelopeMode(mode, raw))
end

local json = reaper.MX_Json_Serialize({
  line = line, ratio_type = RATIO_TYPE, length = length, before = before, after = peaks(item),
  envelope_points = points, envelope = curve,
})
checked("JSON")
local file = assert(io.open(out, "w"))
file:write(json)
file:close()
