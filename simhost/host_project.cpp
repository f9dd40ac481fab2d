// The host's project paths: the record path a project keeps, the folder its media
// goes to, and the resource folder. Each project lives in a folder of its own in the
// sandbox home, <home>/Projects/<n>, made when first asked for.
#include <filesystem>
#include <string>

#include "simhost/host_support.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

int projects_given = 0;

std::string projects_folder() { return Host::get().home() + "/Projects"; }

const reset_hook forget_project_folders{[] {
  projects_given = 0;
  if (!Host::get().home().empty()) {
    std::error_code ignored;
    fs::remove_all(projects_folder(), ignored);
  }
}};

const std::string& project_folder(ReaProject* p) {
  if (p->project_path.empty()) p->project_path = projects_folder() + "/" + std::to_string(++projects_given);
  // Only ever inside a sandbox home, never below the real root.
  std::error_code ignored;
  if (!Host::get().home().empty()) fs::create_directories(p->project_path, ignored);
  return p->project_path;
}

bool GetSetProjectInfo_String(ReaProject* project, const char* desc, char* valuestrNeedBig, bool is_set) {
  ReaProject* p = live_project(project, __func__);
  if (!p || !desc || !valuestrNeedBig || std::string(desc) != "RECORD_PATH") return false;
  if (is_set) {
    if (Host::get().session().refused(p, desc)) return false;
    p->record_path = valuestrNeedBig;
  } else {
    copy_text(valuestrNeedBig, NEED_BIG, p->record_path);
  }
  return true;
}

// The folder the active project records into: its record path, taken from the
// project's folder when relative.
void GetProjectPath(char* bufOut, int bufOut_sz) {
  ReaProject* p = Host::get().session().active();
  const fs::path folder = project_folder(p);
  copy_text(bufOut, bufOut_sz, p->record_path.empty() ? folder.string() : (folder / p->record_path).string());
}

const char* GetResourcePath() {
  static std::string path;
  path = Host::get().resource_path();
  return path.c_str();
}

SIM_HOST_FUNCTION(GetSetProjectInfo_String, "project,desc,valuestrNeedBig,is_set");
SIM_HOST_FUNCTION(GetProjectPath, "bufOut,bufOut_sz");
SIM_HOST_FUNCTION(GetResourcePath, "");

}  // namespace
}  // namespace sim
