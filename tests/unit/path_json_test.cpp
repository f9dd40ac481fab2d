// Path information records and the JSON texts and typed forms exchanged with scripts.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "api/path.h"
#include "api/string.h"
#include "native.h"
#include "object/mx_Path.h"
#include "python/python_utility.h"
#include "utility/json_utility.h"

namespace {

using nlohmann::json;

class PathInfo : public mxtest::NativeTest {
 protected:
  void SetUp() override {
    NativeTest::SetUp();
    root = host().home() + "/pathinfo";
    std::filesystem::create_directories(root + "/a");
    std::ofstream(root + "/a/b.c.wav") << "x";
    std::ofstream(root + "/a/.profile") << "x";
  }
  void TearDown() override { std::filesystem::remove_all(root); }

  struct Fields {
    std::string parent_path, parent_name, file_path, file_name, stem, extension, type;
  };
  static Fields fields(const mx_object::mx_Path& p) {
    return {p.ParentPath->value, p.ParentName->value,  p.FilePath->value, p.FileName->value,
            p.FileNameWithoutExtension->value, p.Extension->value, p.Type->value};
  }
  std::string root;
};

TEST_F(PathInfo, FilesAndFoldersBreakIntoSevenFields) {
  struct Case {
    std::string path;
    std::vector<std::string> expected;  // parent path, parent name, file path, name, stem, extension, type
  };
  const std::string a = root + "/a";
  for (const Case& c : std::vector<Case>{
           {a + "/b.c.wav", {a, "a", a + "/b.c.wav", "b.c.wav", "b.c", "wav", "File"}},
           {a, {root, "pathinfo", a, "a", "a", "", "Folder"}},
           {a + "/", {a, "a", a + "/", "", "", "", "Folder"}},
           {a + "/.profile", {a, "a", a + "/.profile", ".profile", "", "profile", "File"}},
           {a + "/../a/b.c.wav", {a + "/../a", "a", a + "/../a/b.c.wav", "b.c.wav", "b.c", "wav", "File"}}}) {
    mx_object::mx_Path info;
    ASSERT_EQ(mx_api::path::GetPathInfo(c.path, info), 0) << c.path;
    EXPECT_EQ(error_code(), 0);
    const Fields f = fields(info);
    EXPECT_EQ((std::vector<std::string>{f.parent_path, f.parent_name, f.file_path, f.file_name, f.stem, f.extension,
                                        f.type}),
              c.expected)
        << c.path;
  }
}

TEST_F(PathInfo, ARelativePathIsJoinedToTheWorkingFolderUnnormalised) {
  const std::string before = std::filesystem::current_path();
  std::filesystem::current_path(root);
  mx_object::mx_Path info;
  const int result = mx_api::path::GetPathInfo("a/./b.c.wav", info);
  std::filesystem::current_path(before);
  ASSERT_EQ(result, 0);
  EXPECT_EQ(info.FilePath->value, root + "/a/./b.c.wav");
  EXPECT_EQ(info.ParentName->value, ".");
}

TEST_F(PathInfo, AMissingPathLeavesTheFieldsAsTheyWere) {
  mx_object::mx_Path info;
  ASSERT_EQ(mx_api::path::GetPathInfo(root + "/a/b.c.wav", info), 0);
  const Fields before = fields(info);
  for (const std::string& missing : {root + "/none.wav", std::string(), std::string(100 * 1024, 'p'),
                                     root + "/a/b.c.wav/inside"}) {
    EXPECT_EQ(mx_api::path::GetPathInfo(missing, info), 1) << missing.substr(0, 60);
    EXPECT_EQ(error_code(), 30);
    EXPECT_EQ(fields(info).file_path, before.file_path);
  }
  mx_object::mx_Path fresh;
  EXPECT_EQ(mx_api::path::GetPathInfo(root + "/none.wav", fresh), 1);
  EXPECT_TRUE(fresh.to_json().is_null());
  EXPECT_FALSE(fresh.FileName->present);
}

TEST_F(PathInfo, TheTypedJsonFormCarriesEveryPresentFieldAndReadsBackStrictly) {
  mx_object::mx_Path info(root + "/a/b.c.wav");
  const json typed = info.to_json();
  ASSERT_TRUE(typed.is_object());
  ASSERT_EQ(typed.size(), 7u);
  for (const auto& member : typed.items()) {
    ASSERT_TRUE(member.value().is_object()) << member.key();
    EXPECT_EQ(member.value().size(), 1u);
    EXPECT_TRUE(member.value().at("string").is_string());
  }
  EXPECT_EQ(typed.at("Extension"), (json{{"string", "wav"}}));

  mx_object::mx_Path back = mx_object::mx_Path::from_typed_json(typed);
  EXPECT_EQ(back.to_json(), typed);
  // A copy shares the fields of its source, and has its own handle.
  mx_object::mx_Path copy(back);
  copy.Type->set("changed");
  EXPECT_EQ(back.Type->value, "changed");
  EXPECT_NE(copy.handle, back.handle);
  EXPECT_EQ(copy.handle, mx_object::handle_of(&copy));

  // A member whose first key in order is not "string", or whose value is no text, is ignored.
  const json odd = {{"FileName", {{"abc", 1}, {"string", "x"}}},
                    {"Extension", {{"string", "only"}}},
                    {"Type", {{"string", 5}}},
                    {"ParentName", "plain"}};
  mx_object::mx_Path read = mx_object::mx_Path::from_typed_json(odd);
  EXPECT_FALSE(read.FileName->present);
  EXPECT_TRUE(read.Extension->present);
  EXPECT_EQ(read.Extension->value, "only");
  EXPECT_FALSE(read.Type->present);
  EXPECT_FALSE(read.ParentName->present);
  EXPECT_EQ(read.to_json(), (json{{"Extension", {{"string", "only"}}}}));
  EXPECT_TRUE(mx_object::mx_Path::from_typed_json(json::array()).to_json().is_null());
}

class Json : public mxtest::NativeTest {};

TEST_F(Json, TextsParseStrictlyAndAFailureLeavesTheValue) {
  struct Case {
    std::string text;
    bool ok;
  };
  for (const Case& c : std::vector<Case>{{" {} ", true},
                                         {"[1,2] x", false},
                                         {"[1,2]", true},
                                         {"{\"a\":1} // note", false},
                                         {"/* c */ 1", false},
                                         {"", false},
                                         {"{\"a\":", false},
                                         {"\"\xff\"", false},
                                         {"nul", false},
                                         {"\t\n 3.5 \r\n", true}}) {
    json value = {{"kept", true}};
    EXPECT_EQ(mx_api::string::Json_Deserialize(c.text, value), 0);
    EXPECT_EQ(error_code(), c.ok ? 0 : 32) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, json::parse(c.text)) << c.text;
    } else {
      EXPECT_EQ(value, (json{{"kept", true}})) << c.text;
    }
  }
}

