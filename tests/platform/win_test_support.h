// Small helpers for the Windows-only service tests: a private folder of the
// test's own under the system's temporary folder, whole-file reads, and a
// wait for a condition with a watchdog (no fixed sleeps).
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>

namespace varnik_test {

// A fresh folder, removed with its contents at the end. Its name holds the
// process id and a counter, so parallel test programs never share it.
class ScopedWinFolder {
 public:
  ScopedWinFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            (L"varnik-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(++counter));
    std::filesystem::create_directories(path_);
  }
  ~ScopedWinFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::u16string path16() const { return Utf16(path_); }

  static std::u16string Utf16(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    return std::u16string(wide.begin(), wide.end());
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Asks `condition` until it holds or `timeout` passes; true when it held.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The folder of the running test program, where its helper programs lie.
inline std::filesystem::path OwnFolder() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  return std::filesystem::path(std::wstring(path, length)).parent_path();
}

}  // namespace varnik_test
