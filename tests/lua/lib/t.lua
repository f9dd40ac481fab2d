-- A small test frame for scripts run in the simulated host: each case starts from a
-- fresh session; the closing line counts passes and failures.
local T = { passed = 0, failed = 0 }

function T.case(name, fn)
  sim.reset()
  local ok, err = xpcall(fn, debug.traceback)
  if ok then
    T.passed = T.passed + 1
  else
    T.failed = T.failed + 1
    io.stderr:write("FAIL ", name, ": ", tostring(err), "\n")
  end
end

local function show(v)
  if type(v) == "string" then return string.format("%q", v) end
  return tostring(v)
end

function T.eq(actual, expected, what)
  if actual ~= expected then
    error(string.format("%s: expected %s, got %s", what or "value", show(expected), show(actual)), 2)
  end
end

function T.near(actual, expected, tolerance, what)
  if type(actual) ~= "number" or math.abs(actual - expected) > tolerance then
    error(string.format("%s: expected %s within %s, got %s", what or "value", show(expected), show(tolerance), show(actual)), 2)
  end
end

function T.ok(condition, what)
  if not condition then error((what or "condition") .. " does not hold", 2) end
end

-- The error code the plug-in left in the sink.
function T.code() return reaper.GetErrorCode() end

-- Appends tracks named by the arguments to the active project; returns them.
function T.tracks(...)
  local out = {}
  for i, name in ipairs({ ... }) do
    local n = reaper.CountTracks(nil)
    reaper.InsertTrackAtIndex(n, true)
    out[i] = reaper.GetTrack(nil, n)
    reaper.GetSetMediaTrackInfo_String(out[i], "P_NAME", name, true)
  end
  return table.unpack(out)
end

function T.done()
  print(string.format("%d passed, %d failed", T.passed, T.failed))
  if T.failed > 0 then error(T.failed .. " case(s) failed", 0) end
end

return T
