// Declaring a registered script function. One row names the operation, its result
// class, its parameter names and its help; the parameter and return type texts and
// the script adapter are derived from the operation's own C++ signature, so the
// definition the host reads cannot drift from the code that runs.
//
//   MX_DEF(7, GetTrackItemMute, bool_out, "track", "Get track item mute"),
//
// Result classes: `pointer` returns the operation's pointer; `int_out` and `bool_out`
// hand the operation a trailing int* or bool* and return what it wrote (declared "int"
// or "bool"); `flag_void` and `flag_bool` return the success flag (declared "void" or
// "bool"); `status_void` returns the operation's int status, 0 on success and 1 on failure
// (declared "void"). List-returning functions, reached through the Lua and Python bindings, are
// declared with explicit texts and the empty entry: MX_DEF_LIST(105, Name, "void", ...).
//
// Each file's block is preceded, inside the same unnamed namespace, by the heading of its
// family for the API reference; a block without one does not compile:
//
//   MX_FAMILY("Tracks");
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "plugin/Bridge_IF.h"
#include "plugin/api_define.h"
#include "plugin/host_api.h"

extern "C" void* __verarg_empty(void** args, int count);

namespace mx_plugin {

enum class result_class { pointer, int_out, bool_out, flag_void, flag_bool, status_void };

// The parameter vocabulary of definitions with a working entry; any other C++ type in
// an operation's signature fails to compile.
template <class T>
struct type_text;
#define MX_TYPE_TEXT(...) \
  template <>             \
  struct type_text<__VA_ARGS__> { static constexpr const char* value = #__VA_ARGS__; };
MX_TYPE_TEXT(ReaProject*)
MX_TYPE_TEXT(MediaTrack*)
MX_TYPE_TEXT(MediaItem*)
MX_TYPE_TEXT(int)
MX_TYPE_TEXT(bool)
MX_TYPE_TEXT(double)
MX_TYPE_TEXT(const char*)
MX_TYPE_TEXT(char*)
MX_TYPE_TEXT(int*)
MX_TYPE_TEXT(double*)
#undef MX_TYPE_TEXT

// How a script adapter reads one argument slot.
template <class T>
T read_slot(void* slot) noexcept {
  if constexpr (std::is_same_v<T, int>) {
    return static_cast<int>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(slot)));
  } else if constexpr (std::is_same_v<T, bool>) {
    return slot != nullptr;
  } else if constexpr (std::is_same_v<T, double>) {
    return slot ? *static_cast<const double*>(slot) : 0.0;
  } else {
    static_assert(std::is_pointer_v<T>, "unsupported slot type");
    return reinterpret_cast<T>(slot);
  }
}

constexpr size_t count_names(const char* names) {
  if (!names || !*names) return 0;
  size_t n = 1;
  for (const char* c = names; *c; ++c) n += (*c == ',');
  return n;
}

template <class F>
struct signature;
template <class R, class... A>
struct signature<R (*)(A...)> {
  using result = R;
  using args = std::tuple<A...>;
  static constexpr size_t arity = sizeof...(A);
};

template <auto Fn, result_class C>
struct definition_of {
  using sig = signature<decltype(Fn)>;
  using R = typename sig::result;
  static constexpr bool has_out = C == result_class::int_out || C == result_class::bool_out;
  static constexpr size_t declared = sig::arity - (has_out ? 1 : 0);
  template <size_t I>
  using arg = std::tuple_element_t<I, typename sig::args>;

  static_assert(C == result_class::pointer       ? std::is_pointer_v<R>
                : C == result_class::status_void ? std::is_same_v<R, int>
                                                 : std::is_same_v<R, bool>,
                "pointer class returns a pointer, status class an int, every other class the success flag");
  static_assert(!has_out || sig::arity > 0, "output classes take a trailing output");

  static constexpr auto out_type() {
    if constexpr (has_out) return static_cast<arg<sig::arity - 1>*>(nullptr);
    else return static_cast<void*>(nullptr);
  }
  static_assert(C != result_class::int_out || std::is_same_v<decltype(out_type()), int**>,
                "int_out operations end in int*");
  static_assert(C != result_class::bool_out || std::is_same_v<decltype(out_type()), bool**>,
                "bool_out operations end in bool*");

