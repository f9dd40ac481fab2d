// The shared helpers and the choice of message catalogue.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "utility/mx_app.h"
#include "utility/mx_utility.h"

namespace {

TEST(Utility, BoundedCopy) {
  char buffer[16];
  struct Case {
    int size;
    const char* expected;
  };
  for (const Case& c : {Case{4, "abc"}, Case{7, "abcdef"}, Case{16, "abcdef"}, Case{1, ""}}) {
    std::memset(buffer, 'x', sizeof buffer);
    mx_utility::strcpy(buffer, c.size, "abcdef");
    EXPECT_STREQ(buffer, c.expected) << c.size;
  }
  std::memset(buffer, 'x', sizeof buffer);
  mx_utility::strcpy(buffer, 0, "abcdef");
  mx_utility::strcpy(buffer, -5, "abcdef");
  EXPECT_EQ(buffer[0], 'x');
  mx_utility::strcpy(nullptr, 8, "abcdef");
}

TEST(Utility, RoundingHalvesAwayFromZeroOnTheBinaryValue) {
  struct Case {
    double value, expected;
  };
  for (const Case& c : {Case{1.005, 1.0}, Case{-1.005, -1.0}, Case{0.125, 0.13}, Case{-0.125, -0.13},
                        Case{0.285, 0.28}, Case{-6.0205999, -6.02}}) {
    EXPECT_EQ(mx_utility::round(c.value, 2), c.expected) << c.value;
  }
}

TEST(Utility, LevelConversions) {
  EXPECT_EQ(mx_utility::to_reaper_volume(0), 1.0);
  EXPECT_EQ(mx_utility::to_dB(1.0), 0.0);
  EXPECT_NEAR(mx_utility::to_reaper_volume(-6), 0.5011872, 1e-7);
  EXPECT_NEAR(mx_utility::to_dB(mx_utility::to_reaper_volume(6)), 5.99999997, 1e-8);
  EXPECT_TRUE(std::isinf(mx_utility::to_dB(0)) && mx_utility::to_dB(0) < 0);
  EXPECT_TRUE(std::isnan(mx_utility::to_dB(-1)));
}

TEST(Utility, CaseInsensitiveEquality) {
  EXPECT_TRUE(mx_utility::Stricmp("Kick", "kICK"));
  EXPECT_FALSE(mx_utility::Stricmp("Kick", "Kick2"));
  EXPECT_TRUE(mx_utility::Stricmp(nullptr, ""));
}

TEST(Utility, SplitExtensionAtTheLastDot) {
  using P = std::pair<std::string, std::string>;
  struct Case {
    const char* name;
    P expected;
  };
  for (const Case& c : {Case{"take.01.wav", {"take.01", "wav"}}, Case{"readme", {"readme", ""}},
                        Case{".hidden", {"", "hidden"}}, Case{"name.", {"name", ""}}, Case{"a.b.c", {"a.b", "c"}},
                        Case{"line\nbreak.wav", {"line\nbreak.wav", ""}},
                        Case{"cr\rbreak.wav", {"cr\rbreak.wav", ""}}, Case{"break\n.wav", {"break\n.wav", ""}}}) {
    EXPECT_EQ(mx_utility::split_extension(c.name), c.expected) << c.name;
  }
}

TEST(Utility, SplitExtensionOfAVeryLongNameEndsCleanly) {
  const std::string stem(200000, 'a');
  EXPECT_EQ(mx_utility::split_extension(stem + ".wav"), (std::pair<std::string, std::string>{stem, "wav"}));
  EXPECT_EQ(mx_utility::split_extension(stem).first, stem);
}

TEST(Utility, FormatMeasuresExactly) {
  EXPECT_EQ(mx_utility::format("%s-%d", "take", 12), "take-12");
  EXPECT_EQ(mx_utility::format("%s", std::string(5000, 'z').c_str()).size(), 5000u);
}

TEST(Utility, ShellCommandsReportOnlyWhetherTheyStarted) {
  EXPECT_EQ(mx_utility::exec_command("true"), 0);
  EXPECT_EQ(mx_utility::exec_command("exit 3"), 0);
}

// The locale comes from the system's `defaults` command, or, where that is absent or
// silent, from the locale variables. A stub `defaults` first on PATH stands in for it.
class Locale : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("mx-locale-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    saved_path_ = mx_utility::get_env("PATH");
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"}) saved_[v] = mx_utility::get_env(v), unsetenv(v);
  }
  void TearDown() override {
    setenv("PATH", saved_path_.c_str(), 1);
    for (const auto& [k, v] : saved_) v.empty() ? unsetenv(k.c_str()) : setenv(k.c_str(), v.c_str(), 1);
    std::filesystem::remove_all(dir_);
  }
  // A `defaults` that prints `word` (or nothing) and only the stub folder and /bin on PATH.
  void defaults_prints(const char* word) {
    const auto stub = dir_ / "defaults";
    std::ofstream(stub) << "#!/bin/sh\n" << (word ? std::string("echo '") + word + "'\n" : std::string());
    std::filesystem::permissions(stub, std::filesystem::perms::owner_all);
    setenv("PATH", (dir_.string() + ":/bin:/usr/bin").c_str(), 1);
  }
  void no_defaults() { setenv("PATH", "/bin:/usr/bin", 1); }

