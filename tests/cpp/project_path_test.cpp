// The record path and stamped folders through the host: what is stored and reported,
// the joining of paths, the stamps, and folders made with their parents.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "harness.h"
#include "not_projects.h"

namespace fs = std::filesystem;

namespace {

using mxtest::HostTest;

class ProjectPathTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    dir = scratch_folder("project-path-test");
  }

  std::string record_path() { return project()->record_path; }
  void set_record_path(const std::string& path) { project()->record_path = path; }

  struct Out {
    explicit Out(int size = 4096) : buffer(static_cast<size_t>(size) + 1, '#'), size(size) {}
    std::vector<char> buffer;
    int size;
    char* data() { return buffer.data(); }
    std::string text() const { return std::string(buffer.data(), strnlen(buffer.data(), buffer.size())); }
  };

  std::string dir;
};

// The folder name a stamp type gives at one moment, field by field.
std::string stamped(const std::string& name, int type, std::time_t at) {
  std::tm t{};
  localtime_r(&at, &t);
  char s[64];
  switch (type) {
    case 1: std::snprintf(s, sizeof s, "_%02d%02d_%02d%02d", t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min); break;
    case 2:
      std::snprintf(s, sizeof s, "_%02d%02d_%02d%02d%02d", t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
      break;
    case 3:
      std::snprintf(s, sizeof s, "_%d%02d%02d_%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                    t.tm_min, t.tm_sec);
      break;
    default: return name;
  }
  return name + s;
}

TEST_F(ProjectPathTest, RecPathStoresThePathAndReportsTheOldOne) {
  set_record_path("/Rec");
  Out before;
  EXPECT_EQ(call("SetProjectInfoRecPath", project(), "/Other", before.data(), before.size), 1);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(before.text(), "/Rec");
  EXPECT_EQ(record_path(), "/Other");

  Out short_before(4);
  const std::string long_path = "/" + std::string(1999, 'p');
  EXPECT_EQ(call("SetProjectInfoRecPath", project(), long_path.c_str(), short_before.data(), short_before.size), 1);
  EXPECT_EQ(short_before.text(), "/Ot");
  EXPECT_EQ(record_path(), long_path.substr(0, 1023));

  // Another project is addressed by its pointer.
  ReaProject* other = session().new_project();
  EXPECT_EQ(call("SetProjectInfoRecPath", other, "media", before.data(), before.size), 1);
  EXPECT_EQ(other->record_path, "media");
  EXPECT_EQ(record_path(), long_path.substr(0, 1023));
}

TEST_F(ProjectPathTest, RecAddPathJoinsAndStoresWhatItReports) {
  const struct {
    const char *record, *part;
    int after_size;
    const char *after, *stored;
  } cases[] = {
      {"/Rec", "sub", 4096, "/Rec/sub", "/Rec/sub"},
      {"/Rec/", "sub", 4096, "/Rec/sub", "/Rec/sub"},
      {"/Rec", "/abs", 4096, "/abs", "/abs"},
      {"", "sub", 4096, "sub", "sub"},
      {"/Rec", "", 4096, "/Rec/", "/Rec/"},
      {"/Rec", "sub", 5, "/Rec", "/Rec"},  // a short buffer shortens the stored path too
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.record) + " + " + c.part);
    set_record_path(c.record);
    Out before, after(c.after_size);
    EXPECT_EQ(call("SetProjectInfoRecAddPath", project(), c.part, before.data(), before.size, after.data(),
                   after.size),
              1);
    EXPECT_EQ(error_code(), 0);
    EXPECT_EQ(before.text(), c.record);
    EXPECT_EQ(after.text(), c.after);
    EXPECT_EQ(record_path(), c.stored);
  }
}

TEST_F(ProjectPathTest, RefusedRecordPathIsReported) {
  set_record_path("/Rec");
  session().refuse(project(), "RECORD_PATH");
  Out before, after;
  EXPECT_EQ(call("SetProjectInfoRecPath", project(), "/Other", before.data(), before.size), 0);
  EXPECT_EQ(error_code(), 14);  // ERR_SET_FAILED
  EXPECT_EQ(call("SetProjectInfoRecAddPath", project(), "sub", before.data(), before.size, after.data(), after.size),
            0);
  EXPECT_EQ(error_code(), 14);
  EXPECT_EQ(before.text(), "/Rec");
  EXPECT_EQ(record_path(), "/Rec");
}

// Every stamp type, under a base whose parents do not exist yet. The clock is read
// before and after the call, so a call across a second or minute boundary may carry
// either stamp.
TEST_F(ProjectPathTest, SetPathFolderMakesStampedFoldersWithTheirParents) {
  for (int type : {0, 1, 2, 3, -1, 4}) {
    SCOPED_TRACE(type);
    const std::string base = dir + "/t" + std::to_string(type + 1) + "/a/b";
    Out full;
    const std::time_t t0 = std::time(nullptr);
    EXPECT_EQ(call("SetPathFolder", base.c_str(), "Take", type, full.data(), full.size), 1);
    const std::time_t t1 = std::time(nullptr);
    EXPECT_EQ(error_code(), 0);
    const std::string early = base + "/" + stamped("Take", type, t0), late = base + "/" + stamped("Take", type, t1);
    EXPECT_TRUE(full.text() == early || full.text() == late) << full.text();
    EXPECT_TRUE(fs::is_directory(full.text()));
  }
}

