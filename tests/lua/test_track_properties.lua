-- Every track property function from a script, with outputs as the host returns them
-- and failures as codes in the sink.
local T = require("t")
local ERR_INVALID_TRACK, ERR_SET_FAILED, ERR_NOT_ALL_TRACKS, ERR_INVALID_ARGUMENT, ERR_GET_NAME_FAILED = 10, 14, 21, 23, 34

T.case("lookups by index among all and among the selected tracks", function()
  local a, b, c = T.tracks("A", "B", "C")
  T.eq(reaper.MX_GetTrackItemSelect(nil, 1, 0), b, "all")
  T.eq(reaper.MX_GetTrackItemSelect(nil, 0, 1), nil, "none selected")
  reaper.SetTrackSelected(c, true)
  T.eq(reaper.MX_GetTrackItemSelect(nil, 0, 1), c, "first selected")
  T.eq(reaper.MX_GetTrackItemSelect(nil, 999, 0), nil, "past the end")
  T.eq(T.code(), 0, "past the end leaves the sink clear")
  T.eq(reaper.MX_GetTrackItemSelect(nil, 0, 7), nil, "unknown type")
  T.eq(reaper.MX_GetTrackItemIndex(c), 2, "index")
  T.eq(reaper.MX_GetTrackCountSelect(nil, 0), 3, "count all")
  T.eq(reaper.MX_GetTrackCountSelect(nil, 1), 1, "count selected")
  T.eq(reaper.MX_GetTrackCountSelect(nil, 3), 0, "count of an unknown type")
  T.eq(T.code(), ERR_INVALID_ARGUMENT, "unknown type code")
end)

T.case("first selected track and its index", function()
  local a, b, c = T.tracks("A", "B", "C")
  local track, index = reaper.MX_GetSelectedTrackFirstInfo(nil)
  T.eq(track, nil, "nothing selected")
  T.eq(index, 0, "index left as the host set it")
  T.eq(T.code(), 0, "sink clear")
  reaper.SetTrackSelected(c, true)
  reaper.SetTrackSelected(b, true)
  track, index = reaper.MX_GetSelectedTrackFirstInfo(nil)
  T.eq(track, b, "first selected")
  T.eq(index, 1, "its index")
end)

T.case("the master track counts as selected but is not looked up", function()
  T.tracks("A")
  reaper.SetTrackSelected(reaper.GetMasterTrack(nil), true)
  T.eq(reaper.MX_GetTrackCountSelect(nil, 1), 1, "count")
  T.eq(reaper.MX_GetTrackItemSelect(nil, 0, 1), nil, "lookup")
  T.eq(reaper.MX_GetTrackItemIndex(reaper.GetMasterTrack(nil)), 0, "index of the master")
  T.eq(T.code(), ERR_INVALID_TRACK, "master has no index")
end)

T.case("mute and solo in all three forms, and switching all off", function()
  local a, b = T.tracks("A", "B")
  reaper.SetTrackSelected(b, true)
  reaper.MX_SetTrackItemMute(a, true)
  T.eq(reaper.MX_GetTrackItemMute(a), true, "item")
  reaper.MX_SetTrackIdMute(nil, 1, true)
  T.eq(reaper.MX_GetTrackIdMute(nil, 1), true, "id")
  reaper.MX_SetSelectedTrackIdMute(nil, 0, false)
  T.eq(reaper.MX_GetSelectedTrackIdMute(nil, 0), false, "selected")
  T.eq(reaper.GetMediaTrackInfo_Value(b, "B_MUTE"), 0, "host value")
  reaper.MX_SetTrackAllMuteOFF(nil)
  T.eq(reaper.MX_GetTrackItemMute(a), false, "all off")

  reaper.SetMediaTrackInfo_Value(a, "I_SOLO", 2)
  T.eq(reaper.MX_GetTrackItemSolo(a), true, "solo in another mode")
  reaper.MX_SetTrackIdSolo(nil, 1, true)
  T.eq(reaper.GetMediaTrackInfo_Value(b, "I_SOLO"), 1, "written as 1")
  T.eq(reaper.MX_GetTrackIdSolo(nil, 1), true, "id")
  reaper.MX_SetSelectedTrackIdSolo(nil, 0, false)
  T.eq(reaper.MX_GetSelectedTrackIdSolo(nil, 0), false, "selected")
  reaper.MX_SetTrackItemSolo(b, true)
  reaper.MX_SetTrackAllSoloOFF(nil)
  T.eq(reaper.MX_GetTrackItemSolo(a), false, "all off a")
  T.eq(reaper.MX_GetTrackItemSolo(b), false, "all off b")
  T.eq(T.code(), 0, "sink clear")

  sim.reset()
  reaper.MX_SetTrackAllMuteOFF(nil)
  T.eq(T.code(), 0, "empty project")
end)

