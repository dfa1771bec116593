#include <windows.h>

#include "platform/error_codes.h"
#include "platform/named_mutex.h"
#include "platform/wide_text_win.h"

namespace platform {

NamedMutex::~NamedMutex() { Release(); }

void NamedMutex::Release() {
  if (handle_ != kNoHandle) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kNoHandle;
}

int32_t NamedMutex::Create(std::u16string_view name) {
  Release();
  if (name.empty() || name.find(u'\0') != std::u16string_view::npos) return kErrorInvalidParameter;
  const std::wstring wide = ToWide(name);
  // Owned from the start, in the session's namespace; the system releases it
  // when this process ends in any way.
  HANDLE mutex = CreateMutexW(nullptr, TRUE, wide.c_str());
  const DWORD error = GetLastError();
  if (mutex == nullptr) return error != 0 ? static_cast<int32_t>(error) : kErrorAccessDenied;
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return kErrorAlreadyExists;
  }
  handle_ = reinterpret_cast<intptr_t>(mutex);
  return kErrorSuccess;
}

}  // namespace platform
