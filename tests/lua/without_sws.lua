-- Run without the SWS extension: its functions are not offered, and what needs them
-- reports the missing extension.
local T = require("t")

T.case("no SWS function is offered", function()
  for _, name in ipairs({ "NF_AnalyzeTakeLoudness2", "BR_EnvAlloc", "BR_EnvFree", "BR_EnvGetProperties",
    "BR_EnvSetProperties", "BR_EnvSortPoints", "BR_EnvCountPoints", "BR_EnvGetPoint", "BR_EnvSetPoint",
    "BR_EnvDeletePoint" }) do
    T.eq(reaper[name], nil, name)
  end
  sim.restore_sws()
  T.eq(reaper.NF_AnalyzeTakeLoudness2, nil, "nothing to restore that was never loaded")
end)

T.case("an operation that needs it reports the missing extension", function()
  local track = T.tracks("A")
  local item = reaper.AddMediaItemToTrack(track)
  sim.answer_message_box(7)
  reaper.MX_SetMediaItemEnvelopeAllOFF(item)
  T.eq(T.code(), 25, "missing extension")
  T.eq(#sim.dialogs(), 1, "the user was told")
end)

-- Each guarded function names its item form in the dialog, whatever form was called,
-- and the lookups come before the item is looked at.
local GUARDED = {
  { "MX_GetMediaItemLoudnessMaxMomentary", "MX_GetMediaItemLoudnessMaxMomentary", { nil } },
  { "MX_GetMediaIdLoudnessMaxMomentary", "MX_GetMediaItemLoudnessMaxMomentary", { nil, 99 } },
  { "MX_GetSelectedMediaIdLoudnessMaxMomentary", "MX_GetMediaItemLoudnessMaxMomentary", { nil, 99 } },
  { "MX_SetMediaItemLoudnessMaxMomentary", "MX_SetMediaItemLoudnessMaxMomentary", { nil, -23.0 } },
  { "MX_SetMediaIdLoudnessMaxMomentary", "MX_SetMediaItemLoudnessMaxMomentary", { nil, 99, -23.0 } },
  { "MX_SetSelectedMediaIdLoudnessMaxMomentary", "MX_SetMediaItemLoudnessMaxMomentary", { nil, 99, -23.0 } },
  { "MX_SetMediaItemEnvelopeAllOFF", "MX_SetMediaItemEnvelopeAllOFF", { nil } },
  { "MX_SetMediaIdEnvelopeAllOFF", "MX_SetMediaItemEnvelopeAllOFF", { nil, 99 } },
  { "MX_SetSelectedMediaIdEnvelopeAllOFF", "MX_SetMediaItemEnvelopeAllOFF", { nil, 99 } },
}

T.case("every guarded function shows the dialog and reports 25, even for no item", function()
  for i, g in ipairs(GUARDED) do
    local name, dialog_name, args = g[1], g[2], g[3]
    sim.answer_message_box(7)
    reaper[name](table.unpack(args, 1, #args))
    T.eq(T.code(), 25, name)
    local shown = sim.dialogs()[i]
    T.ok(shown, name .. " showed a dialog")
    T.eq(shown.title, "MIXVALE_COBALT", name .. " title")
    T.eq(shown.type, 4, name .. " Yes and No")
    T.ok(shown.text:find(dialog_name, 1, true), name .. " names " .. dialog_name)
    T.ok(shown.text:find("SWS/S&M Extension", 1, true), name .. " names the extension")
    T.ok(shown.text:find("https://", 1, true), name .. " gives the address")
  end
  T.eq(#sim.dialogs(), #GUARDED, "one dialog per call")
  T.eq(sim.pending_answers(), 0, "every answer taken")
end)

T.case("a real item is left as it was, and what needs no SWS still works", function()
  local path = reaper.GetResourcePath() .. "/without_sws_tone.wav"
  sim.write_tone(path, 1000, 0.1, 1.0, 48000, 1)
  local track = T.tracks("tone")
  reaper.SetOnlyTrackSelected(track)
  T.eq(reaper.InsertMedia(path, 0), 1, "inserted")
  local item = reaper.GetTrackMediaItem(track, 0)
  sim.answer_message_box(7)
  reaper.MX_SetMediaItemLoudnessMaxMomentary(item, -10.0)
  T.eq(T.code(), 25, "set needs the analysis")
  T.eq(reaper.GetMediaItemInfo_Value(item, "D_VOL"), 1.0, "volume unchanged")
  reaper.AddTakeToMediaItem(item)
  reaper.MX_ActionMediaItemSelectKeep(item, 40131)
  T.eq(T.code(), 0, "actions need no SWS")
  T.eq(reaper.CountTakes(item), 1, "cropped")
  reaper.MX_RenderMediaItemActiveTake(item)
  T.eq(T.code(), 0, "rendering needs no SWS")
  T.eq(reaper.CountTakes(item), 2, "rendered")
  T.eq(#sim.dialogs(), 1, "only the guarded call asked")
end)

T.done()
