-- Track insertion and folder depth from a script.
local T = require("t")
local ERR_INVALID_TRACK, ERR_INVALID_VALUE = 10, 15

local function depths()
  local out = {}
  for i = 0, reaper.CountTracks(nil) - 1 do out[#out + 1] = reaper.GetTrackDepth(reaper.GetTrack(nil, i)) end
  return table.concat(out, ",")
end

T.case("insert by index, by unique name and as a child", function()
  T.tracks("A", "B")
  local t = reaper.MX_InsertTrackId(nil, 1)
  T.eq(t, reaper.GetTrack(nil, 1), "inserted at 1")
  T.eq(reaper.MX_InsertTrackId(nil, 50), reaper.GetTrack(nil, 3), "past the end: last")
  local found, index = reaper.MX_InsertTrackSearchUniqueOnly(nil, "B")
  T.eq(index, 2, "found B")
  T.eq(reaper.CountTracks(nil), 4, "nothing inserted")
  local added, at = reaper.MX_InsertTrackSearchUniqueOnly(nil, "b")
  T.eq(at, 4, "case matters: appended")
  T.eq(select(2, reaper.GetTrackName(added)), "b", "named")
  local a = reaper.GetTrack(nil, 0)
  local child, ci = reaper.MX_InsertChildTrack(a)
  T.eq(ci, 1, "child right after the parent")
  T.eq(reaper.GetParentTrack(child), a, "parent")
  T.eq(depths(), "0,1,0,0,0,0", "others keep their depth")
  T.eq(reaper.MX_InsertChildTrack(nil), nil, "no parent")
  T.eq(T.code(), ERR_INVALID_TRACK, "code")
end)

T.case("depth setters in three forms", function()
  local a, b, c = T.tracks("A", "B", "C")
  reaper.MX_SetTrackItemDepth(b, 1)
  T.eq(depths(), "0,1,0", "item")
  reaper.MX_SetTrackIdDepth(nil, 1, 0)
  T.eq(depths(), "0,0,0", "id")
  reaper.SetTrackSelected(c, true)
  reaper.MX_SetSelectedTrackIdDepth(nil, 0, 1)
  T.eq(depths(), "0,0,1", "selected")
  reaper.MX_SetTrackIdDepth(nil, 1, 2)
  T.eq(T.code(), ERR_INVALID_VALUE, "two levels below the track above")
  T.eq(depths(), "0,0,1", "unchanged")
  reaper.MX_SetTrackIdDepth(nil, 8, 0)
  T.eq(T.code(), ERR_INVALID_TRACK, "no track")
end)

T.done()
