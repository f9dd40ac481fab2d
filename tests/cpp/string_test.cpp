// Text matching and editing through the plug-in's direct entries and script adapters.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "definitions.h"
#include "harness.h"

namespace {

using mxtest::HostTest;

constexpr int ERR_UNKNOWN = 1;

class Text : public HostTest {
 protected:
  using Check = bool (*)(const char*, const char*, bool*);
  using Replace = bool (*)(const char*, const char*, const char*, char*, int);

  // The replace adapter as a script reaches it; the buffer starts as "untouched".
  std::string replace(const std::string& text, const std::string& pattern, const std::string& replacement,
                      intptr_t* flag = nullptr, int size = 0) {
    std::vector<char> out(static_cast<size_t>(size > 0 ? size : text.size() * 2 + 256), '\0');
    std::strncpy(out.data(), "untouched", out.size() - 1);
    const intptr_t result = call("ReplaceSearchString", text.c_str(), pattern.c_str(), replacement.c_str(),
                                 out.data(), static_cast<int>(out.size()));
    if (flag) *flag = result;
    return out.data();
  }
};

TEST_F(Text, ChecksFoldCaseByteWiseExceptThePerfectOne) {
  struct Case {
    const char* function;
    const char* text;
    const char* check;
    bool expected;
  };
  const Case cases[] = {
      {"CheckSameString", "Take01", "TAKE01", true},
      {"CheckSameString", "take01", "take01 ", false},
      {"CheckSameString", "", "", true},
      // Only A-Z fold: the bytes of a multi-byte letter stay as they are.
      {"CheckSameString", "\xC3\x84", "\xC3\xA4", false},
      {"CheckIncludeString", "Line_A_001", "a_0", true},
      {"CheckIncludeString", "Line_A_001", "b_0", false},
      {"CheckIncludeString", "abc", "", true},
      {"CheckIncludeString", "ab", "abc", false},
      {"CheckIncludePerfectString", "Line_A_001", "a_0", false},
      {"CheckIncludePerfectString", "Line_A_001", "A_0", true},
      {"CheckIncludePerfectString", "anything", "", true},
      {"CheckIncludePerfectString", "", "", true},
  };
  for (const Case& c : cases) {
    const std::string what = std::string(c.function) + "(" + c.text + ", " + c.check + ")";
    bool out = !c.expected;
    EXPECT_TRUE(api<Check>(std::string("MX_") + c.function)(c.text, c.check, &out)) << what;
    EXPECT_EQ(out, c.expected) << what;
    EXPECT_EQ(call(c.function, c.text, c.check), c.expected ? 1 : 0) << what;
    EXPECT_EQ(error_code(), 0) << what;
  }
}

TEST_F(Text, NullTextsReadAsEmptyAndMissingOutputsAreSkipped) {
  bool out = false;
  EXPECT_TRUE(api<Check>("MX_CheckSameString")(nullptr, "", &out));
  EXPECT_TRUE(out);
  EXPECT_TRUE(api<Check>("MX_CheckIncludeString")("abc", nullptr, nullptr));
  char buffer[8] = "keep";
  EXPECT_TRUE(api<Replace>("MX_ReplaceSearchString")(nullptr, nullptr, nullptr, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "");
  EXPECT_TRUE(api<Replace>("MX_ReplaceSearchString")("abc", "b", "x", nullptr, 16));
  EXPECT_TRUE(api<bool (*)(const char*, char*, int)>("MX_DeleteBlankString")(nullptr, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "");
}

TEST_F(Text, ReplaceUsesThePatternGrammarAndTheReplacementRules) {
  struct Case {
    const char* text;
    const char* pattern;
    const char* replacement;
    const char* expected;
  };
  const Case cases[] = {
      {"line.wav", ".", "_", "________"},
      {"line.wav", "\\.wav$", ".aif", "line.aif"},
      // Anchors hold at the ends of the whole text and the dot stops at line breaks.
      {"a.wav\nb.wav", "\\.wav$", ".aif", "a.wav\nb.aif"},
      {"x\ny", "^.", "_", "_\ny"},
      {"a\nb\rc", "a.b|b.c", "X", "a\nb\rc"},
      {"ab12cd3", "(\\d+)", "[$1]", "ab[12]cd[3]"},
      {"John Smith", "(\\w+) (\\w+)", "$2, $1", "Smith, John"},
      {"x-y-z", "-", "[$`|$'|$$|$&|$q]", "x[x|y-z|$|-|$q]y[y|z|$|-|$q]z"},
      {"abcdefghijk", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", "$11$1", "ka"},
      {"ab", "(a)", "[$2]", "[]b"},
      {"ab", "b", "$", "a$"},
      {"a.b", "\\.", "\\", "a\\b"},
      {"ab", "", "-", "-a-b-"},
      {"Take_01 take_02", "take", "Line", "Take_01 Line_02"},
      {"none here", "xyz", "!", "none here"},
  };
  for (const Case& c : cases) {
    intptr_t flag = 0;
    EXPECT_EQ(replace(c.text, c.pattern, c.replacement, &flag), c.expected) << c.pattern << " -> " << c.replacement;
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(error_code(), 0);
  }
}

TEST_F(Text, ReplaceCutsTheResultToTheCapacity) {
  intptr_t flag = 0;
  EXPECT_EQ(replace("abcdefghij", "x", "y", &flag, 4), "abc");
  EXPECT_EQ(flag, 1);
  char one[1] = {'z'};
  EXPECT_TRUE(api<Replace>("MX_ReplaceSearchString")("abc", "b", "x", one, 0));
  EXPECT_EQ(one[0], 'z');
  // An empty pattern matches between every two bytes: over a long text with a long
  // replacement the whole result would run to a terabyte, so the work stops once the
  // buffer is full.
  const std::string megabyte(1 << 20, 'm');
  char small[64];
  EXPECT_TRUE(api<Replace>("MX_ReplaceSearchString")(megabyte.c_str(), "", megabyte.c_str(), small, sizeof small));
  EXPECT_EQ(std::string(small), std::string(63, 'm'));
}

TEST_F(Text, InvalidOrRunawayPatternsFailWithoutWriting) {
  const std::string long_text(100 * 1024, 'a');
  struct Case {
    const char* what;
    std::string text;
    const char* pattern;
  };
  const Case cases[] = {
      {"unbalanced group", "abc", "("},
      {"unbalanced class", "abc", "[a"},
      {"nothing to repeat", "abc", "*"},
      {"exponential backtracking", std::string(40, 'a'), "(a+)+b"},
      {"deep repetition over a long text", long_text, "(a|b)*c"},
      {"group repeated over a long text", long_text, "(.)*"},
  };
  for (const Case& c : cases) {
    intptr_t flag = 1;
    EXPECT_EQ(replace(c.text, c.pattern, "x", &flag), "untouched") << c.what;
    EXPECT_EQ(flag, 0) << c.what;
    EXPECT_EQ(error_code(), ERR_UNKNOWN) << c.what;
  }
  // The engine is left usable and a success clears the code.
  EXPECT_EQ(replace("abc", "b", "x"), "axc");
  EXPECT_EQ(error_code(), 0);
}

TEST_F(Text, LongTextsAreReplacedWhole) {
  const std::string long_text(100 * 1024, 'a');
  EXPECT_EQ(replace(long_text, ".*", "y"), "yy");
  std::string doubled;
  for (size_t i = 0; i < long_text.size(); ++i) doubled += "bc";
  EXPECT_EQ(replace(long_text, "a", "bc"), doubled);
  EXPECT_EQ(replace(long_text + "Z", "a+Z$", "end"), "end");
  EXPECT_EQ(error_code(), 0);
}

TEST_F(Text, DeleteBlankRemovesAsciiSpacesOnly) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {" a b  c ", "abc"},
      {"a\tb c", "a\tbc"},
      {"line\nend", "line\nend"},
      {"\xE3\x80\x80" "a b", "\xE3\x80\x80" "ab"},  // the ideographic space stays
      {"   ", ""},
  };
  for (const Case& c : cases) {
    char out[32] = "untouched";
    EXPECT_EQ(call("DeleteBlankString", c.text, out, static_cast<int>(sizeof out)), 1);
    EXPECT_STREQ(out, c.expected);
  }
  char small[3] = "";
  EXPECT_EQ(call("DeleteBlankString", "a b c d", small, 3), 1);
  EXPECT_STREQ(small, "ab");
}

TEST_F(Text, DefinitionsAsTheHostReadsThem) {
  using namespace std::string_literals;
  mxtest::expect_definitions({
      {"MX_CheckSameString", "bool\0const char*,const char*\0textString,checkString\0Check Same String"s},
      {"MX_CheckIncludeString", "bool\0const char*,const char*\0textString,checkString\0Check Include String"s},
      {"MX_CheckIncludePerfectString",
       "bool\0const char*,const char*\0textString,checkString\0Check Include PerfectString"s},
      {"MX_ReplaceSearchString",
       "void\0const char*,const char*,const char*,char*,int\0textString,searchString,replaceString,stringOut,"
       "stringOut_sz\0Replace String"s},
      {"MX_DeleteBlankString",
       "void\0const char*,char*,int\0testString,stringOut,stringOut_sz\0Delete Blank String"s},
      {"MX_GetStringSplitList",
       "void\0const char*,const char*,StringArray*\0baseStr,splitStr,splitListOut\0Get splitted string list"s},
  });
  // The split list is reached through the script bindings; its registered entries do nothing.
  EXPECT_EQ(call("GetStringSplitList", "a,b", ",", nullptr), 0);
}

}  // namespace
