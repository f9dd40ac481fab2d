-- Hostile calls: every MX_ function in the reaper table, called as a careless or hostile
-- script would, with seeded random argument lists: integers at the limits, NaN and
-- infinities, huge and odd texts, booleans, nil, too few and too many arguments, live,
-- deleted and wrong-type host objects. A call may fail, but only with one of the
-- plug-in's error codes: no Lua error, no crash, no host call on a dead or mistyped
-- object (sim.violations), no dialog left unanswered, no file outside the scratch folder.
--
-- Host objects are only ever those the host handed out (live or deleted); addresses
-- made up by the script are not passed, since the host itself would crash on them.
-- Texts that name files or folders always lead into a scratch folder of the sandbox
-- home, so that file functions never touch anything else.
--
--   mxhost54 test_hostile_calls.lua [seed [MX_Name]]
-- MX_HOSTILE_TRACE=1 prints every call before it is made (to find one that crashes);
-- MX_HOSTILE_CALLS sets the number of calls per function.
local T = require("t")
local seeded = require("seeded")

local SEED = math.tointeger(tonumber(arg and arg[1] or os.getenv("MX_HOSTILE_SEED") or "")) or 20261211
local ONLY = arg and arg[2]
local CALLS = math.tointeger(tonumber(os.getenv("MX_HOSTILE_CALLS") or "")) or 24
local TRACE = (os.getenv("MX_HOSTILE_TRACE") or "") ~= ""

-- The Lua module replaces the list functions with its own; a build without the module
-- leaves the registered ones.
do
  local ok, err = pcall(require, "reaper_MIXVALE_COBALT")
  if not ok and not tostring(err):find("luaopen_reaper_MIXVALE_COBALT", 1, true) then
    error("the plug-in did not load as a Lua module: " .. tostring(err))
  end
end

-- ---- the sandbox --------------------------------------------------------------------

