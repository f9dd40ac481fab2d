#include "object/mx_Path.h"

#include <filesystem>

#include "plugin/mx_error.h"
#include "utility/mx_utility.h"

namespace fs = std::filesystem;

namespace mx_object {

void set_json(const string_cell& field, nlohmann::json& target, const std::string& key) {
  if (field.present) target[key] = nlohmann::json{{"string", field.value}};
}

void set_value_from_json(string_cell& field, const nlohmann::json& source, const std::string& key) {
  if (!source.is_object()) return;
  const auto member = source.find(key);
  if (member == source.end() || !member->is_object() || member->empty()) return;
  const auto first = member->begin();
  if (first.key() == "string" && first->is_string()) field.set(first->get<std::string>());
}

mx_Path::mx_Path(const std::string& path) {
  try {
    read_path(path);
  } catch (const std::exception&) {
    // A path the file system cannot answer for is described by no field.
  }
}

mx_Path mx_Path::from_typed_json(const nlohmann::json& typed) {
  mx_Path path;
  for (const field& f : fields()) set_value_from_json(*(path.*f.member), typed, f.key);
  return path;
}

int mx_Path::read_path(const std::string& path) {
  if (path.empty()) return mx_error::ERR_PATH_NOT_FOUND;
  const fs::path absolute = fs::absolute(fs::path(mx_utility::utf8_to_multi(path)));
  std::error_code ec;
  const fs::file_status status = fs::status(absolute, ec);
  if (status.type() == fs::file_type::not_found || status.type() == fs::file_type::none)
    return mx_error::ERR_PATH_NOT_FOUND;
  const fs::path parent = absolute.parent_path();
  const std::string name = absolute.filename().string();
  const auto [stem, extension] = mx_utility::split_extension(name);
  ParentPath->set(mx_utility::multi_to_utf8(parent.string()));
  ParentName->set(mx_utility::multi_to_utf8(parent.filename().string()));
  FilePath->set(mx_utility::multi_to_utf8(absolute.string()));
  FileName->set(mx_utility::multi_to_utf8(name));
  FileNameWithoutExtension->set(mx_utility::multi_to_utf8(stem));
  Extension->set(mx_utility::multi_to_utf8(extension));
  Type->set(fs::is_directory(status) ? "Folder" : fs::is_regular_file(status) ? "File" : "");
  return mx_error::ERR_NONE;
}

void mx_Path::pushvalue(lua_State* L) const {
  if (const auto push = lua_conversion<mx_Path>::push) push(*this, L);
}

void mx_Path::set_value_from_luatable(lua_State* L, int index) {
  if (const auto read = lua_conversion<mx_Path>::read) read(*this, L, index);
}

nlohmann::json mx_Path::to_json() {
  nlohmann::json out;
  for (const field& f : fields()) set_json(*(this->*f.member), out, f.key);
  return out;
}

}  // namespace mx_object
