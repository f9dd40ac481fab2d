-- The record path and stamped folders from a script.
local T = require("t")

local HOME = os.getenv("HOME")

local function record_path(proj)
  local _, path = reaper.GetSetProjectInfo_String(proj, "RECORD_PATH", "", false)
  return path
end

local function set_record_path(path)
  reaper.GetSetProjectInfo_String(nil, "RECORD_PATH", path, true)
end

-- A folder exists when a file can be made in it.
local function is_dir(path)
  local probe = path .. "/.probe"
  local f = io.open(probe, "w")
  if not f then return false end
  f:close()
  os.remove(probe)
  return true
end

-- The stamp at either of two moments, so a call across a boundary passes.
local FORMATS = { [1] = "_%m%d_%H%M", [2] = "_%m%d_%H%M%S", [3] = "_%Y%m%d_%H%M%S" }
local function either(name, type, t0, t1)
  local f = FORMATS[type]
  if not f then return name, name end
  return name .. os.date(f, t0), name .. os.date(f, t1)
end

T.case("rec path stores and reports the old one", function()
  set_record_path("/Rec")
  T.eq(reaper.MX_SetProjectInfoRecPath(nil, "/Other"), "/Rec", "before")
  T.eq(record_path(nil), "/Other", "stored")
  local long = "/" .. string.rep("p", 1999)
  reaper.MX_SetProjectInfoRecPath(nil, long)
  T.eq(record_path(nil), long:sub(1, 1023), "kept to 1023 bytes")
  local other = sim.new_project()
  reaper.MX_SetProjectInfoRecPath(other, "media")
  T.eq(record_path(other), "media", "other project")
  T.eq(T.code(), 0, "code")
end)

T.case("rec add path joins", function()
  set_record_path("/Rec")
  local before, after = reaper.MX_SetProjectInfoRecAddPath(nil, "sub")
  T.eq(before, "/Rec", "before")
  T.eq(after, "/Rec/sub", "after")
  T.eq(record_path(nil), "/Rec/sub", "stored")
  set_record_path("/Rec/")
  local _, slash = reaper.MX_SetProjectInfoRecAddPath(nil, "sub")
  T.eq(slash, "/Rec/sub", "no second slash")
  local _, absolute = reaper.MX_SetProjectInfoRecAddPath(nil, "/abs")
  T.eq(absolute, "/abs", "a leading slash replaces")
  set_record_path("/Rec")
  sim.set_output_capacity(5)
  local _, cut = reaper.MX_SetProjectInfoRecAddPath(nil, "sub")
  T.eq(cut, "/Rec", "cut")
  T.eq(record_path(nil), "/Rec", "stored as cut")
end)

T.case("refused record path", function()
  set_record_path("/Rec")
  sim.refuse(sim.active_project(), "RECORD_PATH")
  reaper.MX_SetProjectInfoRecPath(nil, "/Other")
  T.eq(T.code(), 14, "ERR_SET_FAILED")
  T.eq(record_path(nil), "/Rec", "unchanged")
end)

T.case("path folder with every stamp", function()
  for _, type in ipairs({ 0, 1, 2, 3, 7 }) do
    local base = HOME .. "/lua-stamps/" .. type .. "/deep"
    local t0 = os.time()
    local full = reaper.MX_SetPathFolder(base, "Take", type)
    local t1 = os.time()
    local a, b = either("Take", type, t0, t1)
    T.ok(full == base .. "/" .. a or full == base .. "/" .. b, "type " .. type .. " made " .. tostring(full))
    T.ok(is_dir(full), full .. " exists")
    T.eq(T.code(), 0, "code")
  end
end)

T.case("path folder joining and failure", function()
  local base = HOME .. "/lua-join"
  T.eq(reaper.MX_SetPathFolder(base .. "/", "Take", 0), base .. "/Take", "trailing slash")
  T.eq(reaper.MX_SetPathFolder(base .. "/ignored", base .. "/abs", 0), base .. "/abs", "leading slash")
  T.ok(not is_dir(base .. "/ignored"), "the base was not made")
  T.eq(reaper.MX_SetPathFolder(base, "Take", 0), base .. "/Take", "an existing folder is no error")
  T.eq(T.code(), 0, "code")
  reaper.MX_WriteFile(base, "file", "in the way", 0)
  T.eq(reaper.MX_SetPathFolder(base .. "/file", "Take", 0), "", "nothing reported")
  T.eq(T.code(), 1, "ERR_UNKNOWN")
end)

T.case("project path and resource path folders", function()
  local project = reaper.GetProjectPath()
  T.ok(project:sub(1, #HOME) == HOME, "project folder in the sandbox: " .. project)
  local full, added = reaper.MX_SetProjectPathFolder("Take", 0)
  T.eq(full, project .. "/Take", "under the project path")
  T.eq(added, "Take", "folder name")
  T.ok(is_dir(full), "made")

  local t0 = os.time()
  full, added = reaper.MX_SetResoucePathFolder("Backup", 2)
  local t1 = os.time()
  local a, b = either("Backup", 2, t0, t1)
  T.ok(added == a or added == b, "stamped: " .. added)
  T.eq(full, reaper.GetResourcePath() .. "/" .. added, "under the resource path")
  T.ok(is_dir(full), "made")
  os.remove(full)
  T.eq(T.code(), 0, "code")
end)

T.done()
