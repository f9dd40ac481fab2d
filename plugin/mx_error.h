// Error codes, the exception that carries one inside an operation, and the call frame
// that turns it into a code in the sink. No exception leaves an operation.
#pragma once

#include <cstdint>
#include <exception>

#include "plugin/Bridge_IF.h"

namespace mx_error {

enum mx_errorCode : int32_t {
  ERR_NONE = 0,
  ERR_UNKNOWN = 1,
  ERR_INVALID_TRACK = 10,
  ERR_INVALID_MEDIA_ITEM = 11,
  ERR_NO_ACTIVE_TAKE = 12,
  ERR_NO_SOURCE = 13,
  ERR_SET_FAILED = 14,
  ERR_INVALID_VALUE = 15,
  ERR_DELETE_FAILED = 16,
  ERR_MOVE_FAILED = 17,
  ERR_NO_PEAKS = 18,
  ERR_INVALID_SELECT_TYPE = 19,
  ERR_NOT_ALL_TRACKS = 21,
  ERR_FILE_OPEN = 22,
  ERR_INVALID_ARGUMENT = 23,
  ERR_NOT_ALL_REGIONS = 24,
  ERR_SWS_NOT_INSTALLED = 25,
  ERR_NOT_ALL_ITEMS = 26,
  ERR_LOUDNESS_ANALYSIS = 28,
  ERR_PATH_NOT_FOUND = 30,
  ERR_NOT_DIRECTORY = 31,
  ERR_JSON_PARSE = 32,
  ERR_JSON_SERIALIZE = 33,
  ERR_GET_NAME_FAILED = 34,
};

class CommonExeption : public std::exception {
 public:
  explicit CommonExeption(mx_errorCode c) noexcept : code(c) {}
  mx_errorCode code;
};

[[noreturn]] inline void raise(mx_errorCode code) { throw CommonExeption(code); }

// Ends an operation whose inner call has already left its code in the sink.
struct already_reported {};
[[noreturn]] inline void fail_as_reported() { throw already_reported{}; }

// The call frame: clears the sink, runs the work, and reports whatever the work raised.
// `work` returns the success value; `failure` is what the caller sees otherwise.
template <class R, class Work>
R frame(R failure, Work&& work) noexcept {
  try {
    Bridge_IF::reset_errorCode();
    return work();
  } catch (const CommonExeption& e) {
    Bridge_IF::set_errorCode(e.code);
  } catch (const already_reported&) {
  } catch (...) {
    Bridge_IF::set_errorCode(ERR_UNKNOWN);
  }
  return failure;
}

// The frame of operations whose success value is `true`.
template <class Work>
bool frame(Work&& work) noexcept {
  return frame(false, [&] {
    work();
    return true;
  });
}

// Writes an output the caller asked for; a caller passing no storage gets nothing.
template <class T, class V>
inline void put(T* out, V value) noexcept {
  if (out) *out = static_cast<T>(value);
}

}  // namespace mx_error
