#include "plugin/host_api.h"

#include <stdexcept>

namespace {

template <class F>
struct missing_host_function;

template <class R, class... A>
struct missing_host_function<R (*)(A...)> {
  static R call(A...) { throw std::runtime_error("host function not provided"); }
};

template <class F>
void import(F& variable, void* (*getFunc)(const char*), const char* name, int& missing) {
  void* found = getFunc(name);
  if (found) {
    variable = reinterpret_cast<F>(found);
  } else {
    variable = &missing_host_function<F>::call;
    ++missing;
  }
}

}  // namespace

#define MX_DEFINE_HOST_FUNCTION(R, name, params) \
  R(*name) params = &missing_host_function<R(*) params>::call;
MX_HOST_FUNCTIONS(MX_DEFINE_HOST_FUNCTION)
#undef MX_DEFINE_HOST_FUNCTION

int REAPERAPI_LoadAPI(void* (*getFunc)(const char* name)) {
  int missing = 0;
#define MX_IMPORT_HOST_FUNCTION(R, name, params) import(name, getFunc, #name, missing);
  MX_HOST_FUNCTIONS(MX_IMPORT_HOST_FUNCTION)
#undef MX_IMPORT_HOST_FUNCTION
  return missing;
}
