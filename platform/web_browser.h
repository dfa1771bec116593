// Opening a web address in the user's browser, without a shell.
//
// On Windows the shell opens it (ShellExecuteW "open"); when that fails,
// Internet Explorer is started with the address as its parameter. On Linux
// "xdg-open" is started with the address as its one argument, then
// "x-www-browser" when the first cannot be started or fails; no shell ever
// sees the address, so none of its characters has a meaning to a shell.
//
// Blocks until the opener has answered (on Linux until the opener program
// ended); the browser itself is never waited for. A second failure is only
// reported, never shown.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// 0 when the first way worked; otherwise the result of the fallback: 0 when
// it worked, else its failure (on Windows the shell's result of 32 or less,
// on Linux the program's exit code or start error).
int32_t OpenInWebBrowser(const std::u16string& address);

}  // namespace platform
