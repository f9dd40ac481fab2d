// Tests through the simulated host: the plug-in named by MX_PLUGIN is loaded once per
// process from a sandbox home, with the error-code sink beside it; every test starts
// from a fresh session and reaches the plug-in only through what it registered.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "simhost/host.h"

namespace mxtest {

// Slot helpers: how the host's bridge fills argument slots.
inline void* slot(int v) { return reinterpret_cast<void*>(static_cast<intptr_t>(v)); }
inline void* slot(bool v) { return reinterpret_cast<void*>(static_cast<intptr_t>(v ? 1 : 0)); }
inline void* slot(double* v) { return v; }
template <class T>
inline void* slot(T* p) {
  return const_cast<void*>(reinterpret_cast<const void*>(p));
}
inline void* slot(std::nullptr_t) { return nullptr; }

// The plug-in build under test, and its handle in this process.
std::string plugin_path();
void* plugin_handle();

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 public:  // case tables call these through the fixture

  sim::Host& host() { return sim::Host::get(); }
  sim::Session& session() { return sim::Host::get().session(); }
  ReaProject* project() { return session().active(); }

  // The direct entry another extension finds through the host's function lookup.
  template <class F>
  F api(const std::string& name) {
    void* f = host().get_func(name.c_str());
    EXPECT_NE(f, nullptr) << name << " is not registered";
    return reinterpret_cast<F>(f);
  }

  // Calls the script adapter registered for `name` with the given slots.
  template <class... Slots>
  intptr_t call(const std::string& name, Slots... slots) {
    std::vector<void*> args{slot(slots)...};
    args.resize(args.size() + 4, nullptr);  // the adapter reads only its declared slots
    return reinterpret_cast<intptr_t>(adapter(name)(args.data(), static_cast<int>(sizeof...(Slots))));
  }
  void* (*adapter(const std::string& name))(void**, int);

  // The sink: the last code, and its journal (codes as set, -1 for each reset).
  int error_code();
  std::vector<int> sink_journal();
  void clear_sink_journal();

  // An empty folder inside the sandbox home, removed again when the test ends.
  std::string scratch_folder(const std::string& name);

  // A track appended to the active project, optionally named.
  MediaTrack* add_track(const std::string& name = "");

  bool expect_no_violations = true;

 private:
  std::vector<std::string> scratch_;
};

}  // namespace mxtest