local HOME = os.getenv("HOME") or ""
assert(HOME:match("^/.+") and reaper.GetResourcePath():sub(1, #HOME + 1) == HOME .. "/",
  "HOME is not the host's sandbox home: " .. HOME)
local SCRATCH_NAME = "hostile-scratch"
local SCRATCH = HOME .. "/" .. SCRATCH_NAME
-- Paths are given below this folder, so that even a stamp added to its name stays in
-- the scratch folder.
local FILES = SCRATCH .. "/files"
local PROJECTS = HOME .. "/Projects"  -- the host's own project folders

local function sh_quote(s) return "'" .. s:gsub("'", "'\\''") .. "'" end
local function run(command) assert(os.execute(command), command) end

local function write(path, content)
  local f = assert(io.open(path, "wb"))
  f:write(content)
  f:close()
end

run("rm -rf " .. sh_quote(SCRATCH) .. " && mkdir -p " .. sh_quote(FILES .. "/lines/sub"))
write(FILES .. "/notes.txt", "first line\nsecond line\n")
write(FILES .. "/lines/sub/empty.wav", "")
local TONE = FILES .. "/lines/tone.wav"
if sim.write_tone then sim.write_tone(TONE, 440, 0.5, 0.25, 8000, 1) end

-- Everything in the sandbox home outside the scratch folder and the host's project
-- folders; the run must not add to it. (Read once before and once after the run: a
-- listing per function would cost more than the calls.)
local function outside_scratch()
  local list = {}
  local p = assert(io.popen("find " .. sh_quote(HOME) .. " -path " .. sh_quote(SCRATCH) .. " -prune -o -path " ..
    sh_quote(PROJECTS) .. " -prune -o -print"))
  for line in p:lines() do list[line] = true end
  p:close()
  return list
end

-- ---- values -------------------------------------------------------------------------

local HUGE = string.rep("x", 1 << 20)

local INTEGERS = {
  0, -1, 1, 2, 3, 7, -2147483648, 2147483647, 2147483648, 4294967295, 4294967296, 9007199254740992,
  math.mininteger, math.maxinteger,
}
local NUMBERS = {
  0 / 0, 1 / 0, -1 / 0, -0.0, 0.5, -2.75, 1e308, -1e308, 5e-324, 2 ^ 31, 2 ^ 53, -2 ^ 63, 2 ^ 64, 1e-300, 100.0,
}
local TEXTS = {
  "", "a", "Take", " spaced  text ", "%s%s%s%n%n", "%d%x%p%%", "nul\0byte", "\0", "\xff\xfe\xfd", "\xc0\x80",
  "\xed\xa0\x80", "\xe3\x81\x82\xe3\x81\x84", "caf\xe9", "(.*[", "\\", "$1\\0", "*+?{", ",,,", "a,b,c", "1e309",
  "nan", "-inf", "0x7fffffff", "{\"a\":[1,2", "[]", "{}", "null", "\"text\"", "line\nbreak\r\n", "\t",
  string.rep("a", 1023), string.rep("b", 1024), string.rep("c", 1025), string.rep("\xc3\xbc", 600),
  string.rep("[", 5000), string.rep("{\"k\":", 2000),
}
local HUGE_TEXTS = { HUGE, string.rep("\xc3\xa9", 1 << 19), string.rep("%s", 1 << 19) }
-- Endings of paths in the scratch folder: odd names, traversal that stays inside it,
-- names and paths longer than the system allows.
local PATH_TAILS = {
  "", "/", "//", "/.", "/notes.txt", "/lines", "/lines/", "/lines/tone.wav", "/lines/sub/empty.wav", "/missing.wav",
  "/new", "/new/deeper/still", "/Take", "/../files/up-and-back", "/a/../../files/z",
  "/../../" .. SCRATCH_NAME .. "/back",
  "/a/./b/../c", "/x%s%n", "/nul\0after", "/\xff\xfe", "/\xe3\x81\x82", "/with space", "/.hidden", "/ends.",
  "/many...dots.wav", "/UPPER.WAV", "/" .. string.rep("n", 300), "/" .. string.rep("d/", 1000),
}
local BUTTONS = { 1, 2, 3, 4, 5, 7 }  -- never 6 (Yes): that would open a web page

-- Host objects of the present session, live and dead, by kind, each with a label for
-- reports; and a few of the session before, which are dead in this one (without the
-- sanitizers their memory may come to hold a new object, which then is simply live).
local objects, labels
local earlier = {}

local function keep(kind, value, text, dead)
  if value == nil then return nil end
  local side = dead and objects.dead or objects.live
  side[kind] = side[kind] or {}
  table.insert(side[kind], value)
  labels[value] = text
  return value
end

-- Two projects, tracks, items with and without takes and sources, markers, and objects
-- deleted from the session.
local function build_session()
  objects, labels = { live = {}, dead = {} }, {}
  for _, e in ipairs(earlier) do keep(e[1], e[2], e[3] .. " of an earlier session", true) end
  local active = keep("ReaProject*", sim.active_project(), "the active project")
  local other = keep("ReaProject*", sim.new_project(), "another project")
  local t = {}
  for i = 0, 3 do
    reaper.InsertTrackAtIndex(i, true)
    t[i] = reaper.GetTrack(nil, i)
  end
  for i = 0, 2 do keep("MediaTrack*", t[i], "track " .. i) end
  keep("MediaTrack*", reaper.GetMasterTrack(nil), "the master track")
  reaper.GetSetMediaTrackInfo_String(t[0], "P_NAME", "base", true)
  reaper.SetTrackSelected(t[1], true)
  sim.set_active_project(other)
  reaper.InsertTrackAtIndex(0, true)
  keep("MediaTrack*", reaper.GetTrack(nil, 0), "a track of another project")
  sim.set_active_project(active)

  local items = {}
  for n = 1, 3 do
    items[n] = keep("MediaItem*", reaper.AddMediaItemToTrack(n == 3 and t[1] or t[0]), "item " .. n)
    reaper.SetMediaItemInfo_Value(items[n], "D_POSITION", n)
    reaper.SetMediaItemInfo_Value(items[n], "D_LENGTH", 0.5)
    if n ~= 2 then keep("MediaItem_Take*", reaper.AddTakeToMediaItem(items[n]), "the take of item " .. n) end
  end
  if sim.write_tone and sim.set_current_track and reaper.InsertMedia then
    sim.set_current_track(t[1])
    reaper.InsertMedia(TONE, 0)
    local item = reaper.GetTrackMediaItem(t[1], reaper.CountTrackMediaItems(t[1]) - 1)
    keep("MediaItem*", item, "a tone item")
    keep("MediaItem_Take*", reaper.GetActiveTake(item), "the tone take")
  end

  local doomed = reaper.AddMediaItemToTrack(t[2])
  local doomed_take = reaper.AddTakeToMediaItem(doomed)
  reaper.DeleteTrackMediaItem(t[2], doomed)
  keep("MediaItem*", doomed, "a deleted item", true)
  keep("MediaItem_Take*", doomed_take, "the take of a deleted item", true)
  reaper.DeleteTrack(t[3])
  keep("MediaTrack*", t[3], "a deleted track", true)

  reaper.AddProjectMarker2(nil, true, 1, 2, "Intro", 1, 0)
  reaper.AddProjectMarker2(nil, false, 0.5, 0, "Cue", 1, 0)
  reaper.AddProjectMarker2(other, true, 3, 4, "Other", 1, 0)
  keep("marker", sim.marker_at(nil, 0), "a marker object")
  earlier = { { "ReaProject*", other, "a project" }, { "MediaTrack*", t[0], "a track" },
    { "MediaItem*", items[1], "an item" } }
end

local POINTER_KINDS = { "ReaProject*", "MediaTrack*", "MediaItem*", "MediaItem_Take*", "marker" }

local function any_object(r, dead)
  local list = (dead and objects.dead or objects.live)[r.pick(POINTER_KINDS)]
  if not list or #list == 0 then return nil end
  return r.pick(list)
end

-- A host object where `kind` is expected: mostly of that kind, live (nil for a project
-- means the active one), sometimes deleted, sometimes of another kind.
local function object_for(r, kind)
  local roll = r.below(10)
  local live, dead = objects.live[kind], objects.dead[kind]
  if roll < 5 and live and #live > 0 then return r.pick(live) end
  if roll < 7 and dead and #dead > 0 then return r.pick(dead) end
  if roll < 8 then return nil end
  return any_object(r, r.chance(0.5))
end

local function integer(r)
  if r.chance(0.6) then return r.pick(INTEGERS) end
  return r.between(-5, 20)
end

local function number(r)
  if r.chance(0.5) then return r.pick(NUMBERS) end
  return integer(r)
end

local function text(r)
  if r.chance(0.03) then return r.pick(HUGE_TEXTS) end
  return r.pick(TEXTS)
end

local function path(r)
  local tail = r.pick(PATH_TAILS)
  if r.chance(0.03) then tail = "/" .. HUGE end
  return FILES .. tail
end

local function anything(r)
  local roll = r.below(8)
  if roll == 0 then return nil end
  if roll == 1 then return r.chance(0.5) end
  if roll == 2 then return integer(r) end
  if roll == 3 then return number(r) end
  if roll == 4 then return text(r) end
  if roll == 5 then return r.pick({ {}, { 1, 2 }, print, coroutine.create(function() end) }) end
  return any_object(r, r.chance(0.3))
end

-- Parameters a script passes: not outputs and not the sizes of output buffers, as the
-- host's bridge reads the definition.
local function script_parameters(types, names)
  local list = {}
  for i, type in ipairs(types) do
    local name = names[i] or ""
    local is_out = name:match("Out$") or name:match("OutNeedBig$")
    local is_size = name:match("_sz$") and types[i - 1] == "char*"
    if not is_out and not is_size then table.insert(list, { type = type, name = name }) end
  end
  return list
end

-- Texts that name a file or folder always lead into the scratch folder, whatever else
-- the argument list does.
local function names_a_path(p)
  local lower = p.name:lower()
  return (p.type == "const char*" or p.type == "char*") and
    (lower:find("path") or lower:find("folder") or lower:find("file") or lower:find("dir")) ~= nil
end

local function value_for(r, p)
  if names_a_path(p) then return path(r) end
  if r.chance(0.15) then return anything(r) end
  local t = p.type
  if t == "int" or t == "int*" then return integer(r) end
  if t == "double" or t == "double*" then return number(r) end
  if t == "bool" or t == "bool*" then return r.pick({ true, false, true, false, nil, 0, 1 }) end
  if t == "const char*" or t == "char*" then return text(r) end
  if t:sub(-1) == "*" then return object_for(r, t) end
  return anything(r)
end

-- One argument list: a value per parameter, cut short or run long now and then; never
-- cut before a path, which would leave the function to choose a folder itself.
local function argument_list(r, params)
  local args, n, last_path = {}, #params, 0
  for i, p in ipairs(params) do
    args[i] = value_for(r, p)
    if names_a_path(p) then last_path = i end
  end
  local shape = r.below(10)
  if shape == 0 then
    n = r.between(last_path, #params)
  elseif shape == 1 then
    for _ = 1, r.between(1, 4) do
      n = n + 1
      args[n] = anything(r)
    end
  end
  return args, n
end

local function describe(v)
  local t = type(v)
  if t == "string" then
    local shown = string.format("%q", v:sub(1, 48)):gsub("\n", "n")
    return #v > 48 and string.format("%s... (%d bytes)", shown, #v) or shown
  end
  if t == "number" then
    return math.type(v) == "integer" and tostring(v) or string.format("%.17g", v)
  end
  if t == "userdata" then return "<" .. (labels[v] or "a host object") .. ">" end
  if t == "table" or t == "function" or t == "thread" then return "<a " .. t .. ">" end
  return tostring(v)
end

local function describe_call(name, args, n)
  local parts = {}
  for i = 1, n do parts[i] = describe(args[i]) end
  return name .. "(" .. table.concat(parts, ", ") .. ")"
end

-- ---- dialogs --------------------------------------------------------------------------

-- Keeps answers queued for a few dialogs of each kind; each dialog shown takes one, and
-- the next call finds the queue refilled.
local QUEUED = 3
local dialogs_seen

local function queue_answer(r, kind)
  if kind == "message_box" then
    sim.answer_message_box(r.pick(BUTTONS))
  elseif r.chance(0.25) then
    sim.cancel_inputs()
  else
    sim.answer_inputs(r.pick({ "", "a", "1,2,3", "x,,y", "%s,%n", string.rep("v", 5000), "\xff\xfe" }))
  end
end

local function prime_dialogs(r)
  dialogs_seen = 0
  for _ = 1, QUEUED do
    queue_answer(r, "message_box")
    queue_answer(r, "inputs")
  end
end

local function refill_dialogs(r)
  local log = sim.dialogs()
  for i = dialogs_seen + 1, #log do queue_answer(r, log[i].kind) end
  dialogs_seen = #log
end

-- ---- the run --------------------------------------------------------------------------

-- The codes the plug-in defines; a call leaves one of them or none.
local CODES = {}
for _, code in ipairs({ 0, 1, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23, 24, 25, 26, 28, 30, 31, 32, 33,
  34 }) do
  CODES[code] = true
end

local function function_names()
  local list = {}
  for name, f in pairs(reaper) do
    if type(name) == "string" and name:sub(1, 3) == "MX_" and type(f) == "function" and (not ONLY or name == ONLY) then
      table.insert(list, name)
    end
  end
  table.sort(list)
  return list
end

local names = function_names()
local home_before = outside_scratch()
T.ok(#names > 0, "MX_ functions in the reaper table")
local calls = 0
print(string.format("hostile calls: seed %d, %d functions, %d calls each", SEED, #names, CALLS))

for _, name in ipairs(names) do
  T.case(name, function()
    local ret, types, parameter_names = sim.definition(name)
    assert(ret, name .. " has no definition registered")
    local params = script_parameters(types, parameter_names)
    local r = seeded.new(seeded.mix(SEED, name))
    build_session()
    assert(#sim.violations() == 0, "setting up the session")
    prime_dialogs(r)
    for _ = 1, CALLS do
      local args, n = argument_list(r, params)
      local shown = describe_call(name, args, n)
      local where = string.format("seed %d, %s", SEED, shown)
      if TRACE then io.stderr:write(shown, "\n") end
      local ok, err = pcall(reaper[name], table.unpack(args, 1, n))
      calls = calls + 1
      if not ok then error(where .. " raised: " .. tostring(err), 0) end
      local violations = sim.violations()
      if #violations > 0 then error(where .. " made the host see: " .. table.concat(violations, "; "), 0) end
      local code = reaper.GetErrorCode()
      if not CODES[code] then error(where .. " left an unknown error code " .. tostring(code), 0) end
      refill_dialogs(r)
    end
  end)
end

T.case("nothing made outside the scratch folder", function()
  local made = {}
  for entry in pairs(outside_scratch()) do
    if not home_before[entry] then table.insert(made, entry) end
  end
  table.sort(made)
  T.eq(table.concat(made, ", "), "",
    string.format("seed %d: made outside the scratch folder (run one function by name to find which)", SEED))
end)

print(string.format("%d calls", calls))
run("rm -rf " .. sh_quote(SCRATCH))
T.done()
