// The names the stamp types give a folder at a known local time.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "api/path.h"

namespace {

std::tm at(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(FolderStamp, EachTypeAtAKnownMoment) {
  const std::tm march = at(2024, 3, 5, 9, 7, 2), new_year_eve = at(2024, 12, 31, 23, 59, 59);
  const struct {
    const std::tm& when;
    const char* name;
    int type;
    const char* made;
  } cases[] = {
      {march, "Rec", 1, "Rec_0305_0907"},
      {march, "Rec", 2, "Rec_0305_090702"},
      {march, "Rec", 3, "Rec_20240305_090702"},
      {new_year_eve, "Take", 3, "Take_20241231_235959"},
      {new_year_eve, "Take", 1, "Take_1231_2359"},
      {march, "", 1, "_0305_0907"},
      {march, "Rec", 0, "Rec"},
      {march, "Rec", 4, "Rec"},
      {march, "Rec", -1, "Rec"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.type) + " " + c.made);
    EXPECT_EQ(mx_api::path::stamped_name(c.name, c.type, c.when), c.made);
  }
}

}  // namespace
