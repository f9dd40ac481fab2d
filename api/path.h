// Folders stamped with the local time, and plain file access for scripts: listing a
// folder tree by extension, copying, writing and reading text files.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "object/mx_Path.h"

namespace mx_api::path {

// The folder name a time type makes at the local time `when`: 1 name_MMDD_hhmm,
// 2 name_MMDD_hhmmss, 3 name_YYYYMMDD_hhmmss; any other type keeps the name.
std::string stamped_name(const std::string& folderName, int timeType, const std::tm& when);

// Makes basePath/<stamped name> with every missing parent (an existing one is no
// error) and reports the full path and the folder name made. Throws the filesystem's
// error when the folder cannot be made; the outputs are then left alone.
void SetFolderFolder_Common(std::string basePath, const char* folderName, int timeType, std::string& fullPathOut,
                            std::string& folderNameOut);

bool SetPathFolder(const char* folderPath, const char* folderName, int timeType, char* fullPathOut,
                   int fullPathOut_sz);

// Appends every entry below folderPath, folders included, whose extension is
// searchExtension (given without its dot, any letter case), in the order of a depth
// first walk.
bool GetFilePathList(const std::string& folderPath, const std::string& searchExtension,
                     std::vector<std::string>& filePathListOut);

bool SetCopyFile(const char* copyFilePath, const char* pasteFilePath);

// mode 0: overwrite; 1: write to a new file, numbering the name when it is taken
// (take.txt, take(1).txt, ...); 2: append.
bool WriteFile(const char* directory, const char* filename, const char* text, int mode);
bool ReadFile(const char* directory, const char* filename, char* textOutNeedBig, int textOutNeedBig_sz);

// Fills `info` from an existing path: 0, or 1 with ERR_PATH_NOT_FOUND (fields untouched).
int GetPathInfo(std::string path, mx_object::mx_Path& info);

}  // namespace mx_api::path
