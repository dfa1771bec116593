// The peer of the Windows installer's start-up figures: the least a Win32
// program needs to show one line of Chinese text with GDI+. It starts GDI+,
// opens a 600 x 400 pop-up window, draws one frame (white, one text line on
// the installer's CJK fallback face) with GDI+ in its first WM_PAINT and
// writes "first frame presented" to standard error, as the installer does
// with VARNIK_DEBUG=1. Then it runs its message loop until the window is
// closed or the process is ended.
#include <windows.h>
#include <objidl.h>  // GDI+ needs IStream declared first
#include <gdiplus.h>

#include <cstring>

namespace {

bool g_frame_noted = false;

void NoteFirstFrame() {
  if (g_frame_noted) return;
  g_frame_noted = true;
  static const char kLine[] = "first frame presented\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), kLine, sizeof kLine - 1, &written, nullptr);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      {
        Gdiplus::Graphics graphics(dc);
        graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
        Gdiplus::FontFamily family(L"WenQuanYi Micro Hei");
        Gdiplus::Font font(family.IsAvailable() ? &family : Gdiplus::FontFamily::GenericSansSerif(),
                           16, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        Gdiplus::SolidBrush brush(Gdiplus::Color(255, 51, 51, 51));
        graphics.DrawString(L"VarnikPDF转换器 立即安装", -1, &font, Gdiplus::PointF(20, 20), &brush);
      }
      EndPaint(hwnd, &paint);
      GdiFlush();
      NoteFirstFrame();
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = L"VarnikFirstFramePeer";
  RegisterClassW(&window_class);
  HWND hwnd = CreateWindowExW(0, window_class.lpszClassName, L"first frame peer", WS_POPUP,
                              CW_USEDEFAULT, CW_USEDEFAULT, 600, 400, nullptr, nullptr, instance,
                              nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  Gdiplus::GdiplusShutdown(token);
  return 0;
}
