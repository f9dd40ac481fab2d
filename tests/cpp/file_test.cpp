// Writing, reading and copying files through the host, in a folder of the sandbox home.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

namespace fs = std::filesystem;

namespace {

using mxtest::HostTest;

constexpr int ERR_UNKNOWN = 1, ERR_FILE_OPEN = 22, ERR_INVALID_ARGUMENT = 23;

class FileTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    dir = scratch_folder("file-test");
  }

  static std::string content(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void make(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }
  intptr_t write(const std::string& folder, const std::string& name, const std::string& text, int mode) {
    return call("WriteFile", folder.c_str(), name.c_str(), text.c_str(), mode);
  }
  // ReadFile into a buffer of `size` bytes; "#" marks bytes it did not write.
  std::string read(const std::string& name, int size = 4096) {
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '#');
    buffer.back() = '\0';
    read_ok = call("ReadFile", dir.c_str(), name.c_str(), buffer.data(), size) == 1;
    return buffer.data();
  }

  std::string dir;
  bool read_ok = false;
};

TEST_F(FileTest, WriteModesOverwriteAppendAndMakeTheFolder) {
  make(dir + "/long.txt", "a much longer text than the new one");
  EXPECT_EQ(write(dir, "long.txt", "short", 0), 1);
  EXPECT_EQ(content(dir + "/long.txt"), "short");

  EXPECT_EQ(write(dir, "log.txt", "a", 2), 1);
  EXPECT_EQ(write(dir, "log.txt", "b", 2), 1);
  EXPECT_EQ(content(dir + "/log.txt"), "ab");

  // The folder and its missing parents are made first.
  EXPECT_EQ(write(dir + "/new/deeper", "note.txt", "line\n", 0), 1);
  EXPECT_EQ(content(dir + "/new/deeper/note.txt"), "line\n");
  // A file name that starts at the root replaces the folder, which is made all the same.
  EXPECT_EQ(write(dir + "/unused", dir + "/abs.txt", "abs", 0), 1);
  EXPECT_EQ(content(dir + "/abs.txt"), "abs");
  EXPECT_TRUE(fs::is_empty(dir + "/unused"));
  EXPECT_EQ(error_code(), 0);
}

// Mode 1 numbers the last component of the name until it finds one that is free.
TEST_F(FileTest, WriteMode1NumbersTakenNames) {
  const struct {
    std::vector<std::string> existing;
    std::string name, written;
  } cases[] = {
      {{}, "take.txt", "take.txt"},
      {{"take.txt", "take(1).txt"}, "take.txt", "take(2).txt"},
      {{"notes"}, "notes", "notes(1)."},
      {{"archive.tar.gz"}, "archive.tar.gz", "archive.tar(1).gz"},
      {{"sub/take.txt"}, "sub/take.txt", "sub/take(1).txt"},
      {{"folder.txt/"}, "folder.txt", "folder(1).txt"},  // a folder takes the name too
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir);
    for (const std::string& e : c.existing) {
      if (e.back() == '/') fs::create_directories(dir + "/" + e);
      else make(dir + "/" + e, "old");
    }
    EXPECT_EQ(write(dir, c.name, "new", 1), 1);
    EXPECT_EQ(error_code(), 0);
    EXPECT_EQ(content(dir + "/" + c.written), "new");
    for (const std::string& e : c.existing) {
      if (e.back() != '/') {
        EXPECT_EQ(content(dir + "/" + e), "old") << e;
      }
    }
  }
}

TEST_F(FileTest, WriteFailuresAreCleanErrors) {
  // An unknown mode still makes the folder, and writes nothing.
  EXPECT_EQ(write(dir + "/made", "x.txt", "text", 7), 0);
  EXPECT_EQ(error_code(), ERR_INVALID_ARGUMENT);
  EXPECT_TRUE(fs::is_directory(dir + "/made"));
  EXPECT_TRUE(fs::is_empty(dir + "/made"));
  EXPECT_EQ(write(dir, "x.txt", "text", -1), 0);
  EXPECT_EQ(error_code(), ERR_INVALID_ARGUMENT);

  // Folders named inside the file name are not made.
  EXPECT_EQ(write(dir, "missing/x.txt", "text", 0), 0);
  EXPECT_EQ(error_code(), ERR_FILE_OPEN);
  EXPECT_EQ(write(dir, "", "text", 0), 0);
  EXPECT_EQ(error_code(), ERR_FILE_OPEN);
  // A file where the folder should be.
  make(dir + "/plain", "x");
  EXPECT_EQ(write(dir + "/plain/below", "x.txt", "text", 0), 0);
  EXPECT_EQ(error_code(), ERR_UNKNOWN);
  // Opened, but the text cannot be stored.
  if (fs::exists("/dev/full")) {
    EXPECT_EQ(write("/dev", "full", "text", 0), 0);
    EXPECT_EQ(error_code(), ERR_UNKNOWN);
  }
  // A null text writes an empty file.
  EXPECT_EQ(call("WriteFile", dir.c_str(), "empty.txt", nullptr, 0), 1);
  EXPECT_EQ(content(dir + "/empty.txt"), "");
}

