-- Speed of the module's list functions against plain Lua doing the same from a script:
-- the track depth list against GetTrack + GetTrackDepth over 10,000 tracks, and the peak
-- list of a one-hour line against plain Lua building the same number of tables.
require("reaper_MIXVALE_COBALT")

local function seconds(fn, rounds)
  local best = math.huge
  for _ = 1, rounds do
    collectgarbage("collect")
    local start = os.clock()
    fn()
    best = math.min(best, os.clock() - start)
  end
  return best
end

local TRACKS = 10000
for i = 0, TRACKS - 1 do reaper.InsertTrackAtIndex(i, false) end

local native = seconds(function()
  assert(#reaper.MX_GetTrackDepthList(nil) == TRACKS)
end, 5)
local plain = seconds(function()
  local list = {}
  for i = 0, TRACKS - 1 do
    local track = reaper.GetTrack(nil, i)
    list[i + 1] = { Track = track, Depth = reaper.GetTrackDepth(track) }
  end
  assert(#list == TRACKS)
end, 5)
-- What the tables alone cost a script, with no host call: no list of them can be made
-- faster than about this.
local first = reaper.GetTrack(nil, 0)
local tables = seconds(function()
  local list = {}
  for i = 1, TRACKS do list[i] = { Track = first, Depth = 0 } end
  assert(#list == TRACKS)
end, 5)
print(string.format("track depth list, %d tracks: native %.4f s, plain Lua %.4f s: %.1fx faster (goal at least 10x)",
  TRACKS, native, plain, plain / native))
print(string.format("  the same tables made in Lua without any host call: %.4f s (plain Lua takes %.1fx that)",
  tables, plain / tables))

local path = reaper.GetResourcePath() .. "/one_hour.wav"
sim.write_tone(path, 440, 0.5, 3600, 48000, 1)
local track = reaper.GetTrack(nil, 0)
reaper.SetOnlyTrackSelected(track)
reaper.SetEditCurPos(0, false, false)
assert(reaper.InsertMedia(path, 0) == 1)
local item = reaper.GetTrackMediaItem(track, 0)

-- Best of three for both sides, so that neither pays alone for memory fresh from the
-- system; the native side includes the host computing the peaks from the audio.
local count = 0
local peaks_native = seconds(function()
  count = #reaper.MX_GetMediaItemPeakList(item)
end, 3)
assert(count >= 3599999, "one record per millisecond")
local peaks_plain = seconds(function()
  local list = {}
  for i = 1, count do list[i] = { Time = i * 0.001, MaxPeak = -6.0, MinPeak = -80.0 } end
  assert(#list == count)
end, 3)
print(string.format("one-hour peak list, %d records: native %.2f s, plain Lua tables %.2f s: %.2fx (goal at most 2x)",
  count, peaks_native, peaks_plain, peaks_native / peaks_plain))
os.remove(path)
