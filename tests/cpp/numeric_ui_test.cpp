// Random numbers, number formatting and the message box through the plug-in's direct
// entries and script adapters. Random draws are checked over a fixed number of draws
// with bounds no correct generator misses (a miss has odds below 1e-15).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <set>
#include <string>

#include "definitions.h"
#include "harness.h"
#include "simhost/dialogs.h"

namespace {

using mxtest::HostTest;

constexpr int ERR_INVALID_ARGUMENT = 23;

class Numbers : public HostTest {
 protected:
  int integer(int low, int high) { return static_cast<int>(call("GetRandomNumInteger", low, high)); }

  double decimal(double low, double high, int places) {
    double out = -12345.0;
    EXPECT_EQ(call("GetRandomNumDouble", &low, &high, places, &out), 1);
    return out;
  }

  std::string format(int num, int digit, int size = 64) {
    std::string out(static_cast<size_t>(size), '\0');
    std::strncpy(out.data(), "untouched", out.size() - 1);
    call("FormatNumDigit", num, digit, out.data(), size);
    return out.c_str();
  }
};

// True when value carries at most `places` decimal places.
bool has_places(double value, int places) {
  const double scaled = value * std::pow(10.0, places);
  return std::fabs(scaled - std::round(scaled)) < 1e-6;
}

TEST_F(Numbers, IntegersCoverTheClosedRangeInEitherOrder) {
  for (int i = 0; i < 20; ++i) EXPECT_EQ(integer(5, 5), 5);
  std::set<int> seen, seen_swapped;
  for (int i = 0; i < 600; ++i) {
    seen.insert(integer(1, 6));
    seen_swapped.insert(integer(6, 1));
  }
  EXPECT_EQ(seen, (std::set<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(seen_swapped, seen);
  std::set<int> negative;
  for (int i = 0; i < 200; ++i) negative.insert(integer(-2, -1));
  EXPECT_EQ(negative, (std::set<int>{-2, -1}));
  // The whole 32-bit range is a valid range too.
  for (int i = 0; i < 20; ++i) integer(INT_MIN, INT_MAX);
  int out = 0;
  EXPECT_TRUE(api<bool (*)(int, int, int*)>("MX_GetRandomNumInteger")(INT_MAX, INT_MAX, &out));
  EXPECT_EQ(out, INT_MAX);
  EXPECT_TRUE(api<bool (*)(int, int, int*)>("MX_GetRandomNumInteger")(1, 2, nullptr));
  EXPECT_EQ(error_code(), 0);
}

TEST_F(Numbers, DecimalsKeepTheirPlacesAndTheTruncatedBounds) {
  struct Case {
    double low, high;
    int places;
    double min, max;  // the truncated bounds
    int shown_places;
  };
  const Case cases[] = {
      {0.0, 1.0, 2, 0.0, 1.0, 2},
      {0.0, 1.0, 0, 0.0, 1.0, 0},
      {0.5, 1.5, 0, 0.0, 1.0, 0},    // bounds truncated to 0 and 1
      {1.0, 0.0, 1, 0.0, 1.0, 1},    // swapped
      {-1.5, -0.5, 0, -1.0, 0.0, 0}, // truncated toward zero
      {0.0, 1.0, -3, 0.0, 1.0, 0},   // no places below zero
      // More than 9 places would overflow the scale: clamped to 9.
      {0.0, 0.000001, 12, 0.0, 0.000001, 9},
  };
  for (const Case& c : cases) {
    double lowest = c.max, highest = c.min;
    for (int i = 0; i < 400; ++i) {
      const double x = decimal(c.low, c.high, c.places);
      EXPECT_TRUE(x >= c.min && x <= c.max) << x << " outside " << c.low << ".." << c.high;
      EXPECT_TRUE(has_places(x, c.shown_places)) << x;
      lowest = std::min(lowest, x);
      highest = std::max(highest, x);
    }
    // With at most a few thousand possible values, 400 draws reach both ends only for
    // the coarse ranges; the others must at least spread out.
    if (c.shown_places <= 1) {
      EXPECT_EQ(lowest, c.min) << c.low << ".." << c.high;
      EXPECT_EQ(highest, c.max) << c.low << ".." << c.high;
    } else {
      EXPECT_LT(lowest, c.min + (c.max - c.min) / 4);
      EXPECT_GT(highest, c.max - (c.max - c.min) / 4);
    }
  }
}

TEST_F(Numbers, DecimalsWithBoundsBeyondThirtyTwoBitsAreClamped) {
  const double limit = static_cast<double>(INT_MAX) / 100.0;
  const double huge = std::numeric_limits<double>::infinity();
  for (int i = 0; i < 100; ++i) {
    const double x = decimal(-1e300, huge, 2);
    EXPECT_TRUE(x >= -limit - 0.01 && x <= limit) << x;
    EXPECT_TRUE(has_places(x, 2)) << x;
  }
  EXPECT_EQ(decimal(1e12, 1e13, 0), static_cast<double>(INT_MAX));
  EXPECT_EQ(error_code(), 0);
  double out = 3.0;
  EXPECT_FALSE(api<bool (*)(double, double, int, double*)>("MX_GetRandomNumDouble")(std::nan(""), 1.0, 2, &out));
  EXPECT_EQ(error_code(), ERR_INVALID_ARGUMENT);
  EXPECT_EQ(out, 3.0);
}

TEST_F(Numbers, ColoursAreThreeComponentsInTheHostsForm) {
  auto to_native = reinterpret_cast<int (*)(int, int, int)>(host().get_func("ColorToNative"));
  int lowest = 255, highest = 0;
  std::set<int> reds;
  for (int i = 0; i < 300; ++i) {
    int color = -1, r = -1, g = -1, b = -1;
    EXPECT_EQ(call("GetRandomColor", &color, &r, &g, &b), 1);
    for (int component : {r, g, b}) {
      EXPECT_TRUE(component >= 0 && component <= 255) << component;
      lowest = std::min(lowest, component);
      highest = std::max(highest, component);
    }
    EXPECT_EQ(color, to_native(r, g, b));
    reds.insert(r);
  }
  EXPECT_LT(lowest, 16);
  EXPECT_GT(highest, 239);
  EXPECT_GT(reds.size(), 100u);  // about 177 distinct values are expected
  EXPECT_TRUE(api<bool (*)(int*, int*, int*, int*)>("MX_GetRandomColor")(nullptr, nullptr, nullptr, nullptr));
}

TEST_F(Numbers, FormattingPadsWithZerosAndPutsTheSignOnTop) {
  struct Case {
    int num, digit;
    const char* expected;
  };
  const Case cases[] = {
      {7, 3, "007"},
      {1234, 3, "1234"},
      {-7, 3, "-007"},
      {-42, 3, "-42"},
      {0, 1, "0"},
      {0, 4, "0000"},
      {INT_MAX, 12, "002147483647"},
      {INT_MIN, 3, "-2147483648"},
      {INT_MIN, 12, "-002147483648"},
  };
  for (const Case& c : cases) EXPECT_EQ(format(c.num, c.digit), c.expected) << c.num << ", " << c.digit;
  EXPECT_EQ(error_code(), 0);
  // Cut to the capacity, also for a digit count far beyond it.
  EXPECT_EQ(format(-7, INT_MAX, 8), "-000000");
  EXPECT_EQ(format(12345, 2, 4), "123");
  for (int digit : {0, -1, INT_MIN}) {
    EXPECT_EQ(format(7, digit), "untouched") << digit;
    EXPECT_EQ(error_code(), ERR_INVALID_ARGUMENT) << digit;
  }
}

class MessageBox : public HostTest {
 protected:
  using Show = bool (*)(const char*, const char*, int, int*);
};

TEST_F(MessageBox, ShowsTheBoxAndReturnsThePushedButton) {
  sim::dialogs::answer_message_box(6);
  int pushed = 0;
  EXPECT_TRUE(api<Show>("MX_ShowMessageBox_Ex")("Overwrite the takes?", "Rename", 4, &pushed));
  EXPECT_EQ(pushed, 6);
  EXPECT_EQ(error_code(), 0);
  sim::dialogs::answer_message_box(2);
  EXPECT_FALSE(api<Show>("MX_ShowMessageBox_Ex")("Go on?", "Rename", 1, &pushed));
  EXPECT_EQ(pushed, 2);
  EXPECT_EQ(error_code(), 0) << "a cancelled box is not an error";

  const auto& log = sim::dialogs::log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].kind, sim::dialogs::Kind::message_box);
  EXPECT_EQ(log[0].text, "Overwrite the takes?");
  EXPECT_EQ(log[0].title, "Rename");
  EXPECT_EQ(log[0].type, 4);
  EXPECT_EQ(log[1].type, 1);
}

TEST_F(MessageBox, AdapterReturnsTheSuccessFlagAndTypesOutsideZeroToSixShowNothing) {
  for (int type : {0, 6}) {
    sim::dialogs::answer_message_box(1);
    int pushed = 0;
    EXPECT_EQ(call("ShowMessageBox_Ex", "text", "title", type, &pushed), 1) << type;
    EXPECT_EQ(pushed, 1);
  }
  for (int type : {7, -1, INT_MIN}) {
    int pushed = 99;
    EXPECT_EQ(call("ShowMessageBox_Ex", "text", "title", type, &pushed), 0) << type;
    EXPECT_EQ(pushed, 99);
    EXPECT_EQ(error_code(), ERR_INVALID_ARGUMENT) << type;
  }
  EXPECT_EQ(sim::dialogs::log().size(), 2u);
  sim::dialogs::answer_message_box(1);
  EXPECT_TRUE(api<Show>("MX_ShowMessageBox_Ex")(nullptr, nullptr, 0, nullptr));
  EXPECT_EQ(sim::dialogs::log().back().text, "");
}

TEST_F(MessageBox, AnUnansweredBoxIsReportedAndClosedAsCancelled) {
  expect_no_violations = false;
  int pushed = 0;
  EXPECT_FALSE(api<Show>("MX_ShowMessageBox_Ex")("text", "Forgotten", 0, &pushed));
  EXPECT_EQ(pushed, 2);
  EXPECT_EQ(host().take_violations(), (std::vector<std::string>{"unanswered dialog: Forgotten"}));
}

TEST_F(MessageBox, DefinitionsAsTheHostReadsThem) {
  using namespace std::string_literals;
  mxtest::expect_definitions({
      {"MX_GetRandomNumInteger", "int\0int,int\0low,high\0Get Random Num Integer"s},
      {"MX_GetRandomNumDouble",
       "void\0double,double,int,double*\0low,high,doubleType,randomOut\0Get Random Num Double"s},
      {"MX_GetRandomColor", "void\0int*,int*,int*,int*\0colorOut,rOut,gOut,bOut\0Get Random Color RGB"s},
      {"MX_FormatNumDigit",
       "void\0int,int,char*,int\0num,digit,formattedNumOut,formattedNumOut_sz\0Format a number with specified "
       "number of digits"s},
      {"MX_ShowMessageBox_Ex",
       "bool\0const char*,const char*,int,int*\0messageStr,windowTitleStr,windowType,pushedButtonTypeOut\0message "
       "window"s},
      {"MX_GetUserInputList",
       "bool\0const char*,int,const char*,const char*,Object*\0title,inputNum,captionList,defualtValueList,"
       "inputListOut\0Show input window"s},
  });
  EXPECT_EQ(call("GetUserInputList", "title", 1, "a", "", nullptr), 0);
  EXPECT_TRUE(sim::dialogs::log().empty()) << "the registered entry shows no dialog";
}

}  // namespace
