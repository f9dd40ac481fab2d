// Entry point, globals of the load cycle and the version query.
#pragma once

#include "plugin/export.h"
#include "plugin/host_api.h"

namespace mx_app_def {
extern const char* PROGRAM_NAME;
extern const char* VERSION;
}  // namespace mx_app_def

// The host record from load to unload; SWS functions are looked up through it per call.
extern reaper_plugin_info_t* reaper_plugin;
extern bool imported;

// Builds every definition string and registers each definition three times.
void roadApi();

MX_EXPORT int ReaperPluginEntry(void* hInstance, reaper_plugin_info_t* rec);
MX_EXPORT void get_version(char* buffer, int size);
