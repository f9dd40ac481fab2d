-- Random numbers, number formatting and the host's dialogs from a script. Random draws
-- run a fixed number of times against bounds no correct generator misses.
local T = require("t")
local ERR_INVALID_ARGUMENT = 23

local function draws(n, fn)
  local seen, lowest, highest = {}, math.huge, -math.huge
  for _ = 1, n do
    local v = fn()
    seen[v] = true
    lowest, highest = math.min(lowest, v), math.max(highest, v)
  end
  return seen, lowest, highest
end

T.case("integers cover the closed range, also when given high to low", function()
  for _ = 1, 20 do T.eq(reaper.MX_GetRandomNumInteger(5, 5), 5, "single value") end
  for _, range in ipairs({ { 1, 6 }, { 6, 1 } }) do
    local seen, lowest, highest = draws(600, function() return reaper.MX_GetRandomNumInteger(range[1], range[2]) end)
    T.eq(lowest, 1, "lowest")
    T.eq(highest, 6, "highest")
    for v = 1, 6 do T.ok(seen[v], "value " .. v .. " drawn") end
  end
  T.eq(T.code(), 0, "sink clear")
end)

T.case("decimals keep their places and the truncated bounds", function()
  local _, lowest, highest = draws(400, function()
    local x = reaper.MX_GetRandomNumDouble(0.0, 1.0, 2)
    T.ok(math.abs(x * 100 - math.floor(x * 100 + 0.5)) < 1e-6, "two places: " .. x)
    return x
  end)
  T.ok(lowest >= 0.0 and highest <= 1.0, "within 0..1")
  T.ok(lowest < 0.25 and highest > 0.75, "spread over the range")
  for _, c in ipairs({ { 0.0, 1.0 }, { 0.5, 1.5 } }) do
    local seen = draws(200, function() return reaper.MX_GetRandomNumDouble(c[1], c[2], 0) end)
    T.ok(seen[0.0] and seen[1.0], "both ends of " .. c[1] .. ".." .. c[2])
    local count = 0
    for _ in pairs(seen) do count = count + 1 end
    T.eq(count, 2, "only 0 and 1")
  end
  local x = reaper.MX_GetRandomNumDouble(0.0, 0.000001, 15)
  T.ok(x >= 0 and x <= 0.000001, "places clamped to 9: " .. x)
  T.ok(math.abs(x * 1e9 - math.floor(x * 1e9 + 0.5)) < 1e-6, "at most 9 places")
  T.eq(reaper.MX_GetRandomNumDouble(1e12, 1e13, 0), 2147483647.0, "bounds clamped to 32 bits")
end)

T.case("random colours are three components in the host's form", function()
  local lowest, highest = 255, 0
  for _ = 1, 300 do
    local color, r, g, b = reaper.MX_GetRandomColor()
    for _, v in ipairs({ r, g, b }) do
      T.ok(v >= 0 and v <= 255, "component " .. v)
      lowest, highest = math.min(lowest, v), math.max(highest, v)
    end
    T.eq(color, reaper.ColorToNative(r, g, b), "native colour")
  end
  T.ok(lowest < 16 and highest > 239, "components spread over 0..255")
end)

T.case("zero padding with the sign on top", function()
  local cases = {
    { 7, 3, "007" }, { 1234, 3, "1234" }, { -7, 3, "-007" }, { -42, 3, "-42" },
    { -2147483648, 12, "-002147483648" },
  }
  for _, c in ipairs(cases) do
    T.eq(reaper.MX_FormatNumDigit(c[1], c[2]), c[3], c[1] .. ", " .. c[2])
  end
  T.eq(reaper.MX_FormatNumDigit(0, 0), "", "digit 0 writes nothing")
  T.eq(T.code(), ERR_INVALID_ARGUMENT, "digit 0")
end)

T.case("message box: pushed button, cancel, and what the user saw", function()
  sim.answer_message_box(6, 2)
  local ok, pushed = reaper.MX_ShowMessageBox_Ex("Overwrite the takes?", "Rename", 4)
  T.eq(ok, true, "confirmed")
  T.eq(pushed, 6, "yes")
  ok, pushed = reaper.MX_ShowMessageBox_Ex("Go on?", "Rename", 1)
  T.eq(ok, false, "cancelled")
  T.eq(pushed, 2, "cancel button")
  T.eq(T.code(), 0, "a cancelled box is no error")
  local log = sim.dialogs()
  T.eq(#log, 2, "two boxes shown")
  T.eq(log[1].kind, "message_box", "kind")
  T.eq(log[1].text, "Overwrite the takes?", "text")
  T.eq(log[1].title, "Rename", "title")
  T.eq(log[1].type, 4, "type")
  T.eq(log[2].button, 2, "button")
end)

T.case("message box types outside 0..6 show nothing", function()
  for _, t in ipairs({ 7, -1 }) do
    local ok = reaper.MX_ShowMessageBox_Ex("text", "title", t)
    T.eq(ok, false, "type " .. t)
    T.eq(T.code(), ERR_INVALID_ARGUMENT, "type " .. t .. " code")
  end
  T.eq(#sim.dialogs(), 0, "no dialog")
  T.eq(#sim.violations(), 0, "nothing unanswered")
end)

T.case("an unanswered dialog is reported, not waited for", function()
  local ok, pushed = reaper.MX_ShowMessageBox_Ex("text", "Forgotten", 0)
  T.eq(ok, false, "closed as cancelled")
  T.eq(pushed, 2, "cancel")
  local found, values = reaper.GetUserInputs("Also forgotten", 1, "Name", "x")
  T.eq(found, false, "input dialog cancelled")
  local v = sim.violations()
  T.eq(v[1], "unanswered dialog: Forgotten", "message box reported")
  T.eq(v[2], "unanswered dialog: Also forgotten", "input dialog reported")
end)

T.case("the host's input dialog takes queued answers", function()
  sim.answer_inputs({ "Line", "02" })
  sim.cancel_inputs()
  local ok, values = reaper.GetUserInputs("Names", 2, "Prefix,Number", "L,01")
  T.eq(ok, true, "confirmed")
  T.eq(values, "Line,02", "answers")
  ok = reaper.GetUserInputs("Names", 2, "Prefix,Number", "L,01")
  T.eq(ok, false, "cancelled")
  local log = sim.dialogs()
  T.eq(log[1].kind, "inputs", "kind")
  T.eq(log[1].captions, "Prefix,Number", "captions")
  T.eq(log[1].initial, "L,01", "initial values")
  T.eq(log[1].fields, 2, "fields")
  T.eq(log[2].confirmed, false, "second cancelled")
  T.eq(sim.pending_answers(), 0, "all answers taken")
end)

T.done()
