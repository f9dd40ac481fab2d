-- Run without the error-code sink: reports are dropped, results stay the same.
local T = require("t")

T.case("no sink is installed", function()
  T.eq(reaper.GetErrorCode, nil, "GetErrorCode is not offered")
end)

T.case("operations still succeed and fail as usual", function()
  local a = T.tracks("A")
  reaper.MX_SetTrackItemMute(a, true)
  T.eq(reaper.MX_GetTrackItemMute(a), true, "mute set")
  T.eq(reaper.MX_GetTrackIdMute(nil, 5), false, "missing track")
  T.eq(reaper.MX_GetTrackItemIndex(a), 0, "index")
  T.eq(reaper.MX_GetTrackCountSelect(nil, 9), 0, "invalid type")
  T.eq(reaper.MX_GetTrackItemSelect(nil, 0, 0), a, "lookup")
  T.eq(reaper.MX_GetTrackItemName(nil), "", "no name for no track")
end)

T.done()
