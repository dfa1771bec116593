#include <windows.h>
// windows.h first: the shell header builds on its types.
#include <shellapi.h>

#include <cstdint>

#include "platform/web_browser.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

// ShellExecuteW answers with a number above 32 on success.
int32_t ShellResult(HINSTANCE result) {
  const auto code = static_cast<int32_t>(reinterpret_cast<intptr_t>(result));
  return code > 32 ? 0 : (code == 0 ? ERROR_OUTOFMEMORY : code);
}

}  // namespace

int32_t OpenInWebBrowser(const std::u16string& address) {
  const std::wstring wide = ToWide(address);
  if (ShellResult(ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOW)) == 0) {
    return 0;
  }
  return ShellResult(
      ShellExecuteW(nullptr, L"open", L"IEXPLORE.EXE", wide.c_str(), nullptr, SW_SHOW));
}

}  // namespace platform