  template <size_t... I>
  static void* call(void** args, std::index_sequence<I...>) {
    if constexpr (C == result_class::pointer) {
      return reinterpret_cast<void*>(Fn(read_slot<arg<I>>(args[I])...));
    } else if constexpr (C == result_class::int_out) {
      int value = 0;
      Fn(read_slot<arg<I>>(args[I])..., &value);
      return reinterpret_cast<void*>(static_cast<intptr_t>(value));
    } else if constexpr (C == result_class::bool_out) {
      bool value = false;
      Fn(read_slot<arg<I>>(args[I])..., &value);
      return reinterpret_cast<void*>(static_cast<intptr_t>(value ? 1 : 0));
    } else if constexpr (C == result_class::status_void) {
      return reinterpret_cast<void*>(static_cast<intptr_t>(Fn(read_slot<arg<I>>(args[I])...)));
    } else {
      return reinterpret_cast<void*>(static_cast<intptr_t>(Fn(read_slot<arg<I>>(args[I])...) ? 1 : 0));
    }
  }

  // The script entry: reads exactly the declared slots; the count is not consulted.
  static void* adapter(void** args, int) noexcept {
    try {
      return call(args, std::make_index_sequence<declared>{});
    } catch (...) {
      Bridge_IF::set_errorCode(1);
      return reinterpret_cast<void*>(static_cast<intptr_t>(C == result_class::status_void ? 1 : 0));
    }
  }

  static std::string return_type() {
    switch (C) {
      case result_class::pointer: return type_text<R>::value;
      case result_class::int_out: return "int";
      case result_class::bool_out:
      case result_class::flag_bool: return "bool";
      case result_class::flag_void:
      case result_class::status_void: break;
    }
    return "void";
  }

  template <size_t... I>
  static std::string join_types(std::index_sequence<I...>) {
    std::string types;
    ((types += (I ? "," : ""), types += type_text<arg<I>>::value), ...);
    return types;
  }
  static std::string param_types() { return join_types(std::make_index_sequence<declared>{}); }
};

api_define make_api_define(const char* name, void* func, void* vararg, api_define::return_type_fn return_type,
                           const std::string& param_types, const char* param_names, const char* help);

template <auto Fn, result_class C, size_t NameCount>
api_define define(const char* name, const char* param_names, const char* help) {
  using D = definition_of<Fn, C>;
  static_assert(NameCount == D::declared, "parameter names do not match the operation's parameters");
  return make_api_define(name, reinterpret_cast<void*>(Fn), reinterpret_cast<void*>(&D::adapter), &D::return_type,
                         D::param_types(), param_names, help);
}

template <size_t TypeCount, size_t NameCount>
api_define define_list(const char* name, api_define::return_type_fn return_type, const char* param_types,
                       const char* param_names, const char* help) {
  static_assert(TypeCount == NameCount, "parameter names do not match the parameter types");
  return make_api_define(name, reinterpret_cast<void*>(&__verarg_empty), reinterpret_cast<void*>(&__verarg_empty),
                         return_type, param_types, param_names, help);
}

// Places a definition at its position in the registration order, under its family.
struct registrar {
  registrar(int index, const char* family, api_define definition);
};

// The position each entry of api_define_list() was declared with (for the tests of order).
const std::vector<int>& api_define_positions();

}  // namespace mx_plugin

#define MX_FAMILY(heading) constexpr const char* mx_family = heading
#define MX_DEF(index, Name, cls, names, help)                                                                 \
  ::mx_plugin::registrar(index, mx_family,                                                                    \
                         ::mx_plugin::define<Name, ::mx_plugin::result_class::cls,                            \
                                             ::mx_plugin::count_names(names)>(#Name, names, help))
#define MX_DEF_LIST(index, Name, ret, types, names, help)                                                     \
  ::mx_plugin::registrar(index, mx_family,                                                                    \
                         ::mx_plugin::define_list<::mx_plugin::count_names(types),                            \
                                                  ::mx_plugin::count_names(names)>(                           \
                             #Name, [] { return std::string(ret); }, types, names, help))
