#include <windows.h>

#include <string>

#include "platform/command_line.h"
#include "platform/process_launcher.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

// Starts the command line as it is: the system hands the very text to the
// program, which reads it with GetCommandLineW. 0 or the start error.
int32_t StartProcess(const std::u16string& command_line, STARTUPINFOW* startup,
                     PROCESS_INFORMATION* process) {
  if (SplitCommandLine(command_line).empty()) return ERROR_INVALID_PARAMETER;
  std::wstring writable = ToWide(command_line);  // CreateProcessW may change it.
  startup->cb = sizeof(*startup);
  if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, /*inherit handles=*/FALSE, 0,
                      nullptr, nullptr, startup, process)) {
    return static_cast<int32_t>(GetLastError());
  }
  return 0;
}

}  // namespace

int32_t RunAndWait(const std::u16string& command_line) {
  STARTUPINFOW startup = {};
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  const int32_t start_error = StartProcess(command_line, &startup, &process);
  if (start_error != 0) return start_error;
  int32_t result = kNoExitCode;
  DWORD exit_code = 0;
  if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
      GetExitCodeProcess(process.hProcess, &exit_code)) {
    result = static_cast<int32_t>(exit_code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

int32_t LaunchDetached(const std::u16string& command_line) {
  STARTUPINFOW startup = {};
  PROCESS_INFORMATION process = {};
  const int32_t start_error = StartProcess(command_line, &startup, &process);
  if (start_error != 0) return start_error;
  // Nothing ties the program to us once its handles are closed.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

}  // namespace platform
