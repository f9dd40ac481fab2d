// Where the host records: the project's record path, and stamped folders made under
// the project path or the host's resource folder.
#pragma once

#include "plugin/host_api.h"

namespace mx_api::project {

// Stores `path` as the record path and reports the one it replaces.
bool SetProjectInfoRecPath(ReaProject* projID, const char* path, char* beforePathOut, int beforePathOut_sz);
// Joins `path` to the record path; the stored path is what afterPathOut receives.
bool SetProjectInfoRecAddPath(ReaProject* projID, const char* path, char* beforePathOut, int beforePathOut_sz,
                              char* afterPathOut, int afterPathOut_sz);

bool SetProjectPathFolder(const char* folderName, int timeType, char* fullPathOut, int fullPathOut_sz,
                          char* addPathOut, int addPathOut_sz);
bool SetResoucePathFolder(const char* folderName, int timeType, char* fullPathOut, int fullPathOut_sz,
                          char* addPathOut, int addPathOut_sz);

}  // namespace mx_api::project
