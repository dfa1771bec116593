#include "tests/platform/child_program_win.h"

#include <windows.h>

#include "base/utf.h"

namespace varnik_test {
namespace {

std::wstring Widen(const std::string& text) {
  const std::u16string utf16 = nbase::Utf8ToUtf16(text);
  return std::wstring(utf16.begin(), utf16.end());
}

void CloseIfOpen(void*& handle) {
  if (handle != nullptr) CloseHandle(static_cast<HANDLE>(handle));
  handle = nullptr;
}

}  // namespace

ChildProgram::~ChildProgram() {
  Terminate();
  CloseIfOpen(input_);
  CloseIfOpen(output_);
  CloseIfOpen(process_);
}

bool ChildProgram::Start(const std::string& command_line) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE child_in = nullptr, our_in = nullptr, our_out = nullptr, child_out = nullptr;
  if (!CreatePipe(&child_in, &our_in, &inherit, 0)) return false;
  if (!CreatePipe(&our_out, &child_out, &inherit, 0)) {
    CloseHandle(child_in);
    CloseHandle(our_in);
    return false;
  }
  // Only the child's ends are inherited.
  SetHandleInformation(our_in, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(our_out, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = child_in;
  startup.hStdOutput = child_out;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  std::wstring line = Widen(command_line);
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  CloseHandle(child_in);
  CloseHandle(child_out);
  if (!started) {
    CloseHandle(our_in);
    CloseHandle(our_out);
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  input_ = our_in;
  output_ = our_out;
  return true;
}

bool ChildProgram::ReadLine(std::string* line, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      *line = pending_.substr(0, end);
      if (!line->empty() && line->back() == '\r') line->pop_back();
      pending_.erase(0, end + 1);
      return true;
    }
    if (output_ == nullptr) return false;
    DWORD available = 0;
    if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr)) return false;
    if (available == 0) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      // A pipe has no wait with a time-out; poll it briefly.
      Sleep(2);
      continue;
    }
    char buffer[4096];
    DWORD got = 0;
    const DWORD want = available < sizeof(buffer) ? available : sizeof(buffer);
    if (!::ReadFile(output_, buffer, want, &got, nullptr) || got == 0) return false;
    pending_.append(buffer, got);
  }
}

void ChildProgram::CloseInput() { CloseIfOpen(input_); }

int ChildProgram::Wait(std::chrono::milliseconds timeout) {
  if (process_ == nullptr) return -1;
  if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  return GetExitCodeProcess(process_, &code) ? static_cast<int>(code) : -1;
}

void ChildProgram::Terminate() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
  }
}

std::string TestProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.erase(folder.find_last_of(L"\\/") + 1);
  return nbase::Utf16ToUtf8(std::u16string(folder.begin(), folder.end()));
}

}  // namespace varnik_test