TEST_F(ProjectPathTest, SetPathFolderJoinsLikeAPath) {
  const struct {
    std::string base, name, full;
  } cases[] = {
      {dir + "/j1", "Take", dir + "/j1/Take"},
      {dir + "/j2/", "Take", dir + "/j2/Take"},
      {dir + "/ignored", dir + "/abs/x", dir + "/abs/x"},
      {dir + "/j3", "", dir + "/j3/"},
      {dir + "/j4", "nested/deeper", dir + "/j4/nested/deeper"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.base + " + " + c.name);
    Out full;
    EXPECT_EQ(call("SetPathFolder", c.base.c_str(), c.name.c_str(), 0, full.data(), full.size), 1);
    EXPECT_EQ(full.text(), c.full);
    EXPECT_TRUE(fs::is_directory(c.full));
    // A folder that exists already is no error.
    EXPECT_EQ(call("SetPathFolder", c.base.c_str(), c.name.c_str(), 0, full.data(), full.size), 1);
    EXPECT_EQ(error_code(), 0);
  }
  EXPECT_FALSE(fs::exists(dir + "/ignored"));
}

TEST_F(ProjectPathTest, FolderThatCannotBeMadeLeavesTheOutputs) {
  std::ofstream(dir + "/file") << "in the way";
  for (const std::string& base : {dir + "/file", dir + "/file/below"}) {
    SCOPED_TRACE(base);
    Out full;
    EXPECT_EQ(call("SetPathFolder", base.c_str(), "Take", 0, full.data(), full.size), 0);
    EXPECT_EQ(error_code(), 1);  // ERR_UNKNOWN
    EXPECT_EQ(full.buffer[0], '#');
  }
  Out full, added;
  set_record_path(dir + "/file");
  EXPECT_EQ(call("SetProjectPathFolder", "Take", 0, full.data(), full.size, added.data(), added.size), 0);
  EXPECT_EQ(error_code(), 1);
  EXPECT_EQ(full.buffer[0], '#');
  EXPECT_EQ(added.buffer[0], '#');
}

TEST_F(ProjectPathTest, ProjectAndResourceFoldersUseTheHostsPaths) {
  char project_path[1024] = {0};
  reinterpret_cast<void (*)(char*, int)>(host().get_func("GetProjectPath"))(project_path, sizeof project_path);
  ASSERT_TRUE(fs::is_directory(project_path));
  ASSERT_EQ(std::string(project_path).rfind(host().home(), 0), 0u) << project_path;

  Out full, added;
  EXPECT_EQ(call("SetProjectPathFolder", "Take", 0, full.data(), full.size, added.data(), added.size), 1);
  EXPECT_EQ(full.text(), std::string(project_path) + "/Take");
  EXPECT_EQ(added.text(), "Take");
  EXPECT_TRUE(fs::is_directory(full.text()));

  // A relative record path puts the project's media, and the folder, below it.
  set_record_path("media");
  EXPECT_EQ(call("SetProjectPathFolder", "Take", 0, full.data(), full.size, added.data(), added.size), 1);
  EXPECT_EQ(full.text(), std::string(project_path) + "/media/Take");

  const std::time_t t0 = std::time(nullptr);
  EXPECT_EQ(call("SetResoucePathFolder", "Backup", 3, full.data(), full.size, added.data(), added.size), 1);
  const std::time_t t1 = std::time(nullptr);
  EXPECT_TRUE(added.text() == stamped("Backup", 3, t0) || added.text() == stamped("Backup", 3, t1)) << added.text();
  EXPECT_EQ(full.text(), host().resource_path() + "/" + added.text());
  EXPECT_TRUE(fs::is_directory(full.text()));
  fs::remove_all(full.text());

  // Outputs are cut to their buffers.
  Out short_full(5), short_added(3);
  EXPECT_EQ(call("SetProjectPathFolder", "Take", 0, short_full.data(), short_full.size, short_added.data(),
                 short_added.size),
            1);
  EXPECT_EQ(short_full.text(), std::string(project_path).substr(0, 4));
  EXPECT_EQ(short_added.text(), "Ta");
}

// A pointer that is not a live project never reaches the host's project functions: the
// code, no output written, and the record path as it was.
TEST_F(ProjectPathTest, PointersThatAreNotProjectsGiveTheCodeAndChangeNothing) {
  constexpr int ERR_INVALID_ARGUMENT = 23;
  set_record_path("/Rec");
  for (const mxtest::NotAProject& bad : mxtest::not_projects(*this)) {
    SCOPED_TRACE(bad.what);
    Out before, after;
    EXPECT_EQ(call("SetProjectInfoRecPath", bad.pointer, "/Other", before.data(), before.size), 0);
    EXPECT_EQ(error_code(), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(call("SetProjectInfoRecAddPath", bad.pointer, "sub", before.data(), before.size, after.data(),
                   after.size),
              0);
    EXPECT_EQ(error_code(), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(before.buffer[0], '#');
    EXPECT_EQ(after.buffer[0], '#');
  }
  EXPECT_EQ(record_path(), "/Rec");
  // Null still means the active project.
  Out before;
  EXPECT_EQ(call("SetProjectInfoRecPath", nullptr, "/Other", before.data(), before.size), 1);
  EXPECT_EQ(before.text(), "/Rec");
  EXPECT_EQ(record_path(), "/Other");
}

}  // namespace
