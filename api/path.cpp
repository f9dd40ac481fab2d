#include "api/path.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "plugin/api_registry.h"
#include "plugin/mx_error.h"
#include "utility/mx_utility.h"

namespace fs = std::filesystem;

namespace mx_api::path {

using namespace mx_error;

namespace {

// A script's path text as the file system names it.
fs::path native(const char* text) { return mx_utility::utf8_to_multi(mx_utility::text(text)); }

bool taken(const fs::path& file) { return fs::exists(fs::symlink_status(file)); }

// The counter goes into the last component only, so sub/take.txt becomes
// sub/take(1).txt. A name is taken when anything exists there, even a file this
// process cannot read: such a file must never be overwritten.
fs::path first_free(const fs::path& file) {
  if (!taken(file)) return file;
  const auto [stem, extension] = mx_utility::split_extension(file.filename().string());
  for (long n = 1;; ++n) {
    const fs::path numbered = file.parent_path() / (stem + "(" + std::to_string(n) + ")." + extension);
    if (!taken(numbered)) return numbered;
  }
}

bool inside(const fs::path& folder, const fs::path& path) {
  const fs::path outer = fs::weakly_canonical(folder), inner = fs::weakly_canonical(path);
  return std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end()).first == outer.end();
}

}  // namespace

std::string stamped_name(const std::string& folderName, int timeType, const std::tm& when) {
  const char* format = nullptr;
  switch (timeType) {
    case 1: format = "_%m%d_%H%M"; break;
    case 2: format = "_%m%d_%H%M%S"; break;
    case 3: format = "_%Y%m%d_%H%M%S"; break;
    default: return folderName;
  }
  char stamp[64] = {0};
  std::strftime(stamp, sizeof stamp, format, &when);
  return folderName + stamp;
}

void SetFolderFolder_Common(std::string basePath, const char* folderName, int timeType, std::string& fullPathOut,
                            std::string& folderNameOut) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string name = stamped_name(mx_utility::text(folderName), timeType, local);
  const std::string full = (fs::path(basePath) / name).string();
  fs::create_directories(mx_utility::utf8_to_multi(full));
  fullPathOut = full;
  folderNameOut = name;
}

bool SetPathFolder(const char* folderPath, const char* folderName, int timeType, char* fullPathOut,
                   int fullPathOut_sz) {
  return frame([&] {
    std::string full, name;
    SetFolderFolder_Common(mx_utility::text(folderPath), folderName, timeType, full, name);
    mx_utility::strcpy(fullPathOut, fullPathOut_sz, full);
  });
}

bool GetFilePathList(const std::string& folderPath, const std::string& searchExtension,
                     std::vector<std::string>& filePathListOut) {
  return frame([&] {
    const fs::path folder = mx_utility::utf8_to_multi(folderPath);
    std::error_code missing;
    if (!fs::is_directory(fs::status(folder, missing))) raise(ERR_NOT_DIRECTORY);
    const std::string wanted = "." + searchExtension;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
      if (mx_utility::Stricmp(entry.path().extension().c_str(), wanted.c_str()))
        filePathListOut.push_back(mx_utility::multi_to_utf8(entry.path().string()));
    }
  });
}

bool SetCopyFile(const char* copyFilePath, const char* pasteFilePath) {
  return frame([&] {
    const fs::path from = native(copyFilePath), to = native(pasteFilePath);
    // A folder copied into itself would copy its own copy again, level after level,
    // until the path grows too long.
    if (fs::is_directory(from) && inside(from, to)) raise(ERR_INVALID_ARGUMENT);
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  });
}

bool WriteFile(const char* directory, const char* filename, const char* text, int mode) {
  return frame([&] {
    const fs::path folder = native(directory);
    if (!folder.empty() && !fs::exists(fs::status(folder))) fs::create_directories(folder);
    const fs::path joined = folder / native(filename);
    fs::path file = joined;
    std::ios::openmode open = std::ios::binary | std::ios::out;
    switch (mode) {
      case 0: open |= std::ios::trunc; break;
      case 1: file = first_free(joined), open |= std::ios::trunc; break;
      case 2: open |= std::ios::app; break;
      default: raise(ERR_INVALID_ARGUMENT);
    }
    std::ofstream out(file, open);
    if (!out) raise(ERR_FILE_OPEN);
    out << mx_utility::text(text);
    out.close();
    if (out.fail()) raise(ERR_UNKNOWN);  // opened, but the text did not reach the file
  });
}

bool ReadFile(const char* directory, const char* filename, char* textOutNeedBig, int textOutNeedBig_sz) {
  return frame([&] {
    const fs::path file = native(directory) / native(filename);
    std::error_code unknown;
    if (fs::is_directory(file, unknown)) raise(ERR_FILE_OPEN);
    std::ifstream in(file, std::ios::binary);
    if (!in) raise(ERR_FILE_OPEN);
    // Read only what the buffer holds. Every line ends with a line end, the last one
    // too, which is the same as adding one when the whole text lacks it at its end.
    const size_t fits = textOutNeedBig_sz > 0 ? static_cast<size_t>(textOutNeedBig_sz) - 1 : 0;
    std::string text;
    char chunk[1 << 16];
    while (text.size() < fits && in) {
      in.read(chunk, static_cast<std::streamsize>(std::min(sizeof chunk, fits - text.size())));
      text.append(chunk, static_cast<size_t>(in.gcount()));
    }
    if (in.bad()) raise(ERR_UNKNOWN);
    if (!text.empty() && text.back() != '\n' && in.peek() == std::ifstream::traits_type::eof()) text += '\n';
    mx_utility::strcpy(textOutNeedBig, textOutNeedBig_sz, text);
  });
}

int GetPathInfo(std::string path, mx_object::mx_Path& info) {
  return mx_error::frame(1, [&] {
    if (const int code = info.read_path(path)) raise(static_cast<mx_errorCode>(code));
    return 0;
  });
}

namespace {
MX_FAMILY("Paths and files");
const mx_plugin::registrar definitions[] = {
    MX_DEF_LIST(100, GetPathInfo, "void", "const char*,PathInfo*", "filePath,pathInfoOut", "Get path infomation object"),
    MX_DEF(64, SetPathFolder, flag_void, "folderPath,folderName,timeType,fullPathOut,fullPathOut_sz",
           "Set Path Folder"),
    MX_DEF(65, SetCopyFile, flag_void, "copyFilePath,pasteFilePath", "Copy File"),
    MX_DEF(79, WriteFile, flag_void, "directory,filename,text,mode",
           "Write text in file. mode 0: override, 1: create new file , 2: append"),
    MX_DEF(80, ReadFile, flag_void, "directory,filename,textOutNeedBig,textOutNeedBig_sz",
           "Read whole text file. Every line ends with a line break; a text longer than the buffer is cut"),
    MX_DEF_LIST(112, GetFilePathList, "void", "const char*,const char*,StringArray*",
                "folderPath,searchExtension,filePathListOut", "Get file path list"),
};
}  // namespace

}  // namespace mx_api::path
