#include "api/project.h"

#include <filesystem>
#include <string>
#include <vector>

#include "api/path.h"
#include "plugin/api_registry.h"
#include "plugin/mx_error.h"
#include "plugin/project_check.h"
#include "utility/mx_utility.h"

namespace mx_api::project {

using namespace mx_error;
using mx_plugin::checked_project;

namespace {

// Paths travel to and from the host in buffers of this size.
constexpr size_t PATH_BUFFER = 1024;
// The host fills a "NeedBig" buffer without being told its size; it is given room for
// far more than it writes, and what it wrote is then kept to a path buffer.
constexpr size_t NEED_BIG = 1 << 20;

std::string record_path(ReaProject* projID) {
  std::vector<char> buffer(NEED_BIG, '\0');
  GetSetProjectInfo_String(checked_project(projID), "RECORD_PATH", buffer.data(), false);
  buffer.back() = '\0';
  return std::string(buffer.data()).substr(0, PATH_BUFFER - 1);
}

void store_record_path(ReaProject* projID, std::string path) {
  if (!GetSetProjectInfo_String(checked_project(projID), "RECORD_PATH", path.data(), true)) raise(ERR_SET_FAILED);
}

template <class Base>
bool folder_under(Base base, const char* folderName, int timeType, char* fullPathOut, int fullPathOut_sz,
                  char* addPathOut, int addPathOut_sz) {
  return frame([&] {
    std::string full, added;
    path::SetFolderFolder_Common(base(), folderName, timeType, full, added);
    mx_utility::strcpy(fullPathOut, fullPathOut_sz, full);
    mx_utility::strcpy(addPathOut, addPathOut_sz, added);
  });
}

}  // namespace

bool SetProjectInfoRecPath(ReaProject* projID, const char* path, char* beforePathOut, int beforePathOut_sz) {
  return frame([&] {
    mx_utility::strcpy(beforePathOut, beforePathOut_sz, record_path(projID));
    store_record_path(projID, mx_utility::text(path).substr(0, PATH_BUFFER - 1));
  });
}

bool SetProjectInfoRecAddPath(ReaProject* projID, const char* path, char* beforePathOut, int beforePathOut_sz,
                              char* afterPathOut, int afterPathOut_sz) {
  return frame([&] {
    const std::string before = record_path(projID);
    mx_utility::strcpy(beforePathOut, beforePathOut_sz, before);
    std::string after = (std::filesystem::path(before) / mx_utility::text(path)).string();
    mx_utility::strcpy(afterPathOut, afterPathOut_sz, after);
    // What the script is shown is what is stored, so a short buffer shortens both.
    if (afterPathOut && afterPathOut_sz > 0) after = afterPathOut;
    store_record_path(projID, after);
  });
}

bool SetProjectPathFolder(const char* folderName, int timeType, char* fullPathOut, int fullPathOut_sz,
                          char* addPathOut, int addPathOut_sz) {
  const auto project_path = [] {
    char buffer[PATH_BUFFER] = {0};
    GetProjectPath(buffer, sizeof buffer);
    buffer[PATH_BUFFER - 1] = '\0';
    return std::string(buffer);
  };
  return folder_under(project_path, folderName, timeType, fullPathOut, fullPathOut_sz, addPathOut, addPathOut_sz);
}

bool SetResoucePathFolder(const char* folderName, int timeType, char* fullPathOut, int fullPathOut_sz,
                          char* addPathOut, int addPathOut_sz) {
  const auto resource_path = [] { return mx_utility::text(GetResourcePath()); };
  return folder_under(resource_path, folderName, timeType, fullPathOut, fullPathOut_sz, addPathOut, addPathOut_sz);
}

namespace {
MX_FAMILY("Project paths");
const mx_plugin::registrar definitions[] = {
    MX_DEF(60, SetProjectInfoRecPath, flag_void, "projID,path,beforePathOut,beforePathOut_sz",
           "Set ProjectInfo RecPath"),
    MX_DEF(61, SetProjectInfoRecAddPath, flag_void,
           "projID,path,beforePathOut,beforePathOut_sz,afterPathOut,afterPathOut_sz", "Set ProjectInfo RecAddPath"),
    MX_DEF(62, SetProjectPathFolder, flag_void, "folderName,timeType,fullPathOut,fullPathOut_sz,addPathOut,addPathOut_sz",
           "Set ProjectPath Folder"),
    MX_DEF(63, SetResoucePathFolder, flag_void,
           "folderName,timeType,fullPathOut,fullPathOut_sz,addPathOut,addPathOut_sz", "Set ResoucePath Folder"),
};
}  // namespace

}  // namespace mx_api::project
