#include "plugin/Bridge_IF.h"

#include <dlfcn.h>

#include <cstring>
#include <string>

#include "utility/mx_utility.h"

namespace Bridge_IF {

void (*_set_errorCode)(int) = nullptr;
void (*_reset_errorCode)() = nullptr;
int (*_get_errorCode)() = nullptr;

namespace {
constexpr const char* SINK_PATH = "/Library/Application Support/REAPER/UserPlugins/reaper_PORTKEEL.dylib";
constexpr int PATH_BUFFER = 4096;
}  // namespace

void bridge_init() {
  const std::string home = mx_utility::get_env("HOME");
  // A home folder too long for the path buffer cannot hold the sink: binding a cut
  // path could open some other library, so nothing is bound.
  if (home.size() + std::strlen(SINK_PATH) + 1 > static_cast<size_t>(PATH_BUFFER)) return;
  char path[PATH_BUFFER];
  mx_utility::strcpy(path, PATH_BUFFER, home);
  std::strcat(path, SINK_PATH);
  void* sink = dlopen(path, RTLD_LAZY);
  if (!sink) return;
  _set_errorCode = reinterpret_cast<void (*)(int)>(dlsym(sink, "SetErrorCode"));
  _reset_errorCode = reinterpret_cast<void (*)()>(dlsym(sink, "ResetErrorCode"));
  _get_errorCode = reinterpret_cast<int (*)()>(dlsym(sink, "GetErrorCode"));
}

void set_errorCode(int code) noexcept {
  if (_set_errorCode) _set_errorCode(code);
}

void reset_errorCode() noexcept {
  if (_reset_errorCode) _reset_errorCode();
}

int get_errorCode() noexcept { return _get_errorCode ? _get_errorCode() : 0; }

}  // namespace Bridge_IF
