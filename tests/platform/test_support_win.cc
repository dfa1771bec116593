#include "tests/platform/test_support.h"

#include <windows.h>

#include <cstdlib>
#include <random>

#include "base/utf.h"

namespace varnik_test {
namespace {

std::wstring Widen(const std::string& text) {
  const std::u16string utf16 = nbase::Utf8ToUtf16(text);
  return std::wstring(utf16.begin(), utf16.end());
}

}  // namespace

ScopedTempDir::ScopedTempDir() {
  wchar_t base[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, base);
  if (length == 0 || length > MAX_PATH) return;
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring candidate =
        std::wstring(base) + L"varnik-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
        std::to_wstring(random());
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = nbase::Utf16ToUtf8(std::u16string(candidate.begin(), candidate.end()));
      return;
    }
  }
}

// _wputenv_s changes the C library's copy, which the product reads with
// getenv, and the process environment that child processes inherit.
ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_value_ = old != nullptr;
  if (had_value_) old_value_ = old;
  _wputenv_s(Widen(name_).c_str(), value != nullptr ? Widen(value).c_str() : L"");
}

ScopedEnv::~ScopedEnv() {
  _wputenv_s(Widen(name_).c_str(), had_value_ ? Widen(old_value_).c_str() : L"");
}

}  // namespace varnik_test
