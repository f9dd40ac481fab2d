#include "plugin/api_registry.h"

#include <algorithm>

extern "C" void* __verarg_empty(void**, int) { return nullptr; }

namespace mx_plugin {

namespace {
std::vector<int>& positions() {
  static std::vector<int> list;
  return list;
}
}  // namespace

api_define make_api_define(const char* name, void* func, void* vararg, api_define::return_type_fn return_type,
                           const std::string& param_types, const char* param_names, const char* help) {
  const std::string n = std::string("MX_") + name;
  return api_define(func, vararg, return_type, param_types.c_str(), param_names, help, ("API_" + n).c_str(),
                    ("APIdef_" + n).c_str(), ("APIvararg_" + n).c_str(), ("-API_" + n).c_str(),
                    ("-APIdef_" + n).c_str(), ("-APIvararg_" + n).c_str());
}

registrar::registrar(int index, const char* family, api_define definition) {
  definition.family = family;
  std::vector<int>& at = positions();
  const auto place = std::upper_bound(at.begin(), at.end(), index);
  const auto offset = place - at.begin();
  at.insert(place, index);
  api_define_list().insert(api_define_list().begin() + offset, std::move(definition));
}

const std::vector<int>& api_define_positions() { return positions(); }

}  // namespace mx_plugin

std::vector<api_define>& api_define_list() {
  static std::vector<api_define> list;
  return list;
}
