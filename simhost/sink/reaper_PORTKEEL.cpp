// Stand-in for the error-code sink extension: keeps the last code, registers
// GetErrorCode for scripts when the host loads it, and keeps a journal of what it was
// told so tests can tell a code 0 that was set from a reset.
#include <cstddef>
#include <cstdint>
#include <vector>

#define SINK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
int last_code = 0;
std::vector<int> journal;  // codes as set; -1 for a reset
constexpr int RESET = -1;

struct record {
  int caller_version;
  void* hwnd_main;
  int (*Register)(const char* name, void* infostruct);
  void* (*GetFunc)(const char* name);
};
}  // namespace

SINK_EXPORT void SetErrorCode(int code) {
  last_code = code;
  journal.push_back(code);
}

SINK_EXPORT void ResetErrorCode() {
  last_code = 0;
  journal.push_back(RESET);
}

SINK_EXPORT int GetErrorCode() { return last_code; }

// Copies up to `capacity` journal entries, oldest first; returns how many there are.
SINK_EXPORT int SinkJournal(int* out, int capacity) {
  for (int i = 0; out && i < capacity && i < static_cast<int>(journal.size()); ++i) out[i] = journal[static_cast<size_t>(i)];
  return static_cast<int>(journal.size());
}

SINK_EXPORT void SinkClearJournal() { journal.clear(); }

namespace {
const char GET_ERROR_CODE_DEF[] = "int\0\0\0Last error code reported by an extension";
void* get_error_code_vararg(void**, int) { return reinterpret_cast<void*>(static_cast<intptr_t>(last_code)); }
}  // namespace

SINK_EXPORT int ReaperPluginEntry(void*, record* rec) {
  static int (*registered_with)(const char*, void*) = nullptr;
  if (rec) {
    registered_with = rec->Register;
    rec->Register("API_GetErrorCode", reinterpret_cast<void*>(&GetErrorCode));
    rec->Register("APIdef_GetErrorCode", const_cast<char*>(GET_ERROR_CODE_DEF));
    rec->Register("APIvararg_GetErrorCode", reinterpret_cast<void*>(&get_error_code_vararg));
    return 1;
  }
  if (registered_with) {
    registered_with("-API_GetErrorCode", reinterpret_cast<void*>(&GetErrorCode));
    registered_with("-APIdef_GetErrorCode", nullptr);
    registered_with("-APIvararg_GetErrorCode", reinterpret_cast<void*>(&get_error_code_vararg));
  }
  return 0;
}
