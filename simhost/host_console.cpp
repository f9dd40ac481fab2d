// The host's console window, which scripts write progress and results to: here it is
// the runner's standard output, so a script written for the host prints unchanged.
#include <cstdio>

#include "simhost/host_support.h"

namespace sim {
namespace {

void ShowConsoleMsg(const char* msg) {
  if (!msg) return;
  std::fputs(msg, stdout);
  std::fflush(stdout);
}

SIM_HOST_FUNCTION(ShowConsoleMsg, "msg");

}  // namespace
}  // namespace sim