TEST_F(FileTest, ReadEndsEveryLineAndCutsToTheBuffer) {
  const struct {
    std::string stored;
    int size;
    std::string read;
  } cases[] = {
      {"x", 4096, "x\n"},
      {"", 4096, ""},
      {"abc\n", 3, "ab"},
      {"abc\n", 4, "abc"},
      {"abc", 5, "abc\n"},
      {"one\r\ntwo", 4096, "one\r\ntwo\n"},
      {"a\n\n", 4096, "a\n\n"},
      {"abc", 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored + " in " + std::to_string(c.size));
    make(dir + "/in.txt", c.stored);
    EXPECT_EQ(read("in.txt", c.size), c.read);
    EXPECT_TRUE(read_ok);
    EXPECT_EQ(error_code(), 0);
  }
  // A text longer than a whole read chunk.
  const std::string big(200000, 'b');
  make(dir + "/big.txt", big);
  EXPECT_EQ(read("big.txt", 300000), big + "\n");
  EXPECT_EQ(read("big.txt", 100001), big.substr(0, 100000));
}

TEST_F(FileTest, ReadFailuresLeaveTheBuffer) {
  fs::create_directories(dir + "/folder");
  for (const char* name : {"missing.txt", "folder", "", "missing/x.txt"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(read(name, 8), "########");
    EXPECT_FALSE(read_ok);
    EXPECT_EQ(error_code(), ERR_FILE_OPEN);
  }
}

TEST_F(FileTest, CopyFilesAndFolders) {
  make(dir + "/a.txt", "A");
  make(dir + "/b.txt", "old");
  EXPECT_EQ(call("SetCopyFile", (dir + "/a.txt").c_str(), (dir + "/b.txt").c_str()), 1);
  EXPECT_EQ(content(dir + "/b.txt"), "A");

  // Onto an existing folder: the file lands inside it under its own name.
  fs::create_directories(dir + "/box");
  EXPECT_EQ(call("SetCopyFile", (dir + "/a.txt").c_str(), (dir + "/box").c_str()), 1);
  EXPECT_EQ(content(dir + "/box/a.txt"), "A");

  // A folder with its whole contents; files already in the destination are overwritten.
  make(dir + "/src/one.txt", "1");
  make(dir + "/src/deep/two.txt", "2");
  make(dir + "/dst/one.txt", "old");
  EXPECT_EQ(call("SetCopyFile", (dir + "/src").c_str(), (dir + "/dst").c_str()), 1);
  EXPECT_EQ(content(dir + "/dst/one.txt"), "1");
  EXPECT_EQ(content(dir + "/dst/deep/two.txt"), "2");
  EXPECT_EQ(error_code(), 0);
}

TEST_F(FileTest, CopyFailuresAreCleanErrors) {
  EXPECT_EQ(call("SetCopyFile", (dir + "/missing").c_str(), (dir + "/to").c_str()), 0);
  EXPECT_EQ(error_code(), ERR_UNKNOWN);
  EXPECT_FALSE(fs::exists(dir + "/to"));

  // A folder into itself would copy its own copy again and again.
  make(dir + "/src/one.txt", "1");
  for (const std::string& to : {dir + "/src/inner", dir + "/src", dir + "/./src/../src/inner/deeper"}) {
    SCOPED_TRACE(to);
    EXPECT_EQ(call("SetCopyFile", (dir + "/src").c_str(), to.c_str()), 0);
    EXPECT_EQ(error_code(), ERR_INVALID_ARGUMENT);
  }
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir + "/src"), fs::recursive_directory_iterator()), 1);
  // A folder beside one whose name it begins with is no copy into itself.
  EXPECT_EQ(call("SetCopyFile", (dir + "/src").c_str(), (dir + "/src2").c_str()), 1);
  EXPECT_EQ(content(dir + "/src2/one.txt"), "1");

  EXPECT_EQ(call("SetCopyFile", nullptr, nullptr), 0);
  EXPECT_EQ(error_code(), ERR_UNKNOWN);
}

}  // namespace
