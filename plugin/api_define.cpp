#include "plugin/api_define.h"

#include <cstring>
#include <stdexcept>

api_define::api_define(void* func_, void* vararg_func_, return_type_fn get_return_type_, const char* param_types_,
                       const char* param_names_, const char* help_, const char* api_name_, const char* apidef_name_,
                       const char* apivararg_name_, const char* api_unreg_name_, const char* apidef_unreg_name_,
                       const char* apivararg_unreg_name_)
    : func(func_),
      vararg_func(vararg_func_),
      get_return_type(get_return_type_),
      param_types(param_types_),
      param_names(param_names_),
      help(help_),
      api_name(api_name_),
      apidef_name(apidef_name_),
      apivararg_name(apivararg_name_),
      api_unreg_name(api_unreg_name_),
      apidef_unreg_name(apidef_unreg_name_),
      apivararg_unreg_name(apivararg_unreg_name_),
      apidef(APIDEF_SIZE, '\0') {}

void api_define::set_str() {
  std::fill(apidef.begin(), apidef.end(), '\0');
  size_t at = 0;
  for (const std::string& part : {get_return_type(), param_types, param_names, help}) {
    // Every text keeps its terminator inside the buffer; a definition that does not fit
    // is a fault of the table, found by the registration tests.
    if (at + part.size() + 1 > APIDEF_SIZE) throw std::length_error("definition string too long");
    std::memcpy(apidef.data() + at, part.data(), part.size());
    at += part.size() + 1;
  }
}
