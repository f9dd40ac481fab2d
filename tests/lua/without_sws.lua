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

T.done()
