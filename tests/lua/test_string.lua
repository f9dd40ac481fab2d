-- Text matching and editing from a script: test answers, replacement results through
-- the host's output buffers, and failures as codes in the sink.
local T = require("t")
local ERR_UNKNOWN = 1

T.case("same and included texts with and without case", function()
  local cases = {
    { "MX_CheckSameString", "Take01", "TAKE01", true },
    { "MX_CheckSameString", "take01", "take01 ", false },
    { "MX_CheckIncludeString", "Line_A_001", "a_0", true },
    { "MX_CheckIncludeString", "Line_A_001", "x", false },
    { "MX_CheckIncludePerfectString", "Line_A_001", "a_0", false },
    { "MX_CheckIncludePerfectString", "Line_A_001", "A_0", true },
    { "MX_CheckIncludePerfectString", "anything", "", true },
  }
  for _, c in ipairs(cases) do
    T.eq(reaper[c[1]](c[2], c[3]), c[4], c[1] .. "(" .. c[2] .. ", " .. c[3] .. ")")
    T.eq(T.code(), 0, "sink clear")
  end
end)

T.case("pattern replacement with groups and the replacement rules", function()
  local cases = {
    { "line.wav", ".", "_", "________" },
    { "line.wav", "\\.wav$", ".aif", "line.aif" },
    { "a.wav\nb.wav", "\\.wav$", ".aif", "a.wav\nb.aif" },
    { "ab12cd3", "(\\d+)", "[$1]", "ab[12]cd[3]" },
    { "x-y", "-", "<$`|$'|$$|$&>", "x<x|y|$|->y" },
    { "Take_01", "^(\\w+)_(\\d+)$", "$2_$1", "01_Take" },
  }
  for _, c in ipairs(cases) do
    T.eq(reaper.MX_ReplaceSearchString(c[1], c[2], c[3]), c[4], c[2] .. " -> " .. c[3])
  end
end)

T.case("the result is cut to the output capacity", function()
  sim.set_output_capacity(4)
  T.eq(reaper.MX_ReplaceSearchString("abcdefghij", "x", "y"), "abc", "first 3 bytes")
end)

T.case("invalid and runaway patterns fail with ERR_UNKNOWN and write nothing", function()
  local long = string.rep("a", 100 * 1024)
  local cases = {
    { "abc", "(" },
    { string.rep("a", 40), "(a+)+b" },
    { long, "(a|b)*c" },
  }
  for _, c in ipairs(cases) do
    T.eq(reaper.MX_ReplaceSearchString(c[1], c[2], "x"), "", c[2])
    T.eq(T.code(), ERR_UNKNOWN, c[2] .. " code")
  end
  T.eq(reaper.MX_ReplaceSearchString("abc", "b", "x"), "axc", "usable afterwards")
  T.eq(T.code(), 0, "success clears the code")
end)

T.case("a long text is replaced whole", function()
  local long = string.rep("a", 100 * 1024)
  sim.set_output_capacity(300 * 1024)
  T.eq(reaper.MX_ReplaceSearchString(long, ".*", "y"), "yy", "whole text and the empty end")
  T.eq(reaper.MX_ReplaceSearchString(long, "a", "bc"), string.rep("bc", 100 * 1024), "every match")
  T.eq(T.code(), 0, "sink clear")
end)

T.case("blank removal takes ASCII spaces only", function()
  T.eq(reaper.MX_DeleteBlankString(" a b  c "), "abc", "spaces")
  T.eq(reaper.MX_DeleteBlankString("a\tb c"), "a\tbc", "tab stays")
  T.eq(reaper.MX_DeleteBlankString("\227\128\128a b"), "\227\128\128ab", "ideographic space stays")
end)

T.done()
