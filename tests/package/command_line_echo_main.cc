// varnik_cmdline_echo: a small Windows program that the process tests start.
// It writes the raw command line it was started with (GetCommandLineW, as
// UTF-16 code units) to a file beside itself named after its own file plus
// ".cmdline", then exits with the code given in VARNIK_ECHO_EXIT_CODE (0 when
// unset), or, when VARNIK_ECHO_WAIT is set, waits until it is ended from
// outside. A copy under another name (the package's name, say) writes beside
// that copy.
#include <windows.h>

#include <cwchar>
#include <string>

int wmain() {
  wchar_t own_path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, own_path, MAX_PATH * 4);
  if (length == 0 || length >= MAX_PATH * 4) return 100;
  const std::wstring record = std::wstring(own_path, length) + L".cmdline";
  const wchar_t* command_line = GetCommandLineW();
  HANDLE file = CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 101;
  DWORD written = 0;
  const DWORD bytes = static_cast<DWORD>(std::wcslen(command_line) * sizeof(wchar_t));
  const bool ok = WriteFile(file, command_line, bytes, &written, nullptr) && written == bytes;
  CloseHandle(file);
  if (!ok) return 102;

  wchar_t value[32];
  if (GetEnvironmentVariableW(L"VARNIK_ECHO_WAIT", value, 32) != 0) {
    Sleep(INFINITE);
  }
  if (GetEnvironmentVariableW(L"VARNIK_ECHO_EXIT_CODE", value, 32) != 0) {
    return static_cast<int>(std::wcstol(value, nullptr, 10));
  }
  return 0;
}