T.case("a refused switch-off reports that not all tracks changed", function()
  local a, b, c = T.tracks("A", "B", "C")
  for _, t in ipairs({ a, b, c }) do reaper.SetMediaTrackInfo_Value(t, "B_MUTE", 1) end
  sim.refuse(b, "B_MUTE")
  reaper.MX_SetTrackAllMuteOFF(nil)
  T.eq(T.code(), ERR_NOT_ALL_TRACKS, "code")
  T.eq(reaper.GetMediaTrackInfo_Value(a, "B_MUTE"), 0, "a off")
  T.eq(reaper.GetMediaTrackInfo_Value(b, "B_MUTE"), 1, "b kept")
  T.eq(reaper.GetMediaTrackInfo_Value(c, "B_MUTE"), 0, "c off")
  reaper.MX_SetTrackItemMute(a, true)
  T.eq(T.code(), 0, "a later success clears the sink")
end)

T.case("colours native and as components", function()
  local a, b = T.tracks("A", "B")
  reaper.SetTrackSelected(b, true)
  reaper.MX_SetTrackItemColor(a, 0)
  local color, r, g, bl = reaper.MX_GetTrackItemColor(a)
  T.eq(color, 0x1000000, "custom black")
  T.eq(r + g + bl, 0, "black components")
  reaper.MX_SetTrackIdColor(nil, 0, reaper.ColorToNative(1, 2, 3))
  color, r, g, bl = reaper.MX_GetTrackIdColor(nil, 0)
  T.eq(color, 0x1000000 | 0x010203, "keeps the custom flag")
  T.eq(r * 10000 + g * 100 + bl, 10203, "components")
  reaper.MX_SetSelectedTrackIdRGB(nil, 0, 200, 100, 50)
  color, r, g, bl = reaper.MX_GetSelectedTrackIdColor(nil, 0)
  T.eq(color, reaper.ColorToNative(200, 100, 50), "RGB write adds no flag")
  T.eq(r, 200, "r"); T.eq(g, 100, "g"); T.eq(bl, 50, "b")
  reaper.MX_SetTrackItemRGB(a, 9, 8, 7)
  T.eq(reaper.GetTrackColor(a), reaper.ColorToNative(9, 8, 7), "item RGB")
  reaper.MX_SetTrackIdRGB(nil, 0, 1, 1, 1)
  reaper.MX_SetSelectedTrackIdColor(nil, 0, 0x00FF00)
  T.eq(reaper.GetTrackColor(b), 0x1000000 | 0x00FF00, "selected native")
  T.eq(reaper.GetTrackColor(a), reaper.ColorToNative(1, 1, 1), "id RGB")
end)