  std::filesystem::path dir_;
  std::string saved_path_;
  std::map<std::string, std::string> saved_;
};

TEST_F(Locale, OnlyTheExactJapaneseLocaleWordChoosesJapanese) {
  struct Case {
    const char* word;
    bool japanese;
  };
  for (const Case& c : {Case{"ja_JP", true}, Case{"ja", false}, Case{"en_US", false}, Case{"ja_JPX", false},
                        Case{"ja_JP_but_far_too_long_for_the_buffer", false}}) {
    defaults_prints(c.word);
    EXPECT_EQ(mx_utility::get_lang() == 0, c.japanese) << c.word;
    mx_app::choose_catalogue();
    EXPECT_EQ(dynamic_cast<mx_app::message_jp*>(mx_app::message_list.get()) != nullptr, c.japanese) << c.word;
    EXPECT_STREQ(mx_app::message_list->ERROR_TITLE(), "MIXVALE_COBALT");
  }
}

TEST_F(Locale, WithoutAnAnswerTheLocaleVariablesDecide) {
  struct Case {
    const char* variable;
    const char* value;
    bool japanese;
  };
  for (bool silent_command : {false, true}) {
    for (const Case& c : {Case{"LANG", "ja_JP.UTF-8", true}, Case{"LANG", "en_US.UTF-8", false},
                          Case{"LC_ALL", "ja_JP@euro", true}, Case{"LC_MESSAGES", "ja", false},
                          Case{"LANG", "", false}}) {
      silent_command ? defaults_prints(nullptr) : no_defaults();
      setenv(c.variable, c.value, 1);
      EXPECT_EQ(mx_utility::get_lang() == 0, c.japanese) << c.variable << "=" << c.value;
      unsetenv(c.variable);
    }
  }
  // LC_ALL outranks LANG.
  no_defaults();
  setenv("LANG", "ja_JP.UTF-8", 1);
  setenv("LC_ALL", "en_GB.UTF-8", 1);
  EXPECT_NE(mx_utility::get_lang(), 0);
}

TEST(Catalogue, TextsOfBothLanguages) {
  mx_app::message_en en;
  mx_app::message_jp jp;
  EXPECT_STREQ(en.ERROR_TITLE(), "MIXVALE_COBALT");
  EXPECT_STREQ(jp.ERROR_TITLE(), "MIXVALE_COBALT");
  EXPECT_EQ(mx_utility::format(en.MSG_DEPENDENCY_ERROR(), "MX_X", "EXT", "URL"),
            "To use MX_X, you need to install EXT.\nPlease refer to the URL below for details.\n\nURL\n\n"
            "Would you like to open the URL?");
  EXPECT_EQ(std::string(jp.MSG_DEPENDENCY_ERROR()).rfind("%sを使用するためには", 0), 0u);
  EXPECT_EQ(std::string(en.URL_SWS()).rfind("https://", 0), 0u);
}

}  // namespace
