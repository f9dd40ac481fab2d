// The simulated host: the registry extensions register into, the function lookup, the
// loading of extensions from the user plug-in folder of a sandbox home, and the session.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "simhost/model.h"

namespace sim {

struct plugin_info {
  int caller_version;
  void* hwnd_main;
  int (*Register)(const char* name, void* infostruct);
  void* (*GetFunc)(const char* name);
};

struct Registration {
  std::string name;
  void* value;
};

// A script-callable function as the bridge sees it: registered by an extension
// (APIdef_ and APIvararg_) or offered by the host itself.
struct ScriptFunction {
  std::string name;
  const char* apidef;
  void* (*vararg)(void**, int);
};

// State a host area keeps outside the Session registers how to clear it; every session
// reset runs these.
struct reset_hook {
  explicit reset_hook(std::function<void()> clear);
};

class Host {
 public:
  static Host& get();

  // Lays out <home>/Library/Application Support/REAPER/UserPlugins and points HOME at it.
  void make_sandbox();
  void remove_sandbox();
  const std::string& home() const { return home_; }
  std::string resource_path() const;
  std::string user_plugins() const;

  // Copies a built library into the user plug-in folder under `file_name` and loads it
  // as the host does: dlopen, then ReaperPluginEntry with the host record.
  bool install_and_load(const std::string& built, const std::string& file_name);
  // The error-code sink stand-in, installed as reaper_PORTKEEL.dylib.
  void install_sink();
  // The SWS extension stand-in, installed as reaper_sws.dylib.
  void install_sws();

  // Withdraws a function an extension registered (its API_, APIdef_ and APIvararg_
  // entries), as if that extension were an older one without it; false when nothing
  // was registered under `name`. remove_sws withdraws every function of the SWS
  // stand-in; restore_withdrawn puts back all that were withdrawn (every session
  // reset does).
  bool withdraw(const std::string& name);
  void remove_sws();
  void restore_withdrawn();
  void unload_all();
  void reload_all();

  int plugin_register(const char* name, void* value);
  void* get_func(const char* name) const;
  // The value currently registered under a full registration name, or null.
  void* registered(const std::string& full_name) const;

  const std::vector<Registration>& registrations() const { return registrations_; }
  void clear_registrations() { registrations_.clear(); }
  std::vector<ScriptFunction> script_functions() const;

  Session& session() { return *session_; }
  void reset_session();

  // Calls from an extension that named a dead or mistyped object, counted so tests
  // can show that the plug-in checks pointers before handing them to the host.
  void note_violation(const std::string& what) { violations_.push_back(what); }
  std::vector<std::string> take_violations() { return std::exchange(violations_, {}); }

  // Capacity the script bridge gives char* outputs (0: the host's defaults).
  int output_capacity = 0;

 private:
  Host();
  struct Loaded {
    std::string path;
    void* handle;
    int (*entry)(void*, plugin_info*);
    std::vector<std::string> functions;  // names it registered API_ entries for
  };
  std::vector<Loaded> loaded_;
  Loaded* loading_ = nullptr;  // the extension whose entry point is running
  std::vector<std::pair<std::string, void*>> withdrawn_;
  std::vector<Registration> registrations_;
  std::vector<std::pair<std::string, void*>> api_;  // active registrations by full name
  std::unique_ptr<Session> session_;
  std::vector<std::string> violations_;
  std::string home_;
  plugin_info info_;
};

// What the command-line runners share: `runner [--plugin PATH] script [args...]`, a
// sandbox home with the error-code sink (unless MXSIM_NO_SINK) and the SWS extension
// (unless MXSIM_NO_SWS=1), the plug-in loaded under `file_name` (empty: its own name), and
// the sandbox removed afterwards unless MXSIM_KEEP_HOME. `script` runs the script, given
// the arguments from the script's name on, and answers the exit status; 2 is the runner's
// own failure.
struct ScriptRun {
  bool with_sws;
  std::string plugin_path;  // the loaded copy in the user plug-in folder
  int argc;
  char** argv;
};
int run_script_host(int argc, char** argv, const std::string& default_plugin, const std::string& file_name,
                    int (*script)(const ScriptRun&));

}  // namespace sim
