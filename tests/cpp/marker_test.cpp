// Regions and markers through the host: enumeration-index addressing, read-modify-write
// setters, the custom-colour flag, adding regions and deleting them all.
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "harness.h"
#include "not_projects.h"

namespace {

using mxtest::HostTest;

constexpr int CUSTOM = 0x1000000;

struct Fields {
  bool is_region;
  double pos, end;
  std::string name;
  int number, color;
  bool operator==(const Fields& o) const {
    return is_region == o.is_region && pos == o.pos && end == o.end && name == o.name && number == o.number &&
           color == o.color;
  }
};

std::ostream& operator<<(std::ostream& os, const Fields& f) {
  return os << (f.is_region ? "region " : "marker ") << f.number << " [" << f.pos << ", " << f.end << "] \""
            << f.name.substr(0, 40) << "\" (" << f.name.size() << " bytes) colour " << std::hex << f.color << std::dec;
}

class MarkerTest : public HostTest {
 protected:
  // Markers and regions made through the host's own functions.
  int add(bool region, double pos, double end, const std::string& name, int color = 0, int wanted = -1) {
    return host_fn<int (*)(ReaProject*, bool, double, double, const char*, int, int)>("AddProjectMarker2")(
        nullptr, region, pos, end, name.c_str(), wanted, color);
  }
  Fields at(int idx) {
    Fields f{};
    const char* name = nullptr;
    host_fn<int (*)(ReaProject*, int, bool*, double*, double*, const char**, int*, int*)>("EnumProjectMarkers3")(
        nullptr, idx, &f.is_region, &f.pos, &f.end, &name, &f.number, &f.color);
    f.name = name ? name : "";
    return f;
  }
  int count() { return static_cast<int>(project()->markers.size()); }
  template <class F>
  F host_fn(const char* name) {
    return reinterpret_cast<F>(host().get_func(name));
  }
  std::string name_of(int idx, int size = 4096) {
    std::vector<char> buffer(static_cast<size_t>(size), '#');
    call("GetRegionMarkerName", project(), idx, buffer.data(), size);
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
  }
};

// One project: a marker at 1 s, the region "Intro" from 2 to 4 s, a marker at 5 s.
// The enumeration runs over both kinds in position order whatever order they were made.
TEST_F(MarkerTest, GettersReadTheFieldsAtAnEnumerationIndex) {
  add(false, 5.0, 0, "Late", 0x1000055);
  add(true, 2.0, 4.0, "Intro", 0x10000FF);
  add(false, 1.0, 0, "Early");

  const struct {
    int number;
    double start, end;
    const char* name;
    int color;
  } expected[] = {{2, 1.0, 0.0, "Early", 0}, {1, 2.0, 4.0, "Intro", 0x10000FF}, {1, 5.0, 0.0, "Late", 0x1000055}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(call("GetRegionMarkerIndex", project(), i), expected[i].number);
    double start = -1, end = -1;
    EXPECT_EQ(call("GetRegionMarkerPosition", project(), i, &start, &end), 1);
    EXPECT_EQ(start, expected[i].start);
    EXPECT_EQ(end, expected[i].end);
    EXPECT_EQ(name_of(i), expected[i].name);
    EXPECT_EQ(call("GetRegionMarkerColor", project(), i), expected[i].color);
    EXPECT_EQ(error_code(), 0);
  }
}

TEST_F(MarkerTest, GettersPastTheEndSucceedAndLeaveTheirOutputs) {
  add(true, 2.0, 4.0, "Intro", 0x10000FF, 5);
  for (int idx : {1, -1}) {
    SCOPED_TRACE(idx);
    EXPECT_EQ(call("GetRegionMarkerIndex", project(), idx), 0);
    EXPECT_EQ(call("GetRegionMarkerColor", project(), idx), 0);
    EXPECT_EQ(name_of(idx), "");
    int number = -7, color = -7;
    double start = -7, end = -7;
    EXPECT_TRUE(api<bool (*)(ReaProject*, int, int*)>("MX_GetRegionMarkerIndex")(project(), idx, &number));
    EXPECT_TRUE(api<bool (*)(ReaProject*, int, int*)>("MX_GetRegionMarkerColor")(project(), idx, &color));
    EXPECT_TRUE(api<bool (*)(ReaProject*, int, double*, double*)>("MX_GetRegionMarkerPosition")(project(), idx,
                                                                                                   &start, &end));
    EXPECT_EQ(number, -7);
    EXPECT_EQ(color, -7);
    EXPECT_EQ(start, -7);
    EXPECT_EQ(end, -7);
    EXPECT_EQ(error_code(), 0);
  }
}

TEST_F(MarkerTest, NameIsCutToTheBuffer) {
  add(true, 0, 1, "Dialogue");
  EXPECT_EQ(name_of(0, 1), "");
  EXPECT_EQ(name_of(0, 4), "Dia");
  EXPECT_EQ(name_of(0, 9), "Dialogue");
  EXPECT_EQ(call("GetRegionMarkerName", project(), 0, static_cast<char*>(nullptr), 16), 1);
}

// Each setter replaces its own field and writes every other one back as it was; every
// colour it writes carries the custom flag.
TEST_F(MarkerTest, SettersChangeOneFieldOnly) {
  struct Case {
    const char* what;
    void (*set)(MarkerTest&);
    Fields region, marker;
  } cases[] = {
      {"position",
       [](MarkerTest& t) {
         double start = 7.5, end = 9.0;
         t.call("SetRegionMarkerPosition", t.project(), 1, &start, &end);
       },
       {true, 7.5, 9.0, "Intro", 1, 0x10000FF}, {false, 1.0, 0, "Cue", 3, 0x1000055}},
      {"colour", [](MarkerTest& t) { t.call("SetRegionMarkerColor", t.project(), 1, 0x123456); },
       {true, 2.0, 4.0, "Intro", 1, 0x1123456}, {false, 1.0, 0, "Cue", 3, 0x1000055}},
      {"colour 0", [](MarkerTest& t) { t.call("SetRegionMarkerColor", t.project(), 1, 0); },
       {true, 2.0, 4.0, "Intro", 1, CUSTOM}, {false, 1.0, 0, "Cue", 3, 0x1000055}},
      {"name", [](MarkerTest& t) { t.call("SetRegionMarkerName", t.project(), 1, "Outro"); },
       {true, 2.0, 4.0, "Outro", 1, 0x10000FF}, {false, 1.0, 0, "Cue", 3, 0x1000055}},
      {"marker position",
       [](MarkerTest& t) {
         double start = 1.5, end = 0;
         t.call("SetRegionMarkerPosition", t.project(), 0, &start, &end);
       },
       {true, 2.0, 4.0, "Intro", 1, 0x10000FF}, {false, 1.5, 0, "Cue", 3, 0x1000055}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host().reset_session();
    add(true, 2.0, 4.0, "Intro", 0x10000FF);
    add(false, 1.0, 0, "Cue", 0x1000055, 3);
    c.set(*this);
    EXPECT_EQ(error_code(), 0);
    ASSERT_EQ(count(), 2);
    // The region may have moved behind the marker; find each by kind.
    const Fields a = at(0), b = at(1);
    EXPECT_EQ(a.is_region ? a : b, c.region);
    EXPECT_EQ(a.is_region ? b : a, c.marker);
  }
}

TEST_F(MarkerTest, LongNamesAreKeptTo1023BytesByPositionAndColourChanges) {
  const std::string long_name(1500, 'n');
  add(true, 0, 1, long_name);
  call("SetRegionMarkerName", project(), 0, long_name.c_str());
  EXPECT_EQ(at(0).name.size(), 1500u);
  double start = 2, end = 3;
  call("SetRegionMarkerPosition", project(), 0, &start, &end);
  EXPECT_EQ(at(0).name, long_name.substr(0, 1023));

  call("SetRegionMarkerName", project(), 0, long_name.c_str());
  call("SetRegionMarkerColor", project(), 0, 0x00FF00);
  EXPECT_EQ(at(0).name, long_name.substr(0, 1023));
  EXPECT_EQ(at(0).color, 0x100FF00);
}

// Past the end the host's enumeration gives nothing; nothing may be written then.
TEST_F(MarkerTest, SettersPastTheEndChangeNothing) {
  add(true, 2.0, 4.0, "Intro", 0x10000FF);
  add(false, 1.0, 0, "Cue");
  const Fields first = at(0), second = at(1);
  double start = 9, end = 10;
  for (int idx : {2, 100, -1}) {
    SCOPED_TRACE(idx);
    EXPECT_EQ(call("SetRegionMarkerPosition", project(), idx, &start, &end), 1);
    EXPECT_EQ(call("SetRegionMarkerColor", project(), idx, 0x333333), 1);
    EXPECT_EQ(call("SetRegionMarkerName", project(), idx, "X"), 1);
    EXPECT_EQ(error_code(), 0);
  }
  ASSERT_EQ(count(), 2);
  EXPECT_EQ(at(0), first);
  EXPECT_EQ(at(1), second);
}

TEST_F(MarkerTest, RefusedWriteIsReported) {
  add(true, 2.0, 4.0, "Intro");
  session().refuse(project()->markers[0].get(), "SetProjectMarker3");
  EXPECT_EQ(call("SetRegionMarkerName", project(), 0, "Outro"), 0);
  EXPECT_EQ(error_code(), 14);  // ERR_SET_FAILED
  EXPECT_EQ(at(0).name, "Intro");
}

TEST_F(MarkerTest, AddRegionMarkerAddsRegionsWithCustomColours) {
  double start = 1.0, end = 2.5;
  EXPECT_EQ(call("AddRegionMarker", project(), &start, &end, "Take", 4, 0), 4);
  EXPECT_EQ(at(0), (Fields{true, 1.0, 2.5, "Take", 4, CUSTOM}));
  // The wanted number is taken: the host gives the next free one.
  EXPECT_EQ(call("AddRegionMarker", project(), &start, &end, "Again", 4, 0x0000FF), 5);
  EXPECT_EQ(at(1).color, 0x10000FF);
  EXPECT_TRUE(at(1).is_region);
  // A marker's number does not take a region's.
  add(false, 0.5, 0, "Marker", 0, 6);
  EXPECT_EQ(call("AddRegionMarker", project(), &start, &end, nullptr, 6, 0), 6);
  EXPECT_EQ(error_code(), 0);

  int number = 0;
  EXPECT_TRUE(api<bool (*)(ReaProject*, double, double, const char*, int, int, int*)>("MX_AddRegionMarker")(
      project(), 3.0, 4.0, "Direct", -1, 0, &number));
  EXPECT_EQ(number, 1);
}

TEST_F(MarkerTest, AddRegionMarkerRefusedByTheHost) {
  session().refuse(project(), "AddProjectMarker2");
  double start = 1.0, end = 2.0;
  EXPECT_EQ(call("AddRegionMarker", project(), &start, &end, "Take", 1, 0), -1);
  EXPECT_EQ(error_code(), 14);  // ERR_SET_FAILED
  EXPECT_EQ(count(), 0);
}

TEST_F(MarkerTest, DeleteAllRegionKeepsMarkers) {
  add(false, 0.0, 0, "m1");
  add(true, 1.0, 2.0, "r1");
  add(false, 3.0, 0, "m2");
  add(true, 4.0, 5.0, "r2");
  add(false, 6.0, 0, "m3");
  EXPECT_EQ(call("DeleteAllRegion", project()), 1);
  EXPECT_EQ(error_code(), 0);
  ASSERT_EQ(count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(at(i).name, "m" + std::to_string(i + 1));

  host().reset_session();
  EXPECT_EQ(call("DeleteAllRegion", project()), 1);
  EXPECT_EQ(error_code(), 0);
}

// The host refuses one region: every other region still goes, the markers stay.
TEST_F(MarkerTest, DeleteAllRegionReportsARefusedRegion) {
  add(true, 1.0, 2.0, "r1");
  add(false, 3.0, 0, "m1");
  add(true, 4.0, 5.0, "r2");
  add(true, 6.0, 7.0, "r3");
  session().refuse(project()->markers[2].get(), "DeleteProjectMarkerByIndex");
  EXPECT_EQ(call("DeleteAllRegion", project()), 0);
  EXPECT_EQ(error_code(), 24);  // ERR_NOT_ALL_REGIONS
  ASSERT_EQ(count(), 2);
  EXPECT_EQ(at(0).name, "m1");
  EXPECT_EQ(at(1).name, "r2");
}

TEST_F(MarkerTest, AnotherProjectIsAddressedByItsPointer) {
  ReaProject* other = session().new_project();
  double start = 1.0, end = 2.0;
  EXPECT_EQ(call("AddRegionMarker", other, &start, &end, "Other", 1, 0), 1);
  EXPECT_EQ(count(), 0);
  ASSERT_EQ(other->markers.size(), 1u);
  EXPECT_EQ(call("GetRegionMarkerColor", other, 0), CUSTOM);
  EXPECT_EQ(call("DeleteAllRegion", other), 1);
  EXPECT_TRUE(other->markers.empty());
}

// Every function refuses a pointer that is not a live project before the host sees it
// (the harness fails the test on any host call that names a wrong object), and the
// active project's markers stay as they were.
TEST_F(MarkerTest, PointersThatAreNotProjectsGiveTheCodeAndChangeNothing) {
  constexpr int ERR_INVALID_ARGUMENT = 23;
  add(true, 2.0, 4.0, "Intro", 0x10000FF, 1);
  add(false, 1.0, 0, "Cue", 0x1000055, 3);
  const Fields region = at(1), marker = at(0);
  const struct {
    const char* name;
    intptr_t (*call)(MarkerTest&, ReaProject*);
  } functions[] = {
      {"GetRegionMarkerIndex", [](MarkerTest& t, ReaProject* p) { return t.call("GetRegionMarkerIndex", p, 1); }},
      {"GetRegionMarkerColor", [](MarkerTest& t, ReaProject* p) { return t.call("GetRegionMarkerColor", p, 1); }},
      {"GetRegionMarkerPosition",
       [](MarkerTest& t, ReaProject* p) {
         double start = -7, end = -7;
         const intptr_t r = t.call("GetRegionMarkerPosition", p, 1, &start, &end);
         EXPECT_EQ(start, -7);
         EXPECT_EQ(end, -7);
         return r;
       }},
      {"GetRegionMarkerName",
       [](MarkerTest& t, ReaProject* p) {
         char name[16] = "untouched";
         const intptr_t r = t.call("GetRegionMarkerName", p, 1, name, 16);
         EXPECT_STREQ(name, "untouched");
         return r;
       }},
      {"SetRegionMarkerPosition",
       [](MarkerTest& t, ReaProject* p) {
         double start = 8, end = 9;
         return t.call("SetRegionMarkerPosition", p, 1, &start, &end);
       }},
      {"SetRegionMarkerColor", [](MarkerTest& t, ReaProject* p) { return t.call("SetRegionMarkerColor", p, 1, 0x42); }},
      {"SetRegionMarkerName", [](MarkerTest& t, ReaProject* p) { return t.call("SetRegionMarkerName", p, 1, "X"); }},
      {"AddRegionMarker",
       [](MarkerTest& t, ReaProject* p) {
         double start = 5, end = 6;
         return t.call("AddRegionMarker", p, &start, &end, "New", 2, 0);
       }},
      {"DeleteAllRegion", [](MarkerTest& t, ReaProject* p) { return t.call("DeleteAllRegion", p); }},
  };
  for (const mxtest::NotAProject& bad : mxtest::not_projects(*this)) {
    for (const auto& f : functions) {
      SCOPED_TRACE(std::string(f.name) + " with " + bad.what);
      EXPECT_EQ(f.call(*this, bad.pointer), 0);
      EXPECT_EQ(error_code(), ERR_INVALID_ARGUMENT);
    }
  }
  ASSERT_EQ(count(), 2);
  EXPECT_EQ(at(0), marker);
  EXPECT_EQ(at(1), region);

  // The direct entries answer false; null still means the active project.
  int number = -7;
  auto index = api<bool (*)(ReaProject*, int, int*)>("MX_GetRegionMarkerIndex");
  EXPECT_FALSE(index(reinterpret_cast<ReaProject*>(project()->tracks[0]), 1, &number));
  EXPECT_EQ(number, -7);
  EXPECT_TRUE(index(nullptr, 1, &number));
  EXPECT_EQ(number, region.number);
  EXPECT_EQ(error_code(), 0);
}

}  // namespace
