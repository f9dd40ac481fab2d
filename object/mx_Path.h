// The parts of an existing file or folder path, as seven text fields, and their typed
// JSON form ({"string": text} per field). Copies share their fields.
#pragma once

#include <array>
#include <nlohmann/json.hpp>
#include <string>

#include "object/mx_record.h"

namespace mx_object {

using string_cell = mx_LitsItem_inner<std::string>;

// The typed JSON form of one text field. set_json writes target[key] = {"string": value}
// when the field is present (a null target becomes an object); set_value_from_json takes
// source[key] when it is an object whose first member in key order is "string", holding
// a JSON string, and then marks the field present.
void set_json(const string_cell& field, nlohmann::json& target, const std::string& key);
void set_value_from_json(string_cell& field, const nlohmann::json& source, const std::string& key);

class mx_Path final : public mx_List {
 public:
  cell<std::string> ParentPath;  // the parent of the absolute path
  cell<std::string> ParentName;  // the parent's last component
  cell<std::string> FilePath;    // the absolute path, not normalised, links not resolved
  cell<std::string> FileName;    // its last component
  cell<std::string> FileNameWithoutExtension;  // before the last dot of FileName
  cell<std::string> Extension;                 // after it, without the dot
  cell<std::string> Type;                      // "Folder", "File" or ""

  struct field {
    const char* key;
    cell<std::string> mx_Path::*member;
  };
  static constexpr std::array<field, 7> fields() {
    return {{{"ParentPath", &mx_Path::ParentPath},
             {"ParentName", &mx_Path::ParentName},
             {"FilePath", &mx_Path::FilePath},
             {"FileName", &mx_Path::FileName},
             {"FileNameWithoutExtension", &mx_Path::FileNameWithoutExtension},
             {"Extension", &mx_Path::Extension},
             {"Type", &mx_Path::Type}}};
  }

  mx_Path() = default;
  mx_Path(const mx_Path&) = default;
  mx_Path& operator=(const mx_Path&) = default;
  // Reads the path; a path that cannot be read leaves every field absent.
  explicit mx_Path(const std::string& path);
  // The fields found in a typed JSON object.
  static mx_Path from_typed_json(const nlohmann::json& typed);

  // 0, or ERR_PATH_NOT_FOUND (30) with the fields left as they were.
  int read_path(const std::string& path);

  void pushvalue(lua_State* L) const override;
  void set_value_from_luatable(lua_State* L, int index) override;
  nlohmann::json to_json() override;
};

}  // namespace mx_object
