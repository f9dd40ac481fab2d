// Prints the plug-in's definition table as JSON: every registered function with the
// texts the host reads and the family that declared it, in registration order, and the
// functions of the native Lua module in the order the module installs them.
#include <cstring>
#include <exception>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lua/MX_COBALT.h"
#include "plugin/api_define.h"

namespace {

// The definition string as the host reads it: four texts, each closed by a zero byte.
std::vector<std::string> texts(const std::vector<char>& apidef) {
  std::vector<std::string> parts;
  size_t at = 0;
  while (parts.size() < 4 && at < apidef.size()) {
    parts.emplace_back(apidef.data() + at, strnlen(apidef.data() + at, apidef.size() - at));
    at += parts.back().size() + 1;
  }
  return parts;
}

}  // namespace

int main() {
  try {
    nlohmann::json table{{"definitions", nlohmann::json::array()}, {"lua", nlohmann::json::array()}};
    for (api_define& def : api_define_list()) {
      def.set_str();
      const std::vector<std::string> t = texts(def.apidef);
      table["definitions"].push_back({{"name", def.api_name.substr(std::strlen("API_"))},
                                      {"family", def.family},
                                      {"return", t.at(0)},
                                      {"types", t.at(1)},
                                      {"names", t.at(2)},
                                      {"help", t.at(3)}});
    }
    for (const luaL_Reg* entry = MX_COBALT::reg; entry->name; ++entry) table["lua"].push_back(entry->name);
    std::cout << table.dump(1) << '\n';
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "api_table: " << e.what() << '\n';
    return 1;
  }
}
