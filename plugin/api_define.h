// One registered script function: its entries, its definition texts and its
// registration names, and the definition string that the host reads.
#pragma once

#include <string>
#include <vector>

struct api_define {
  using return_type_fn = std::string (*)();

  api_define(void* func, void* vararg_func, return_type_fn get_return_type, const char* param_types,
             const char* param_names, const char* help, const char* api_name, const char* apidef_name,
             const char* apivararg_name, const char* api_unreg_name, const char* apidef_unreg_name,
             const char* apivararg_unreg_name);

  // Zero-fills the definition string, then writes return type, parameter types,
  // parameter names and help, each followed by one zero byte.
  void set_str();

  void* func;
  void* vararg_func;
  return_type_fn get_return_type;
  std::string param_types;
  std::string param_names;
  std::string help;
  std::string api_name;
  std::string apidef_name;
  std::string apivararg_name;
  std::string api_unreg_name;
  std::string apidef_unreg_name;
  std::string apivararg_unreg_name;
  std::vector<char> apidef;
  // The heading of the operation family whose block declared it; the host never reads it.
  std::string family;

  static constexpr size_t APIDEF_SIZE = 1024;
};

// The definitions in registration order.
std::vector<api_define>& api_define_list();
