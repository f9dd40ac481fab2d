// The guard of the operations that need the SWS extension: with the extension, or one
// of its functions, missing, every such call shows the dependency dialog in the user's
// language before any other check, opens the extension's page on Yes, and reports
// ERR_SWS_NOT_INSTALLED without changing anything. The system's browser opener and
// locale query are stand-ins on PATH (tests/stubs).
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "simhost/dialogs.h"

namespace {

using mxtest::HostTest;
namespace dialogs = sim::dialogs;

constexpr int YES = 6;
constexpr int NO = 7;
constexpr int SWS_NOT_INSTALLED = 25;

const std::string STUBS = (std::filesystem::path(__FILE__).parent_path().parent_path() / "stubs").string();

std::string english_text(const std::string& name) {
  return "To use " + name + ", you need to install SWS/S&M Extension.\nPlease refer to the URL below for details.\n\n";
}
std::string japanese_text(const std::string& name) {
  return name + "を使用するためにはSWS/S&M Extensionのインストールが必要です。\n"
                "詳細は下記URLを参照ください。\n\n";
}

class Guard : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    for (const char* v : {"PATH", "LC_ALL", "LC_MESSAGES", "LANG"})
      if (const char* value = std::getenv(v)) saved_[v] = value;
    const std::string path = saved_.count("PATH") ? saved_["PATH"] : "";
    open_log_ = scratch_folder("guard") + "/opened.log";
    setenv("PATH", (STUBS + ":" + path).c_str(), 1);
    setenv("MX_OPEN_LOG", open_log_.c_str(), 1);
  }
  void TearDown() override {
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const auto saved = saved_.find(v);
      saved == saved_.end() ? unsetenv(v) : setenv(v, saved->second.c_str(), 1);
    }
    if (locale_changed_) load_with_locale(nullptr);
    setenv("PATH", saved_["PATH"].c_str(), 1);
    unsetenv("MX_OPEN_LOG");
    HostTest::TearDown();
  }

  // Loads the plug-in again with the system locale answering `locale` (null: the
  // machine's own way of deciding), as a restart of the host would.
  void load_with_locale(const char* locale) {
    locale ? setenv("MX_STUB_LOCALE", locale, 1) : unsetenv("MX_STUB_LOCALE");
    if (locale) {
      for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(v);
    }
    host().reload_all();
    locale_changed_ = locale != nullptr;
  }

  std::vector<std::string> opened() {
    std::ifstream in(open_log_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // The web address the dialog offers: its line after the first blank line.
  static std::string address_in(const std::string& text) {
    const size_t start = text.find("\n\n");
    if (start == std::string::npos) return "";
    const size_t end = text.find('\n', start + 2);
    return text.substr(start + 2, end == std::string::npos ? std::string::npos : end - start - 2);
  }

  const dialogs::Shown& last_dialog() {
    EXPECT_FALSE(dialogs::log().empty());
    static const dialogs::Shown none;
    return dialogs::log().empty() ? none : dialogs::log().back();
  }

  std::map<std::string, std::string> saved_;
  std::string open_log_;
  bool locale_changed_ = false;
};

// One guarded call per script function, each with an item or index that names nothing:
// the lookups come first, so the code is still the extension's.
struct GuardedCall {
  const char* function;
  const char* dialog_name;
  intptr_t failure;
};
const std::vector<GuardedCall> GUARDED = {
    {"GetMediaItemLoudnessMaxMomentary", "MX_GetMediaItemLoudnessMaxMomentary", 1},
    {"GetMediaIdLoudnessMaxMomentary", "MX_GetMediaItemLoudnessMaxMomentary", 1},
    {"GetSelectedMediaIdLoudnessMaxMomentary", "MX_GetMediaItemLoudnessMaxMomentary", 1},
    {"SetMediaItemLoudnessMaxMomentary", "MX_SetMediaItemLoudnessMaxMomentary", 0},
    {"SetMediaIdLoudnessMaxMomentary", "MX_SetMediaItemLoudnessMaxMomentary", 0},
    {"SetSelectedMediaIdLoudnessMaxMomentary", "MX_SetMediaItemLoudnessMaxMomentary", 0},
    {"SetMediaItemEnvelopeAllOFF", "MX_SetMediaItemEnvelopeAllOFF", 0},
    {"SetMediaIdEnvelopeAllOFF", "MX_SetMediaItemEnvelopeAllOFF", 0},
    {"SetSelectedMediaIdEnvelopeAllOFF", "MX_SetMediaItemEnvelopeAllOFF", 0},
};

// Calls `c` through its script adapter on nothing: a null item, or index 99.
intptr_t call_on_nothing(HostTest& t, const GuardedCall& c) {
  const std::string f = c.function;
  double target = -23.0, a = 0, b = 0;
  const bool item_form = f.find("MediaItem") != std::string::npos;
  if (f.rfind("Get", 0) == 0)
    return item_form ? t.call(f, nullptr, &a, &b) : t.call(f, nullptr, 99, &a, &b);
  if (f.find("Loudness") != std::string::npos)
    return item_form ? t.call(f, nullptr, &target, &a) : t.call(f, nullptr, 99, &target, &a);
  return item_form ? t.call(f, nullptr) : t.call(f, nullptr, 99);
}

TEST_F(Guard, WithoutSwsEveryGuardedCallShowsTheDialogAndReports25) {
  host().remove_sws();
  for (const GuardedCall& c : GUARDED) {
    dialogs::answer_message_box(NO);
    EXPECT_EQ(call_on_nothing(*this, c), c.failure) << c.function;
    EXPECT_EQ(error_code(), SWS_NOT_INSTALLED) << c.function;
    const dialogs::Shown& shown = last_dialog();
    EXPECT_EQ(shown.title, "MIXVALE_COBALT") << c.function;
    EXPECT_EQ(shown.type, 4) << c.function;
    EXPECT_EQ(shown.text.rfind(english_text(c.dialog_name), 0), 0u) << c.function << ": " << shown.text;
  }
  EXPECT_EQ(dialogs::log().size(), GUARDED.size());
  EXPECT_EQ(dialogs::pending(), 0u);
  EXPECT_TRUE(opened().empty()) << "No opens nothing";
}

TEST_F(Guard, YesOpensTheAddressTheDialogShowsAsOneArgument) {
  host().remove_sws();
  dialogs::answer_message_box(YES);
  MediaItem* item = session().add_item(add_track());
  EXPECT_FALSE(api<bool (*)(MediaItem*)>("MX_SetMediaItemEnvelopeAllOFF")(item));
  EXPECT_EQ(error_code(), SWS_NOT_INSTALLED);
  const std::string address = address_in(last_dialog().text);
  EXPECT_EQ(address.rfind("https://", 0), 0u) << address;
  EXPECT_EQ(opened(), std::vector<std::string>{"argc=1 [" + address + "]"});
}

TEST_F(Guard, NothingChangesWhileTheExtensionIsMissing) {
  MediaItem* item = session().add_item(add_track());
  MediaItem_Take* take = session().add_take(item);
  TrackEnvelope* env = session().add_envelope(take, "Volume");
  env->points = {{0.0, 0.5}};
  host().remove_sws();
  dialogs::answer_message_box(NO);
  EXPECT_FALSE(api<bool (*)(MediaItem*)>("MX_SetMediaItemEnvelopeAllOFF")(item));
  dialogs::answer_message_box(NO);
  double position = 0;
  EXPECT_FALSE(api<bool (*)(MediaItem*, double, double*)>("MX_SetMediaItemLoudnessMaxMomentary")(item, -23.0,
                                                                                                   &position));
  EXPECT_EQ(error_code(), SWS_NOT_INSTALLED);
  EXPECT_TRUE(env->active);
  EXPECT_TRUE(env->visible);
  EXPECT_EQ(item->volume, 1.0);
}

// An older extension that lacks one function: only the operations that need it stop,
// and the envelope is left alone even when only the last function looked up is gone.
TEST_F(Guard, OneMissingFunctionStopsOnlyTheOperationsThatNeedIt) {
  struct Case {
    const char* missing;
    bool loudness_works, envelopes_work;
  };
  for (const Case& c : {Case{"NF_AnalyzeTakeLoudness2", false, true}, Case{"BR_EnvAlloc", true, false},
                        Case{"BR_EnvFree", true, false}, Case{"BR_EnvSetProperties", true, false}}) {
    host().reset_session();
    ASSERT_TRUE(host().withdraw(c.missing)) << c.missing;
    MediaItem* item = session().add_item(add_track());
    MediaItem_Take* take = session().add_take(item);
    TrackEnvelope* env = session().add_envelope(take, "Volume");
    const size_t shown_before = dialogs::log().size();
    if (!c.envelopes_work) dialogs::answer_message_box(NO);
    EXPECT_EQ(api<bool (*)(MediaItem*)>("MX_SetMediaItemEnvelopeAllOFF")(item), c.envelopes_work) << c.missing;
    EXPECT_EQ(error_code(), c.envelopes_work ? 0 : SWS_NOT_INSTALLED) << c.missing;
    EXPECT_EQ(env->active, !c.envelopes_work) << c.missing;
    // The take has no source: with the analysis present it fails as an analysis.
    if (!c.loudness_works) dialogs::answer_message_box(NO);
    double level = 0, position = 0;
    EXPECT_EQ(api<int (*)(MediaItem*, double*, double*)>("MX_GetMediaItemLoudnessMaxMomentary")(item, &level,
                                                                                                  &position),
              1);
    EXPECT_EQ(error_code(), c.loudness_works ? 28 : SWS_NOT_INSTALLED) << c.missing;
    EXPECT_EQ(dialogs::log().size() - shown_before, size_t(c.loudness_works ? 0 : 1) + (c.envelopes_work ? 0 : 1))
        << c.missing;
  }
}

TEST_F(Guard, WithSwsNoDialogIsShown) {
  for (const GuardedCall& c : GUARDED) {
    call_on_nothing(*this, c);
    EXPECT_EQ(error_code(), 11) << c.function;
  }
  EXPECT_TRUE(dialogs::log().empty());
}

TEST_F(Guard, TheDialogSpeaksTheSystemLanguage) {
  host().remove_sws();
  struct Case {
    const char* locale;
    bool japanese;
  };
  for (const Case& c : {Case{"ja_JP", true}, Case{"en_US", false}, Case{"ja", false}}) {
    load_with_locale(c.locale);
    host().remove_sws();
    dialogs::answer_message_box(NO);
    EXPECT_FALSE(api<bool (*)(MediaItem*)>("MX_SetMediaItemEnvelopeAllOFF")(nullptr)) << c.locale;
    EXPECT_EQ(error_code(), SWS_NOT_INSTALLED) << c.locale;
    const dialogs::Shown& shown = last_dialog();
    const std::string expected =
        c.japanese ? japanese_text("MX_SetMediaItemEnvelopeAllOFF") : english_text("MX_SetMediaItemEnvelopeAllOFF");
    EXPECT_EQ(shown.text.rfind(expected, 0), 0u) << c.locale << ": " << shown.text;
    EXPECT_EQ(shown.title, "MIXVALE_COBALT") << c.locale;
    const std::string tail = c.japanese ? "\n\nURLを開きますか？" : "\n\nWould you like to open the URL?";
    EXPECT_EQ(shown.text.substr(shown.text.size() - std::min(shown.text.size(), tail.size())), tail) << c.locale;
    EXPECT_EQ(address_in(shown.text).rfind("https://", 0), 0u) << c.locale;
  }
}

}  // namespace
