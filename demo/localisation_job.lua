-- Demo: a small localisation job laid out in one call. English reference lines (the base
-- language) and their Japanese recordings (the subject language), spoken with espeak-ng
-- at clearly different levels, are paired by file name, grouped by character under
-- parent tracks, and every Japanese line is ridden and brought to the loudness of its
-- English line. Prints the layout, the loudness of each pair before and after, and the
-- lines left without a partner; writes the lines to listen to below OUTPUT_DIR.
--   mxhost54 demo/localisation_job.lua OUTPUT_DIR [RATIO_TYPE]
local reaper = reaper
require("reaper_MIXVALE_COBALT")

local out = assert(arg[1], "usage: localisation_job.lua OUTPUT_DIR [RATIO_TYPE]")
local RATIO_TYPE = math.tointeger(tonumber(arg[2] or "1")) or 1
local KEYWORDS = { "hero", "guard" }
local START, GAP = 1.0, 0.5

-- Each line: its file name, the English and the Japanese text, and the espeak-ng
-- amplitude each is spoken at (100 is espeak-ng's default level).
local LINES = {
  { "hero_001.wav", "We have to reach the gate before nightfall.", "ひがくれるまえに、もんにつかないと。", 100, 20 },
  { "guard_001.wav", "Halt! Nobody passes after dark.", "とまれ！よるはだれもとおさない。", 70, 150 },
  { "hero_002.wav", "Then we will wait for the morning.", "じゃあ、あさまでまとう。", 120, 35 },
  { "guard_002.wav", "The captain will not like this.", "たいちょうはよろこばないぞ。", 60, 130 },
  { "narrator_001.wav", "And so the long night began.", "こうして、ながいよるがはじまった。", 110, 45 },
}
-- Recorded in Japanese, with no English reference yet.
local UNMATCHED_LINE = { "hero_003.wav", "ちょっとまって、なにかきこえる。", 80 }

local function say(fmt, ...) print(string.format(fmt, ...)) end
local function quote(s) return "'" .. s:gsub("'", "'\\''") .. "'" end
local function run(command) assert(os.execute(command), "failed: " .. command) end

local function speak(path, text, voice, amplitude)
  run(string.format("espeak-ng -v %s -a %d -w %s -- %s", voice, amplitude, quote(path), quote(text)))
end

local function copy(from, to)
  local src = assert(io.open(from, "rb"))
  local data = src:read("a")
  src:close()
  local dst = assert(io.open(to, "wb"))
  dst:write(data)
  dst:close()
end

local function basename(path) return path:match("[^/]*$") end
local function group_of(file)
  for _, keyword in ipairs(KEYWORDS) do
    if file:lower():find(keyword, 1, true) then return keyword end
  end
  return "None"
end
local function source_file(take) return reaper.GetMediaSourceFileName(reaper.GetMediaItemTake_Source(take)) end
local function track_name(track) return select(2, reaper.GetTrackName(track)) end

-- The highest momentary loudness (LUFS) through the plug-in; nil when it reports a fault.
local function max_momentary(item)
  local lufs = reaper.MX_GetMediaItemLoudnessMaxMomentary(item)
  if reaper.GetErrorCode() ~= 0 then return nil end
  return lufs
end

-- The job folders, generated afresh.
local job = out .. "/job"
local base_dir, subject_dir = job .. "/en", job .. "/ja"
run("rm -rf " .. quote(job) .. " && mkdir -p " .. quote(base_dir) .. " " .. quote(subject_dir) .. " " .. quote(out .. "/listen"))
for _, line in ipairs(LINES) do
  speak(base_dir .. "/" .. line[1], line[2], "en", line[4])
  speak(subject_dir .. "/" .. line[1], line[3], "ja", line[5])
end
speak(subject_dir .. "/" .. UNMATCHED_LINE[1], UNMATCHED_LINE[2], "ja", UNMATCHED_LINE[3])
say("Generated a job of %d English and %d Japanese lines with espeak-ng in %s", #LINES, #LINES + 1, job)

-- The lines' loudness as recorded, measured on a scratch track that is removed again.
local before = {}
do
  reaper.InsertTrackAtIndex(0, true)
  local scratch = reaper.GetTrack(nil, 0)
  reaper.SetOnlyTrackSelected(scratch)
  for _, line in ipairs(LINES) do
    for _, path in ipairs({ base_dir .. "/" .. line[1], subject_dir .. "/" .. line[1] }) do
      reaper.SetEditCurPos(0, false, false)
      assert(reaper.InsertMedia(path, 0) == 1, "could not insert " .. path)
      before[path] = max_momentary(reaper.GetTrackMediaItem(scratch, reaper.CountTrackMediaItems(scratch) - 1))
    end
  end
  reaper.DeleteTrack(scratch)
end

local unmatched = reaper.MX_VOXPAIR_InsertMediaItems(subject_dir, base_dir, START, GAP, 0, true, true, RATIO_TYPE, KEYWORDS)
say("\nMX_VOXPAIR_InsertMediaItems(ja, en, start %.1f s, gap %.1f s, loudness matching, riding with ratio type %d,"
  .. " keywords %s): error code %d", START, GAP, RATIO_TYPE, table.concat(KEYWORDS, ", "), reaper.GetErrorCode())

-- The layout as the host holds it; the items by their original file.
local items = {}
say("\nLayout (%d tracks, %d items):", reaper.CountTracks(nil), reaper.CountMediaItems(nil))
for t = 0, reaper.CountTracks(nil) - 1 do
  local track = reaper.GetTrack(nil, t)
  local parent = reaper.GetParentTrack(track)
  say("  %s%-8s %s", string.rep("    ", reaper.GetTrackDepth(track)), track_name(track),
    parent and ("(child of " .. track_name(parent) .. ")") or "(parent)")
  for i = 0, reaper.CountTrackMediaItems(track) - 1 do
    local item = reaper.GetTrackMediaItem(track, i)
    local original = source_file(reaper.GetTake(item, 0))
    items[original] = item
    local position = reaper.GetMediaItemInfo_Value(item, "D_POSITION")
    local length = reaper.GetMediaItemInfo_Value(item, "D_LENGTH")
    local takes = reaper.CountTakes(item)
    say("  %s  %6.2f s - %6.2f s  %s/%s%s", string.rep("    ", reaper.GetTrackDepth(track) + 1), position,
      position + length, basename(original:sub(1, -#basename(original) - 2)), basename(original),
      takes > 1 and string.format("  (%d takes, active: rendered %s)", takes,
        basename(source_file(reaper.GetActiveTake(item)))) or "")
  end
end

local function fmt(lufs) return lufs and string.format("%6.1f", lufs) or "  none" end
say("\nHighest momentary loudness (LUFS), the English line as reference:")
say("  %-17s %8s %8s   %8s %8s %8s", "line", "en", "en", "ja", "ja", "ja-en")
say("  %-17s %8s %8s   %8s %8s %8s", "", "before", "after", "before", "after", "after")
local worst = 0
for n, line in ipairs(LINES) do
  local base_path, subject_path = base_dir .. "/" .. line[1], subject_dir .. "/" .. line[1]
  local base_item, subject_item = assert(items[base_path], "no item of " .. base_path),
    assert(items[subject_path], "no item of " .. subject_path)
  local base_after, subject_after = max_momentary(base_item), max_momentary(subject_item)
  assert(subject_after and base_after, "a line could not be measured")
  -- Each pair sits on its group's two child tracks, the Japanese line after the English.
  for item, child in pairs({ [base_item] = "base", [subject_item] = "unique" }) do
    local track = reaper.GetMediaItem_Track(item)
    local parent = reaper.GetParentTrack(track)
    assert(track_name(track) == child and parent and track_name(parent) == group_of(line[1]),
      line[1] .. " is not on its group's " .. child .. " track")
  end
  assert(reaper.GetMediaItemInfo_Value(subject_item, "D_POSITION") >= reaper.GetMediaItemInfo_Value(base_item, "D_POSITION")
    + reaper.GetMediaItemInfo_Value(base_item, "D_LENGTH") + GAP - 1e-9, line[1] .. ": the pair overlaps")
  assert(reaper.CountTakes(subject_item) == 2, line[1] .. ": the ride was not rendered")
  local gap = subject_after - base_after
  if math.abs(gap) < 0.005 then gap = 0 end
  worst = math.max(worst, math.abs(gap))
  say("  %-17s %8s %8s   %8s %8s %8s", line[1], fmt(before[base_path]), fmt(base_after), fmt(before[subject_path]),
    fmt(subject_after), string.format("%+6.2f", gap))

  -- To listen to the Japanese line as the session plays it, bounce it: the item gain
  -- moves into the take gain (the heard level stays) and the take is rendered.
  local take = reaper.GetActiveTake(subject_item)
  reaper.SetMediaItemTakeInfo_Value(take, "D_VOL", reaper.GetMediaItemTakeInfo_Value(take, "D_VOL")
    * reaper.GetMediaItemInfo_Value(subject_item, "D_VOL"))
  reaper.SetMediaItemInfo_Value(subject_item, "D_VOL", 1.0)
  reaper.MX_RenderMediaItemActiveTake(subject_item)
  assert(reaper.GetErrorCode() == 0, "the bounce failed")
  local bounced = max_momentary(subject_item)
  assert(bounced and math.abs(bounced - subject_after) < 0.05, "the bounce changed the level")
  local stem = string.format("%s/listen/%d_%s", out, n, line[1]:sub(1, -5))
  copy(base_path, stem .. "_en.wav")
  copy(subject_path, stem .. "_ja_recorded.wav")
  copy(source_file(reaper.GetActiveTake(subject_item)), stem .. "_ja_ridden_matched.wav")
end

say("\nUnmatched Japanese lines (no English line of the same name): %d", #unmatched)
for _, path in ipairs(unmatched) do say("  %s", path) end

assert(#unmatched == 1 and basename(unmatched[1]) == UNMATCHED_LINE[1], "the unmatched list is wrong")
assert(worst < 0.5, string.format("a Japanese line is %.2f LU off its English line", worst))
say("\nListen: %s/listen/ (per line: the English reference, the Japanese line as recorded,"
  .. " and as ridden and matched in the session)", out)
