#include "simhost/sws/host.h"

namespace sws::host {

#define SWS_DEFINE(result, name, params) result(*name) params = nullptr;
SWS_HOST_FUNCTIONS(SWS_DEFINE)
#undef SWS_DEFINE

void bind(void* (*get_func)(const char* name)) {
#define SWS_BIND(result, name, params) name = get_func ? reinterpret_cast<result(*) params>(get_func(#name)) : nullptr;
  SWS_HOST_FUNCTIONS(SWS_BIND)
#undef SWS_BIND
}

bool live(void* object, const char* type) { return object && ValidatePtr && ValidatePtr(object, type); }

}  // namespace sws::host
