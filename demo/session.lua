-- Demo: builds a small dialogue session in the simulated host and tidies it up through
-- the extension's MX_ functions, printing what it did.
local function say(fmt, ...) print(string.format(fmt, ...)) end

local names = { "Dialogue EN", "Dialogue JA", "Room tone", "Music" }
for i, name in ipairs(names) do
  reaper.InsertTrackAtIndex(i - 1, true)
  reaper.MX_SetTrackIdName(nil, i - 1, name)
end
say("Built a session of %d tracks:", reaper.MX_GetTrackCountSelect(nil, 0))
for i = 0, #names - 1 do say("  %d  %s", i, reaper.MX_GetTrackIdName(nil, i)) end

-- Music and room tone sit under the dialogue for the edit: pull them down.
reaper.MX_SetTrackIdVolume(nil, 3, -12)
reaper.MX_SetTrackIdAddVolume(nil, 2, -6)
say("Music at %.2f dB, room tone at %.2f dB", reaper.MX_GetTrackIdVolume(nil, 3), reaper.MX_GetTrackIdVolume(nil, 2))

-- Colour the two language tracks and mute the music while editing lines.
reaper.MX_SetTrackIdRGB(nil, 0, 40, 120, 220)
reaper.MX_SetTrackIdColor(nil, 1, reaper.ColorToNative(220, 60, 60))
reaper.MX_SetTrackIdMute(nil, 3, true)
for i = 0, 1 do
  local native, r, g, b = reaper.MX_GetTrackIdColor(nil, i)
  say("%s coloured 0x%07X (r %d, g %d, b %d)", reaper.MX_GetTrackIdName(nil, i), native, r, g, b)
end
say("Music muted: %s", tostring(reaper.MX_GetTrackIdMute(nil, 3)))

-- Select the Japanese line track on its own and find it again by selection.
reaper.MX_SetTrackIdOnlySelected(nil, 1)
local track, index = reaper.MX_GetSelectedTrackFirstInfo(nil)
say("Selected track: %s at index %d", reaper.MX_GetTrackItemName(track), index)
reaper.MX_SetSelectedTrackIdSolo(nil, 0, true)
say("Soloed the selected track: %s", tostring(reaper.MX_GetTrackItemSolo(track)))

-- A failing call reports through the error-code sink, never by raising.
reaper.MX_SetTrackIdMute(nil, 42, true)
say("Muting track 42 of 4 left error code %d", reaper.GetErrorCode())

-- Clear every mute and solo before the mix, then drop the room tone track.
reaper.MX_SetTrackAllMuteOFF(nil)
reaper.MX_SetTrackAllSoloOFF(nil)
reaper.MX_DeleteTrackIdSelect(nil, 2, 0)
say("After clearing mutes and solos and deleting room tone (error code %d):", reaper.GetErrorCode())
for i = 0, reaper.MX_GetTrackCountSelect(nil, 0) - 1 do
  say("  %d  %-12s mute %-5s solo %-5s %6.2f dB", i, reaper.MX_GetTrackIdName(nil, i),
    tostring(reaper.MX_GetTrackIdMute(nil, i)), tostring(reaper.MX_GetTrackIdSolo(nil, i)),
    reaper.MX_GetTrackIdVolume(nil, i))
end
