// The demo product application "vidIvurodezirarod.exe" for Windows: a small
// program that stands for the installed product. It shows a window with the
// product's name, accepts "--install" (the installer starts it so after a
// successful installation) and runs until its window is closed or the
// process is ended.
//
// When VARNIK_PRODUCT_APP_RECORD names a file, every start appends one line
// (UTF-8) with its command line after the program's own name, so tests and
// the demo can see how the application was started.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr wchar_t kTitle[] = L"VarnikPDF\u8f6c\u6362\u5668";

// The command line's arguments: everything after the program's name, which
// is quoted or ends at the first blank.
std::wstring Arguments() {
  const wchar_t* line = GetCommandLineW();
  if (*line == L'"') {
    ++line;
    while (*line && *line != L'"') ++line;
    if (*line) ++line;
  } else {
    while (*line && *line != L' ' && *line != L'\t') ++line;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

void RecordStart(const std::wstring& arguments) {
  wchar_t record[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"VARNIK_PRODUCT_APP_RECORD", record, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, arguments.c_str(),
                                        static_cast<int>(arguments.size()), nullptr, 0, nullptr,
                                        nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, arguments.c_str(), static_cast<int>(arguments.size()),
                      utf8.data(), bytes, nullptr, nullptr);
  utf8 += "\n";
  HANDLE file = CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int main() {
  const std::wstring arguments = Arguments();
  RecordStart(arguments);
  const bool first_start = arguments.find(L"--install") != std::wstring::npos;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &WindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = L"VarnikProductApp";
  RegisterClassExW(&window_class);
  HWND window = CreateWindowExW(0, window_class.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 480, 320, nullptr, nullptr,
                                window_class.hInstance, nullptr);
  if (window) {
    CreateWindowExW(0, L"STATIC",
                    first_start ? L"VarnikPDF\u8f6c\u6362\u5668 (first start after installation)"
                                : kTitle,
                    WS_CHILD | WS_VISIBLE, 20, 20, 420, 40, window, nullptr,
                    window_class.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
  }
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