TEST_F(Json, ValuesWriteCompactInKeyOrderAndInvalidTextFails) {
  std::string text;
  ASSERT_EQ(mx_api::string::Json_Serialize(json{{"z", 1}, {"a", {1, 2}}, {"m", "日本"}}, text), 0);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(text, "{\"a\":[1,2],\"m\":\"日本\",\"z\":1}");
  for (const std::string& bad : {std::string("\xff"), std::string("ok\xc3"), std::string("\xed\xa0\x80")}) {
    text = "before";
    EXPECT_EQ(mx_api::string::Json_Serialize(json{{"k", bad}}, text), 0);
    EXPECT_EQ(error_code(), 33);
    EXPECT_EQ(text, "before");
  }
}

TEST_F(Json, DeepOrHugeValuesNeitherCrashNorOverflow) {
  const int limit = mx_api::string::JSON_MAX_DEPTH;
  const auto nested = [](int depth) { return std::string(static_cast<size_t>(depth), '[') + std::string(static_cast<size_t>(depth), ']'); };
  json value;
  EXPECT_EQ(mx_api::string::Json_Deserialize(nested(limit), value), 0);
  EXPECT_EQ(error_code(), 0);
  std::string text;
  EXPECT_EQ(mx_api::string::Json_Serialize(value, text), 0);
  EXPECT_EQ(text, nested(limit));
  value = nullptr;
  for (int depth : {limit + 1, 200000}) {
    EXPECT_EQ(mx_api::string::Json_Deserialize(nested(depth), value), 0);
    EXPECT_EQ(error_code(), 32) << depth;
    EXPECT_TRUE(value.is_null());
  }
  // A value built deeper than any text may be is refused too.
  json deep = json::array();
  for (int i = 0; i < limit + 5; ++i) deep = json::array({std::move(deep)});
  text = "before";
  EXPECT_EQ(mx_api::string::Json_Serialize(deep, text), 0);
  EXPECT_EQ(error_code(), 33);
  EXPECT_EQ(text, "before");
  // A long flat text is fine.
  std::string big = "[";
  for (int i = 0; i < 200000; ++i) big += (i ? ",\"" : "\"") + std::to_string(i) + "\"";
  big += "]";
  EXPECT_EQ(mx_api::string::Json_Deserialize(big, value), 0);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(value.size(), 200000u);
}

TEST(JsonLists, ArraysOfTypedPointersAndOfStrings) {
  json items = json::parse(R"([{"MediaItem*": 5}, {"Other": 6}, 7, {"MediaItem*": 9.75, "x": 1}, {"MediaItem*": -1.5}])");
  EXPECT_EQ(json_utility::get_array<MediaItem*>(items),
            (std::vector<MediaItem*>{reinterpret_cast<MediaItem*>(5), reinterpret_cast<MediaItem*>(9)}));
  json bad = json::parse(R"([{"MediaItem*": "5"}])");
  EXPECT_THROW(json_utility::get_array<MediaItem*>(bad), json::type_error);
  json flag = json::parse(R"([{"MediaItem*": true}])");
  EXPECT_THROW(json_utility::get_array<MediaItem*>(flag), json::type_error);
  json texts = json::parse(R"([1, "s", null, "t", {"string": "u"}])");
  EXPECT_EQ(json_utility::get_array<std::string>(texts), (std::vector<std::string>{"s", "t"}));
  for (json other : {json(nullptr), json("s"), json::object(), json(3)}) {
    EXPECT_TRUE(json_utility::get_array<std::string>(other).empty());
    EXPECT_TRUE(json_utility::get_array<MediaItem*>(other).empty());
  }
  EXPECT_EQ(python_utility::array_to_typeJson(std::vector<std::string>{"a", "b"}).dump(),
            R"([{"string":"a"},{"string":"b"}])");
  EXPECT_EQ(python_utility::array_to_typeJson(std::vector<std::string>{}).dump(), "[]");
}

}  // namespace
