// Declaring a function the simulated host offers to extensions and scripts. The row
// gives the function and its parameter names; the host derives the definition its
// script bridge reads and the argument adapter from the C++ signature, as it does for
// the functions extensions register.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "simhost/model.h"

struct MediaItem;
struct MediaItem_Take;
struct TrackEnvelope;
struct PCM_source;

namespace sim {

template <class T>
struct type_text;
#define SIM_TYPE_TEXT(...) \
  template <>              \
  struct type_text<__VA_ARGS__> { static constexpr const char* value = #__VA_ARGS__; };
SIM_TYPE_TEXT(void)
SIM_TYPE_TEXT(int)
SIM_TYPE_TEXT(bool)
SIM_TYPE_TEXT(double)
SIM_TYPE_TEXT(const char*)
SIM_TYPE_TEXT(char*)
SIM_TYPE_TEXT(int*)
SIM_TYPE_TEXT(bool*)
SIM_TYPE_TEXT(double*)
SIM_TYPE_TEXT(const char**)
SIM_TYPE_TEXT(void*)
SIM_TYPE_TEXT(ReaProject*)
SIM_TYPE_TEXT(MediaTrack*)
SIM_TYPE_TEXT(MediaItem*)
SIM_TYPE_TEXT(MediaItem_Take*)
SIM_TYPE_TEXT(TrackEnvelope*)
SIM_TYPE_TEXT(PCM_source*)
#undef SIM_TYPE_TEXT

struct HostFunction {
  std::string name;
  void* address;
  std::string apidef;  // return, types, names, help: each followed by one zero byte
  void* (*vararg)(void**, int);
};

std::vector<HostFunction>& host_function_table();

// Double results travel through the pointer-sized adapter result bit for bit.
inline void* double_bits(double value) {
  void* slot = nullptr;
  static_assert(sizeof(slot) == sizeof(value), "64-bit host");
  std::memcpy(&slot, &value, sizeof(value));
  return slot;
}
inline double bits_double(void* slot) {
  double value;
  std::memcpy(&value, &slot, sizeof(value));
  return value;
}

template <class T>
T from_slot(void* slot) {
  if constexpr (std::is_same_v<T, int>) return static_cast<int>(reinterpret_cast<intptr_t>(slot));
  else if constexpr (std::is_same_v<T, bool>) return slot != nullptr;
  else if constexpr (std::is_same_v<T, double>) return slot ? *static_cast<double*>(slot) : 0.0;
  else return reinterpret_cast<T>(slot);
}

template <class F>
struct host_signature;
template <class R, class... A>
struct host_signature<R (*)(A...)> {
  template <auto Fn, size_t... I>
  static void* call(void** args, std::index_sequence<I...>) {
    if constexpr (std::is_void_v<R>) {
      Fn(from_slot<A>(args[I])...);
      return nullptr;
    } else {
      R result = Fn(from_slot<A>(args[I])...);
      if constexpr (std::is_same_v<R, double>) return double_bits(result);
      else if constexpr (std::is_pointer_v<R>) return const_cast<void*>(reinterpret_cast<const void*>(result));
      else return reinterpret_cast<void*>(static_cast<intptr_t>(result));
    }
  }
  template <auto Fn>
  static void* adapter(void** args, int) {
    return call<Fn>(args, std::index_sequence_for<A...>{});
  }
  static std::string apidef(const char* names, const char* help) {
    std::string types;
    ((types += (types.empty() ? "" : ","), types += type_text<A>::value), ...);
    std::string def = type_text<R>::value;
    def += '\0';
    def += types;
    def += '\0';
    def += names;
    def += '\0';
    def += help;
    def += '\0';
    return def;
  }
};

struct host_function_registrar {
  host_function_registrar(const char* name, void* address, std::string apidef, void* (*vararg)(void**, int)) {
    host_function_table().push_back({name, address, std::move(apidef), vararg});
  }
};

}  // namespace sim

#define SIM_HOST_FUNCTION(Name, names)                                                                         \
  static const ::sim::host_function_registrar sim_host_function_##Name(                                        \
      #Name, reinterpret_cast<void*>(&Name), ::sim::host_signature<decltype(&Name)>::apidef(names, ""),         \
      &::sim::host_signature<decltype(&Name)>::adapter<&Name>)
