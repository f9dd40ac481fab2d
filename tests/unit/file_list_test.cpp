// Listing a folder tree by extension, natively: what is listed, in which order, and
// what a folder that cannot be listed leaves.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "api/path.h"
#include "native.h"

namespace fs = std::filesystem;

namespace {

class FileListTest : public mxtest::NativeTest {
 protected:
  void SetUp() override {
    NativeTest::SetUp();
    std::string pattern = host().home() + "/list.XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root = pattern;
  }
  void TearDown() override { fs::remove_all(root); }

  void file(const std::string& relative) {
    fs::create_directories((fs::path(root) / relative).parent_path());
    std::ofstream(fs::path(root) / relative) << "x";
  }
  void folder(const std::string& relative) { fs::create_directories(fs::path(root) / relative); }

  std::vector<std::string> list(const std::string& folder_path, const std::string& extension) {
    std::vector<std::string> out;
    ok = mx_api::path::GetFilePathList(folder_path, extension, out);
    return out;
  }
  static std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }

  std::string root;
  bool ok = false;
};

// Any letter case matches, folders are listed too, and a folder comes before what is
// in it.
TEST_F(FileListTest, ListsEntriesByExtensionInWalkOrder) {
  file("a.WAV");
  file("sub/b.wav");
  file("sub/c.txt");
  folder("x.wav");
  file("x.wav/y.Wav");
  file(".wav");     // a hidden file has no extension
  file("wav");      // nor has a name without a dot
  file("d.wav.bak");
  for (const char* extension : {"wav", "WAV", "Wav"}) {
    SCOPED_TRACE(extension);
    const auto found = list(root, extension);
    EXPECT_TRUE(ok);
    EXPECT_EQ(error_code(), 0);
    EXPECT_EQ(sorted(found), sorted({root + "/a.WAV", root + "/sub/b.wav", root + "/x.wav", root + "/x.wav/y.Wav"}));
    const auto at = [&](const std::string& p) { return std::find(found.begin(), found.end(), p) - found.begin(); };
    EXPECT_LT(at(root + "/x.wav"), at(root + "/x.wav/y.Wav"));
  }
  // The folder given with a trailing "/" gives the same paths.
  EXPECT_EQ(sorted(list(root + "/", "txt")), std::vector<std::string>{root + "/sub/c.txt"});
}

TEST_F(FileListTest, EmptyExtensionMatchesNamesEndingInADot) {
  file("take.");
  file("take");
  file("take.wav");
  EXPECT_EQ(list(root, ""), std::vector<std::string>{root + "/take."});
  EXPECT_TRUE(ok);
}

TEST_F(FileListTest, AppendsToWhatTheListHolds) {
  file("one.wav");
  std::vector<std::string> out{"kept"};
  EXPECT_TRUE(mx_api::path::GetFilePathList(root, "wav", out));
  EXPECT_EQ(out, (std::vector<std::string>{"kept", root + "/one.wav"}));
}

TEST_F(FileListTest, LinksToFoldersAreNotFollowed) {
  file("elsewhere/inner.wav");
  fs::create_directory_symlink(fs::path(root) / "elsewhere", fs::path(root) / "link");
  fs::create_directory_symlink(fs::path(root), fs::path(root) / "elsewhere/loop");
  EXPECT_EQ(list(root, "wav"), std::vector<std::string>{root + "/elsewhere/inner.wav"});
  EXPECT_TRUE(ok);
}

TEST_F(FileListTest, SomethingOtherThanAFolderIsNotListed) {
  file("plain.wav");
  for (const std::string& path : {root + "/plain.wav", root + "/missing", std::string()}) {
    SCOPED_TRACE(path);
    std::vector<std::string> out{"kept"};
    EXPECT_FALSE(mx_api::path::GetFilePathList(path, "wav", out));
    EXPECT_EQ(error_code(), 31);  // ERR_NOT_DIRECTORY
    EXPECT_EQ(out, std::vector<std::string>{"kept"});
  }
  // A failure, then a success: the code is cleared again.
  EXPECT_EQ(list(root, "wav").size(), 1u);
  EXPECT_EQ(error_code(), 0);
}

TEST_F(FileListTest, UnreadableSubfolderEndsTheWalkWithAnError) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not hold for the superuser";
  file("open.wav");
  file("closed/hidden.wav");
  fs::permissions(fs::path(root) / "closed", fs::perms::none);
  std::vector<std::string> out;
  EXPECT_FALSE(mx_api::path::GetFilePathList(root, "wav", out));
  EXPECT_EQ(error_code(), 1);  // ERR_UNKNOWN
  fs::permissions(fs::path(root) / "closed", fs::perms::owner_all);
}

}  // namespace
