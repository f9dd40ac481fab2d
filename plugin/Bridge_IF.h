// Binding to the error-code sink extension, which keeps the last failure's code.
#pragma once

namespace Bridge_IF {

extern void (*_set_errorCode)(int code);
extern void (*_reset_errorCode)();
extern int (*_get_errorCode)();

// Opens the sink at its fixed place under the user's home folder and binds its three
// functions; a missing sink leaves every report silently dropped.
void bridge_init();

void set_errorCode(int code) noexcept;
void reset_errorCode() noexcept;
int get_errorCode() noexcept;

}  // namespace Bridge_IF
