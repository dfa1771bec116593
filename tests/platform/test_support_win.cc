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

PrivateUserRegistry::PrivateUserRegistry() {
  const std::string name = "Software\\VarnikTests\\user-" + std::to_string(GetCurrentProcessId()) +
                           "-" + std::to_string(GetTickCount64());
  key_ = nbase::Utf8ToUtf16(name);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Widen(name).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegOverridePredefKey(HKEY_CURRENT_USER, key);
    RegCloseKey(key);
  }
}

PrivateUserRegistry::~PrivateUserRegistry() {
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  const std::wstring name(key_.begin(), key_.end());
  RegDeleteTreeW(HKEY_CURRENT_USER, name.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, name.c_str());
}

}  // namespace varnik_test
