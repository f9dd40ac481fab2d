// The plug-in's exported native functions, found in the build loaded by the simulated
// host by their C++ names: the dynamic symbols of the build are demangled once and
// matched by qualified name, so a test calls exactly what other native code links to.
#pragma once

#include <cxxabi.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "mixvale_cobalt/media_item.h"

namespace mxtest::exported {

struct symbol {
  std::string demangled;  // with its parameter list
  std::string mangled;
  std::string params;  // "(MediaItem*, int)"
};

inline std::string demangle(const std::string& mangled) {
  int status = 0;
  char* text = abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status);
  std::string out = status == 0 && text ? text : mangled;
  std::free(text);
  return out;
}

// Every defined dynamic symbol of a library file, by the name before its parameter list.
inline std::multimap<std::string, symbol> symbols_of(const std::string& library) {
  std::multimap<std::string, symbol> out;
  const std::string command = "nm -D --defined-only '" + library + "' | awk '{print $3}'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run nm");
  char line[4096];
  while (std::fgets(line, sizeof line, pipe)) {
    std::string mangled(line);
    mangled.erase(mangled.find_last_not_of("\n") + 1);
    if (mangled.empty()) continue;
    const std::string demangled = demangle(mangled);
    const size_t open = demangled.find('(');
    std::string name = demangled.substr(0, open);
    const size_t tag = name.find("[abi:");  // a result type's ABI tag is no part of the name
    if (tag != std::string::npos) name.erase(tag, name.find(']', tag) + 1 - tag);
    out.emplace(name, symbol{demangled, mangled, open == std::string::npos ? "" : demangled.substr(open)});
  }
  pclose(pipe);
  return out;
}

// The function `qualified` (with `params`, "(MediaItem*, int)", when it is overloaded)
// in the loaded library `handle`, built from file `library`.
template <class F>
F find(void* handle, const std::string& library, const std::string& qualified, const std::string& params = "") {
  static std::map<std::string, std::multimap<std::string, symbol>> cache;
  auto known = cache.find(library);
  if (known == cache.end()) known = cache.emplace(library, symbols_of(library)).first;
  const auto& table = known->second;
  const auto [first, last] = table.equal_range(qualified);
  std::vector<symbol> matches;
  for (auto it = first; it != last; ++it)
    if (params.empty() || it->second.params == params) matches.push_back(it->second);
  if (matches.size() != 1) throw std::runtime_error("not exactly one export named " + qualified + params);
  void* address = dlsym(handle, matches.front().mangled.c_str());
  if (!address) throw std::runtime_error("cannot bind " + matches.front().demangled);
  return reinterpret_cast<F>(address);
}

}  // namespace mxtest::exported
