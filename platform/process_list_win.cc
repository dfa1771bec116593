#include <windows.h>
// windows.h first: the tool-help header builds on its types.
#include <tlhelp32.h>

#include <algorithm>

#include "platform/process_list.h"
#include "platform/wide_text_win.h"

namespace platform {

std::vector<pid_t> ListProcessesByName(const std::u16string& name) {
  std::vector<pid_t> found;
  if (name.empty()) return found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  const DWORD self = GetCurrentProcessId();
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID != self && FromWide(entry.szExeFile) == name) {
      found.push_back(static_cast<pid_t>(entry.th32ProcessID));
    }
  }
  CloseHandle(snapshot);
  std::sort(found.begin(), found.end());
  return found;
}

int32_t FindProcesses(const std::u16string& name, bool terminate) {
  const std::vector<pid_t> found = ListProcessesByName(name);
  if (terminate) {
    for (pid_t id : found) {
      // A process we may not open or end stays counted.
      HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(id));
      if (process == nullptr) continue;
      TerminateProcess(process, 0);
      CloseHandle(process);
    }
  }
  return static_cast<int32_t>(found.size());
}

}  // namespace platform
