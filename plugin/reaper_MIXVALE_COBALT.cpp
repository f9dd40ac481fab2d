#include "plugin/reaper_MIXVALE_COBALT.h"

#include "plugin/Bridge_IF.h"
#include "plugin/api_define.h"
#include "utility/mx_app.h"
#include "utility/mx_utility.h"

namespace mx_app_def {
const char* PROGRAM_NAME = "MIXVALE_COBALT";
const char* VERSION = "1.1.2";
}  // namespace mx_app_def

reaper_plugin_info_t* reaper_plugin = nullptr;
bool imported = false;

void roadApi() {
  for (api_define& def : api_define_list()) {
    def.set_str();
    plugin_register(def.api_name.c_str(), def.func);
    plugin_register(def.apidef_name.c_str(), def.apidef.data());
    plugin_register(def.apivararg_name.c_str(), def.vararg_func);
  }
}

namespace {

int load(reaper_plugin_info_t* rec) {
  mx_app::choose_catalogue();
  imported = true;
  Bridge_IF::bridge_init();
  if (rec->GetFunc) REAPERAPI_LoadAPI(rec->GetFunc);
  reaper_plugin = rec;
  roadApi();
  return 1;
}

int unload() {
  if (imported) {
    for (api_define& def : api_define_list()) {
      plugin_register(def.api_unreg_name.c_str(), def.func);
      plugin_register(def.apidef_unreg_name.c_str(), nullptr);
      plugin_register(def.apivararg_unreg_name.c_str(), def.vararg_func);
    }
    reaper_plugin = nullptr;
  }
  return 0;
}

}  // namespace

int ReaperPluginEntry(void*, reaper_plugin_info_t* rec) {
  // The host gets a plain answer whatever happens inside; a load that failed midway
  // reports 0 so the host does not count on the registrations.
  try {
    return rec ? load(rec) : unload();
  } catch (...) {
    return 0;
  }
}

void get_version(char* buffer, int size) { mx_utility::strcpy(buffer, size, mx_app_def::VERSION); }
