// Timing the plug-in apart from the host in the benchmarks: process time, and wrappers
// put in place of host functions, or of functions an extension registered, that add the
// time spent inside them to a bucket of the benchmark's.
#pragma once

#include <ctime>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "simhost/host.h"
#include "simhost/host_function.h"

namespace mx_bench {

// Process time (user and system): the machine is shared, and waiting for a core is not
// the plug-in's cost.
inline double process_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

template <double& Bucket, int Id, class Signature>
struct timed;
template <double& Bucket, int Id, class R, class... A>
struct timed<Bucket, Id, R(A...)> {
  static inline R (*original)(A...) = nullptr;
  static R call(A... a) {
    const double start = process_seconds();
    if constexpr (std::is_void_v<R>) {
      original(a...);
      Bucket += process_seconds() - start;
    } else {
      R r = original(a...);
      Bucket += process_seconds() - start;
      return r;
    }
  }
  // Puts the wrapper in the host's table before the plug-in looks the name up.
  static void wrap_host(const char* name) {
    for (sim::HostFunction& f : sim::host_function_table()) {
      if (f.name == name) {
        original = reinterpret_cast<R (*)(A...)>(f.address);
        f.address = reinterpret_cast<void*>(&call);
        return;
      }
    }
    throw std::runtime_error(std::string("the host has no ") + name);
  }
  // Registers the wrapper in place of what an extension registered under `name`.
  static void wrap_registered(const char* name) {
    const std::string key = std::string("API_") + name;
    original = reinterpret_cast<R (*)(A...)>(sim::Host::get().registered(key));
    if (!original) throw std::runtime_error(std::string("nothing registered as ") + name);
    sim::Host::get().plugin_register(key.c_str(), reinterpret_cast<void*>(&call));
  }
};

}  // namespace mx_bench
