// The list operations behind "MX_GetStringSplitList" and "MX_GetUserInputList", called
// natively against the simulated host's input dialog.
#include <string>
#include <vector>

#include "api/UI.h"
#include "api/string.h"
#include "native.h"
#include "simhost/dialogs.h"

namespace {

using mxtest::NativeTest;
using List = std::vector<std::string>;

class SplitList : public NativeTest {};

TEST_F(SplitList, EverySeparatorCharacterSplitsOnItsOwn) {
  struct Case {
    const char* base;
    const char* separators;
    List expected;
  };
  const Case cases[] = {
      {"a,b,c", ",", {"a", "b", "c"}},
      {"a,,b", ",", {"a", "", "b"}},
      {",a", ",", {"", "a"}},
      {"a,b,", ",", {"a", "b"}},
      {",", ",", {""}},
      {"a;b,c", ";,", {"a", "b", "c"}},
      {"a;,b", ",;", {"a", "", "b"}},
      {"abc", ",", {"abc"}},
      {"", ",", {}},
      {"abc", "", {"abc"}},
      {"a, b", ", ", {"a", "", "b"}},  // not the whole separator text
  };
  for (const Case& c : cases) {
    List list;
    EXPECT_TRUE(mx_api::string::GetStringSplitList(c.base, c.separators, list));
    EXPECT_EQ(list, c.expected) << "'" << c.base << "' at '" << c.separators << "'";
    EXPECT_EQ(error_code(), 0);
  }
}

TEST_F(SplitList, PiecesAreAppendedToWhatTheListHolds) {
  List list{"kept"};
  EXPECT_TRUE(mx_api::string::GetStringSplitList("x|y", "|", list));
  EXPECT_EQ(list, (List{"kept", "x", "y"}));
}

class UserInputs : public NativeTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(sim::dialogs::pending(), 0u) << "an answer was queued for a dialog that never came";
    if (expect_no_violations) {
      EXPECT_EQ(host().take_violations(), List{});
    }
  }
  bool expect_no_violations = true;
};

TEST_F(UserInputs, ConfirmedAnswersAreSplitAtCommasAndAppended) {
  sim::dialogs::answer_inputs("Line_01,take 2,");
  List list{"before"};
  EXPECT_TRUE(mx_api::UI::GetUserInputList("Names", 3, "Prefix,Suffix,Note", "L,t,x", list));
  EXPECT_EQ(list, (List{"before", "Line_01", "take 2"})) << "an empty last answer gives no piece";
  EXPECT_EQ(error_code(), 0);

  const auto& log = sim::dialogs::log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].kind, sim::dialogs::Kind::inputs);
  EXPECT_EQ(log[0].title, "Names");
  EXPECT_EQ(log[0].fields, 3);
  EXPECT_EQ(log[0].captions, "Prefix,Suffix,Note");
  EXPECT_EQ(log[0].initial, "L,t,x");
  EXPECT_TRUE(log[0].confirmed);
}

TEST_F(UserInputs, AnswersFollowTheSplittingRules) {
  struct Case {
    const char* answer;
    List expected;
  };
  const Case cases[] = {
      {"single", {"single"}},
      {"a,b,c,d", {"a", "b", "c", "d"}},  // a comma inside an answer splits it too
      {",b", {"", "b"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    sim::dialogs::answer_inputs(c.answer);
    List list;
    EXPECT_TRUE(mx_api::UI::GetUserInputList("T", 2, "A,B", "", list)) << c.answer;
    EXPECT_EQ(list, c.expected) << c.answer;
  }
}

TEST_F(UserInputs, CancelledDialogLeavesTheListAndTheCodeAlone) {
  sim::dialogs::cancel_inputs();
  List list{"kept"};
  EXPECT_FALSE(mx_api::UI::GetUserInputList("Names", 1, "Name", "default", list));
  EXPECT_EQ(list, List{"kept"});
  EXPECT_EQ(error_code(), 0);
  ASSERT_EQ(sim::dialogs::log().size(), 1u);
  EXPECT_FALSE(sim::dialogs::log()[0].confirmed);
}

TEST_F(UserInputs, DefaultsAndAnswersShareOneKilobyteBuffer) {
  const std::string long_defaults(2000, 'd');
  const std::string long_answer = std::string(1500, 'a') + ",b";
  sim::dialogs::answer_inputs(long_answer);
  List list;
  EXPECT_TRUE(mx_api::UI::GetUserInputList("Long", 1, "Text", long_defaults, list));
  EXPECT_EQ(sim::dialogs::log().at(0).initial, std::string(1023, 'd'));
  EXPECT_EQ(list, List{std::string(1023, 'a')});
}

TEST_F(UserInputs, AnUnansweredDialogIsReportedAndClosedAsCancelled) {
  expect_no_violations = false;
  List list;
  EXPECT_FALSE(mx_api::UI::GetUserInputList("Forgotten", 1, "Name", "", list));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(host().take_violations(), List{"unanswered dialog: Forgotten"});
}

TEST_F(UserInputs, SessionResetForgetsQueuedAnswersAndTheLog) {
  sim::dialogs::answer_inputs("x");
  List list;
  EXPECT_TRUE(mx_api::UI::GetUserInputList("T", 1, "A", "", list));
  sim::dialogs::answer_inputs("queued");
  sim::dialogs::answer_message_box(1);
  host().reset_session();
  EXPECT_EQ(sim::dialogs::pending(), 0u);
  EXPECT_TRUE(sim::dialogs::log().empty());
}

}  // namespace
