#include "simhost/host.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "simhost/host_function.h"

namespace fs = std::filesystem;

namespace sim {

std::vector<HostFunction>& host_function_table() {
  static std::vector<HostFunction> table;
  return table;
}

namespace {
std::vector<std::function<void()>>& reset_hooks() {
  static std::vector<std::function<void()>> hooks;
  return hooks;
}
}  // namespace

reset_hook::reset_hook(std::function<void()> clear) { reset_hooks().push_back(std::move(clear)); }

namespace {
int register_thunk(const char* name, void* value) { return Host::get().plugin_register(name, value); }
void* get_func_thunk(const char* name) { return Host::get().get_func(name); }
int plugin_register(const char* name, void* infostruct) { return register_thunk(name, infostruct); }
SIM_HOST_FUNCTION(plugin_register, "name,infostruct");
}  // namespace

Host& Host::get() {
  static Host host;
  return host;
}

Host::Host() : session_(std::make_unique<Session>()), info_{0x20E, nullptr, &register_thunk, &get_func_thunk} {}

void Host::make_sandbox() {
  if (!home_.empty()) return;
  char pattern[] = "/tmp/mxsim-home.XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("cannot create the sandbox home");
  home_ = pattern;
  fs::create_directories(user_plugins());
  setenv("HOME", home_.c_str(), 1);
}

void Host::remove_sandbox() {
  if (home_.empty()) return;
  std::error_code ignored;
  fs::remove_all(home_, ignored);
  home_.clear();
}

std::string Host::resource_path() const { return home_ + "/Library/Application Support/REAPER"; }
std::string Host::user_plugins() const { return resource_path() + "/UserPlugins"; }

bool Host::install_and_load(const std::string& built, const std::string& file_name) {
  make_sandbox();
  const std::string path = user_plugins() + "/" + file_name;
  fs::copy_file(built, path, fs::copy_options::overwrite_existing);
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw std::runtime_error(std::string("cannot load extension: ") + dlerror());
  auto entry = reinterpret_cast<int (*)(void*, plugin_info*)>(dlsym(handle, "ReaperPluginEntry"));
  if (!entry) return false;
  loaded_.push_back({path, handle, entry, {}});
  loading_ = &loaded_.back();
  const bool ok = entry(handle, &info_) != 0;
  loading_ = nullptr;
  return ok;
}

void Host::install_sink() { install_and_load(MXSIM_SINK, "reaper_PORTKEEL.dylib"); }

namespace {
// Where the SWS extension's file sits in the user plug-in folder.
constexpr char SWS_FILE[] = "reaper_sws.dylib";
}  // namespace

void Host::install_sws() { install_and_load(MXSIM_SWS, SWS_FILE); }

bool Host::withdraw(const std::string& name) {
  bool any = false;
  for (const char* prefix : {"API_", "APIdef_", "APIvararg_"}) {
    const std::string key = prefix + name;
    for (auto it = api_.begin(); it != api_.end(); ++it) {
      if (it->first != key) continue;
      withdrawn_.push_back(*it);
      api_.erase(it);
      any = true;
      break;
    }
  }
  return any;
}

void Host::remove_sws() {
  for (const Loaded& l : loaded_)
    if (l.path == user_plugins() + "/" + SWS_FILE)
      for (const std::string& name : l.functions) withdraw(name);
}

void Host::restore_withdrawn() {
  for (auto& entry : withdrawn_)
    if (!registered(entry.first)) api_.push_back(std::move(entry));
  withdrawn_.clear();
}

void Host::unload_all() {
  for (auto it = loaded_.rbegin(); it != loaded_.rend(); ++it) it->entry(it->handle, nullptr);
}

void Host::reload_all() {
  for (Loaded& l : loaded_) {
    loading_ = &l;
    l.entry(l.handle, &info_);
  }
  loading_ = nullptr;
}

int Host::plugin_register(const char* name, void* value) {
  if (!name) return 0;
  registrations_.push_back({name, value});
  const bool withdraw = name[0] == '-';
  const std::string key = withdraw ? name + 1 : name;
  for (auto it = api_.begin(); it != api_.end(); ++it) {
    if (it->first == key) {
      api_.erase(it);
      break;
    }
  }
  // The extension's own word replaces what a test withdrew in its name.
  withdrawn_.erase(std::remove_if(withdrawn_.begin(), withdrawn_.end(), [&key](const auto& e) { return e.first == key; }),
                   withdrawn_.end());
  if (!withdraw) api_.emplace_back(key, value);
  if (!withdraw && loading_ && key.rfind("API_", 0) == 0) {
    const std::string function = key.substr(std::strlen("API_"));
    auto& names = loading_->functions;
    if (std::find(names.begin(), names.end(), function) == names.end()) names.push_back(function);
  }
  return 1;
}

void* Host::get_func(const char* name) const {
  if (!name) return nullptr;
  for (const HostFunction& f : host_function_table())
    if (f.name == name) return f.address;
  return registered(std::string("API_") + name);
}

void* Host::registered(const std::string& full_name) const {
  for (const auto& [registered_name, value] : api_)
    if (registered_name == full_name) return value;
  return nullptr;
}

std::vector<ScriptFunction> Host::script_functions() const {
  std::vector<ScriptFunction> out;
  for (const HostFunction& f : host_function_table())
    if (f.name != "plugin_register") out.push_back({f.name, f.apidef.data(), f.vararg});
  for (const auto& [key, value] : api_) {
    if (key.rfind("APIvararg_", 0) != 0) continue;
    const std::string name = key.substr(std::strlen("APIvararg_"));
    for (const auto& [def_key, def] : api_) {
      if (def_key == "APIdef_" + name && def && value) {
        out.push_back({name, static_cast<const char*>(def), reinterpret_cast<void* (*)(void**, int)>(value)});
      }
    }
  }
  return out;
}

void Host::reset_session() {
  session_ = std::make_unique<Session>();
  restore_withdrawn();
  violations_.clear();
  output_capacity = 0;
  for (const auto& clear : reset_hooks()) clear();
}

int run_script_host(int argc, char** argv, const std::string& default_plugin, const std::string& file_name,
                    int (*script)(const ScriptRun&)) {
  const char* runner = argc > 0 ? argv[0] : "mxhost";
  try {
    std::string plugin = default_plugin;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--plugin") == 0) {
      plugin = argv[2];
      first = 3;
    }
    if (first >= argc) {
      std::fprintf(stderr, "usage: %s [--plugin PATH] script [args...]\n", runner);
      return 2;
    }
    Host& host = Host::get();
    host.make_sandbox();
    if (!std::getenv("MXSIM_NO_SINK")) host.install_sink();
    const char* no_sws = std::getenv("MXSIM_NO_SWS");
    const bool with_sws = !no_sws || !*no_sws || std::strcmp(no_sws, "0") == 0;
    if (with_sws) host.install_sws();
    const std::string name = file_name.empty() ? std::filesystem::path(plugin).filename().string() : file_name;
    host.install_and_load(plugin, name);
    const int status = script({with_sws, host.user_plugins() + "/" + name, argc - first, argv + first});
    host.unload_all();
    if (!std::getenv("MXSIM_KEEP_HOME")) host.remove_sandbox();
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", runner, e.what());
    Host::get().remove_sandbox();
    return 2;
  }
}

}  // namespace sim