T.case("folder depth", function()
  local a, b, c = T.tracks("A", "B", "C")
  reaper.SetMediaTrackInfo_Value(a, "I_FOLDERDEPTH", 1)
  reaper.SetMediaTrackInfo_Value(b, "I_FOLDERDEPTH", -1)
  reaper.SetTrackSelected(b, true)
  T.eq(reaper.MX_GetTrackItemDepth(a), 0, "folder")
  T.eq(reaper.MX_GetTrackIdDepth(nil, 1), 1, "child")
  T.eq(reaper.MX_GetSelectedTrackIdDepth(nil, 0), 1, "selected child")
  T.eq(reaper.MX_GetTrackItemDepth(c), 0, "after the folder")
  T.eq(reaper.MX_GetTrackIdDepth(nil, 5), 0, "no track")
  T.eq(T.code(), ERR_INVALID_TRACK, "no track code")
end)

T.case("names", function()
  local a, b = T.tracks("Vocals", "Drums")
  reaper.SetTrackSelected(b, true)
  T.eq(reaper.MX_GetTrackItemName(a), "Vocals", "item")
  T.eq(reaper.MX_GetTrackIdName(nil, 1), "Drums", "id")
  T.eq(reaper.MX_GetSelectedTrackIdName(nil, 0), "Drums", "selected")
  reaper.MX_SetTrackItemName(a, "Lead")
  reaper.MX_SetTrackIdName(nil, 1, "Kit")
  T.eq(select(2, reaper.GetTrackName(a)), "Lead", "item set")
  reaper.MX_SetSelectedTrackIdName(nil, 0, "Perc")
  T.eq(select(2, reaper.GetTrackName(b)), "Perc", "selected set")
  sim.set_output_capacity(4)
  T.eq(reaper.MX_GetTrackItemName(a), "Lea", "cut to the capacity")
  sim.set_output_capacity(1)
  T.eq(reaper.MX_GetTrackItemName(a), "", "capacity 1")
  sim.set_output_capacity(0)
  local long = string.rep("x", 100000)
  reaper.MX_SetTrackItemName(a, long)
  T.eq(T.code(), 0, "long name set")
  T.eq(#reaper.MX_GetTrackItemName(a), 4095, "long name cut to the host's buffer")
  reaper.MX_SetTrackItemName(a, nil)
  T.eq(reaper.MX_GetTrackItemName(a), "Track 1", "nil names the track empty")
  sim.refuse(a, "GetTrackName")
  T.eq(reaper.MX_GetTrackItemName(a), "", "unreadable name")
  T.eq(T.code(), ERR_GET_NAME_FAILED, "code")
  sim.refuse(a, "P_NAME")
  reaper.MX_SetTrackItemName(a, "x")
  T.eq(T.code(), ERR_SET_FAILED, "refused name")
end)

T.case("selection", function()
  local a, b, c = T.tracks("A", "B", "C")
  reaper.MX_SetTrackIdSelected(nil, 0, true)
  reaper.MX_SetTrackIdSelected(nil, 2, true)
  T.eq(reaper.CountSelectedTracks(nil), 2, "two selected")
  reaper.MX_SetTrackIdSelected(nil, 0, false)
  T.eq(reaper.GetSelectedTrack(nil, 0), c, "one left")
  reaper.MX_SetTrackItemOnlySelected(b)
  T.eq(reaper.CountSelectedTracks(nil), 1, "only")
  T.eq(reaper.GetSelectedTrack(nil, 0), b, "only b")
  reaper.MX_SetTrackIdOnlySelected(nil, 0)
  T.eq(reaper.GetSelectedTrack(nil, 0), a, "only a")
  reaper.MX_SetTrackIdSelected(nil, 3, true)
  T.eq(T.code(), ERR_INVALID_TRACK, "no track")
end)

T.case("volume in dB", function()
  local a, b = T.tracks("A", "B")
  reaper.SetTrackSelected(b, true)
  T.eq(reaper.MX_GetTrackItemVolume(a), 0.0, "unity")
  reaper.SetMediaTrackInfo_Value(a, "D_VOL", 0.5)
  T.eq(reaper.MX_GetTrackItemVolume(a), -6.02, "half gain")
  reaper.SetMediaTrackInfo_Value(a, "D_VOL", 0)
  T.eq(reaper.MX_GetTrackItemVolume(a), -math.huge, "silence")
  reaper.MX_SetTrackItemVolume(a, -6)
  T.near(reaper.GetMediaTrackInfo_Value(a, "D_VOL"), 0.5011872, 1e-7, "stored gain")
  T.eq(reaper.MX_GetTrackIdVolume(nil, 0), -6.0, "read back")
  reaper.MX_SetTrackIdVolume(nil, 1, 0)
  reaper.MX_SetTrackIdAddVolume(nil, 1, 3)
  reaper.MX_SetSelectedTrackIdAddVolume(nil, 0, 3)
  T.eq(reaper.MX_GetSelectedTrackIdVolume(nil, 0), 6.0, "added twice")
  reaper.MX_SetSelectedTrackIdVolume(nil, 0, -12)
  reaper.MX_SetTrackItemAddVolume(b, 1.5)
  T.eq(reaper.MX_GetTrackItemVolume(b), -10.5, "item add")
  T.ok(sim.update_arrange_count() >= 5, "the arrangement is refreshed")
  sim.refuse(a, "D_VOL")
  reaper.MX_SetTrackItemVolume(a, 0)
  T.eq(T.code(), ERR_SET_FAILED, "refused volume")
end)

T.case("deleting by index among all or the selected", function()
  local a, b, c = T.tracks("A", "B", "C")
  reaper.SetTrackSelected(c, true)
  reaper.MX_DeleteTrackIdSelect(nil, 0, 1)
  T.eq(reaper.CountTracks(nil), 2, "selected deleted")
  T.eq(reaper.ValidatePtr(c, "MediaTrack*"), false, "c is gone")
  reaper.MX_DeleteTrackIdSelect(nil, 0, 0)
  T.eq(reaper.GetTrack(nil, 0), b, "first deleted")
  reaper.MX_DeleteTrackIdSelect(nil, 5, 0)
  T.eq(T.code(), ERR_INVALID_TRACK, "no track")
  reaper.MX_DeleteTrackIdSelect(nil, 0, 4)
  T.eq(T.code(), ERR_INVALID_TRACK, "unknown type")
  T.eq(reaper.CountTracks(nil), 1, "nothing else deleted")
end)

-- Every function given a track that does not exist reports an invalid track and
-- writes nothing; the next good call clears the sink.
T.case("every form rejects a missing track", function()
  local a = T.tracks("A")
  local missing = 99
  local calls = {
    function() return reaper.MX_GetTrackItemMute(nil) end,
    function() return reaper.MX_GetTrackIdMute(nil, missing) end,
    function() return reaper.MX_GetSelectedTrackIdMute(nil, 0) end,
    function() return reaper.MX_SetTrackItemMute(nil, true) end,
    function() return reaper.MX_SetTrackIdMute(nil, missing, true) end,
    function() return reaper.MX_SetSelectedTrackIdMute(nil, 0, true) end,
    function() return reaper.MX_GetTrackItemSolo(nil) end,
    function() return reaper.MX_GetTrackIdSolo(nil, missing) end,
    function() return reaper.MX_GetSelectedTrackIdSolo(nil, 0) end,
    function() return reaper.MX_SetTrackItemSolo(nil, true) end,
    function() return reaper.MX_SetTrackIdSolo(nil, missing, true) end,
    function() return reaper.MX_SetSelectedTrackIdSolo(nil, 0, true) end,
    function() return reaper.MX_GetTrackItemColor(nil) end,
    function() return reaper.MX_GetTrackIdColor(nil, missing) end,
    function() return reaper.MX_GetSelectedTrackIdColor(nil, 0) end,
    function() return reaper.MX_SetTrackItemColor(nil, 1) end,
    function() return reaper.MX_SetTrackIdColor(nil, missing, 1) end,
    function() return reaper.MX_SetSelectedTrackIdColor(nil, 0, 1) end,
    function() return reaper.MX_SetTrackItemRGB(nil, 1, 2, 3) end,
    function() return reaper.MX_SetTrackIdRGB(nil, missing, 1, 2, 3) end,
    function() return reaper.MX_SetSelectedTrackIdRGB(nil, 0, 1, 2, 3) end,
    function() return reaper.MX_GetTrackItemDepth(nil) end,
    function() return reaper.MX_GetTrackIdDepth(nil, missing) end,
    function() return reaper.MX_GetSelectedTrackIdDepth(nil, 0) end,
    function() return reaper.MX_GetTrackItemName(nil) end,
    function() return reaper.MX_GetTrackIdName(nil, missing) end,
    function() return reaper.MX_GetSelectedTrackIdName(nil, 0) end,
    function() return reaper.MX_SetTrackItemName(nil, "x") end,
    function() return reaper.MX_SetTrackIdName(nil, missing, "x") end,
    function() return reaper.MX_SetSelectedTrackIdName(nil, 0, "x") end,
    function() return reaper.MX_SetTrackIdSelected(nil, missing, true) end,
    function() return reaper.MX_SetTrackItemOnlySelected(nil) end,
    function() return reaper.MX_SetTrackIdOnlySelected(nil, missing) end,
    function() return reaper.MX_GetTrackItemVolume(nil) end,
    function() return reaper.MX_GetTrackIdVolume(nil, missing) end,
    function() return reaper.MX_GetSelectedTrackIdVolume(nil, 0) end,
    function() return reaper.MX_SetTrackItemVolume(nil, 1) end,
    function() return reaper.MX_SetTrackIdVolume(nil, missing, 1) end,
    function() return reaper.MX_SetSelectedTrackIdVolume(nil, 0, 1) end,
    function() return reaper.MX_SetTrackItemAddVolume(nil, 1) end,
    function() return reaper.MX_SetTrackIdAddVolume(nil, missing, 1) end,
    function() return reaper.MX_SetSelectedTrackIdAddVolume(nil, 0, 1) end,
    function() return reaper.MX_GetTrackItemIndex(nil) end,
    function() return reaper.MX_DeleteTrackIdSelect(nil, missing, 0) end,
  }
  for i, f in ipairs(calls) do
    local results = { f() }
    T.eq(T.code(), ERR_INVALID_TRACK, "call " .. i)
    for _, v in ipairs(results) do
      T.ok(v == false or v == 0 or v == "" or v == 0.0, "call " .. i .. " returned " .. tostring(v))
    end
    reaper.MX_GetTrackItemMute(a)
    T.eq(T.code(), 0, "cleared after call " .. i)
  end
  T.eq(reaper.MX_GetTrackItemName(a), "A", "nothing changed")
  T.eq(#sim.violations(), 0, "no bad object reached the host")
end)

T.case("arguments of the wrong kind read as defaults, never crash", function()
  local a = T.tracks("A")
  reaper.MX_SetTrackItemMute("not a track", true)
  T.eq(T.code(), ERR_INVALID_TRACK, "string as track")
  T.eq(reaper.MX_GetTrackIdMute({}, "x"), false, "table as project")
  reaper.MX_SetTrackIdVolume(nil, 0, "loud")
  T.eq(reaper.MX_GetTrackItemVolume(a), 0.0, "text as volume reads as 0 dB")
  reaper.MX_SetTrackIdName(nil, 0, 42)
  T.eq(reaper.MX_GetTrackItemName(a), "42", "number as name")
  reaper.MX_SetTrackItemMute(a)
  T.eq(reaper.MX_GetTrackItemMute(a), false, "missing bool reads false")
  T.eq(reaper.MX_GetTrackIdMute(nil, 0.9), false, "fraction as index")
  T.eq(#sim.violations(), 0, "no bad object reached the host")
end)

T.done()
