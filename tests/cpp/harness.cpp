#include "harness.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace mxtest {

std::string plugin_path() {
  const char* path = std::getenv("MX_PLUGIN");
  return path ? path : MXSIM_PLUGIN_7;
}

namespace {
std::string plugin_file_name(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }
}  // namespace

void* plugin_handle() {
  static void* handle = dlopen((sim::Host::get().user_plugins() + "/" + plugin_file_name(plugin_path())).c_str(),
                               RTLD_NOW | RTLD_NOLOAD);
  return handle;
}

namespace {

class Environment : public ::testing::Environment {
 public:
  void SetUp() override {
    sim::Host& host = sim::Host::get();
    host.install_sink();
    host.install_sws();
    const std::string plugin = plugin_path();
    if (!host.install_and_load(plugin, plugin_file_name(plugin))) throw std::runtime_error("plug-in did not load");
  }
  void TearDown() override { sim::Host::get().remove_sandbox(); }
};

const auto* environment = ::testing::AddGlobalTestEnvironment(new Environment);

template <class F>
F sink_function(const char* name) {
  void* f = dlsym(RTLD_DEFAULT, name);
  if (!f) {
    static void* sink = dlopen((sim::Host::get().user_plugins() + "/reaper_PORTKEEL.dylib").c_str(), RTLD_LAZY);
    f = sink ? dlsym(sink, name) : nullptr;
  }
  return reinterpret_cast<F>(f);
}

}  // namespace

void HostTest::SetUp() {
  host().reset_session();  // also puts back functions an earlier test withdrew
  clear_sink_journal();
}

std::string HostTest::scratch_folder(const std::string& name) {
  const std::string dir = host().home() + "/" + name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  scratch_.push_back(dir);
  return dir;
}

void HostTest::TearDown() {
  for (const std::string& dir : scratch_) std::filesystem::remove_all(dir);
  scratch_.clear();
  if (expect_no_violations) {
    const auto violations = host().take_violations();
    EXPECT_TRUE(violations.empty()) << "the plug-in handed the host a bad object: " << violations.front();
  }
}

void* (*HostTest::adapter(const std::string& name))(void**, int) {
  void* f = host().registered("APIvararg_MX_" + name);
  if (!f) throw std::runtime_error("no script adapter for MX_" + name);
  return reinterpret_cast<void* (*)(void**, int)>(f);
}

int HostTest::error_code() { return sink_function<int (*)()>("GetErrorCode")(); }

std::vector<int> HostTest::sink_journal() {
  auto journal = sink_function<int (*)(int*, int)>("SinkJournal");
  std::vector<int> out(static_cast<size_t>(journal(nullptr, 0)));
  journal(out.data(), static_cast<int>(out.size()));
  return out;
}

void HostTest::clear_sink_journal() { sink_function<void (*)()>("SinkClearJournal")(); }

MediaTrack* HostTest::add_track(const std::string& name) {
  MediaTrack* t = session().insert_track(project(), static_cast<int>(project()->tracks.size()));
  t->name = name;
  return t;
}

}  // namespace mxtest

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
