#include "ui/backend/win32/win32_native_window.h"

#include <imm.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "base/utf.h"
#include "platform/debug_output.h"
#include "ui/backend/win32/gdiplus_canvas.h"
#include "ui/core/control.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/event_args.h"
#include "ui/core/image_step_builder.h"
#include "ui/core/window.h"
#include "ui/paint/paint_list.h"

namespace ui {

namespace {

constexpr wchar_t kWindowClass[] = L"VarnikWindow";
// The skin's drop shadow, relative to the window's layout; its corner at
// 100 % is also how far it reaches past the client area.
constexpr char16_t kShadowImage[] = u"file='../public/bk/bk_shadow.png' corner='30,30,30,30'";
constexpr int32_t kShadowCorner = 30;

void RegisterWindowClassOnce(WNDPROC procedure) {
  static std::once_flag once;
  std::call_once(once, [procedure] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = kWindowClass;
    RegisterClassExW(&window_class);
  });
}

std::wstring ToWide(const std::string& utf8) {
  const std::u16string text = nbase::Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text(buffer, buffer + length);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
  return "error " + std::to_string(code) + (text.empty() ? "" : ": " + nbase::Utf16ToUtf8(text));
}

}  // namespace

std::u16string Win32NativeWindow::ReadClipboardText() {
  std::u16string text;
  if (!OpenClipboard(hwnd_)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const char16_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void Win32NativeWindow::WriteClipboardText(const std::u16string& text) {
  if (!OpenClipboard(hwnd_)) return;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(char16_t);
  if (HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* chars = GlobalLock(data)) {
      std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<char16_t*>(chars));
      GlobalUnlock(data);
      if (!SetClipboardData(CF_UNICODETEXT, data)) GlobalFree(data);
    } else {
      GlobalFree(data);
    }
  }
  CloseClipboard();
}

Win32NativeWindow::Win32NativeWindow(Window* window) : NativeWindow(window) {}

Win32NativeWindow::~Win32NativeWindow() { Destroy(); }

Size Win32NativeWindow::WindowSizeFor(Size client) const {
  return Size{client.cx + 2 * shadow_margin_, client.cy + 2 * shadow_margin_};
}

bool Win32NativeWindow::Create(NativeWindow* owner, const std::string& title) {
  if (hwnd_) return true;
  RegisterWindowClassOnce(&Win32NativeWindow::WindowProc);
  // Windows of one build are all of its backend.
  Win32NativeWindow* win32_owner = Of(owner);
  const Size size = PrepareClientSize();
  shadow_margin_ = window_->IsShadowAttached() ? DpiScale::Scale(kShadowCorner) : 0;
  const Size outer = WindowSizeFor(size);
  // A pop-up without the system's frame (the skin draws everything), with
  // the system menu and minimising for the task bar; only top-level
  // windows get a task-bar button.
  const DWORD style = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
  const DWORD ex_style = WS_EX_LAYERED | (win32_owner ? 0 : WS_EX_APPWINDOW);
  hwnd_ = CreateWindowExW(ex_style, kWindowClass, ToWide(title).c_str(), style, CW_USEDEFAULT,
                          CW_USEDEFAULT, outer.cx, outer.cy,
                          win32_owner ? win32_owner->hwnd_ : nullptr,
                          nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) {
    set_last_error(SystemErrorText(::GetLastError()));
    return false;
  }
  NoteStartupStep("startup native window created");
  Attach(owner);
  return true;
}

void Win32NativeWindow::Destroy() {
  if (!hwnd_) return;
  Detach();
  HWND hwnd = hwnd_;
  hwnd_ = nullptr;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
  ReleaseFrame();
}

void Win32NativeWindow::SetTitle(const std::string& title) {
  if (hwnd_) SetWindowTextW(hwnd_, ToWide(title).c_str());
}

void Win32NativeWindow::Show(bool activate) {
  if (!hwnd_) return;
  // A layered window shows nothing until its first frame is given.
  PaintNow();
  ShowWindow(hwnd_, activate ? SW_SHOWNORMAL : SW_SHOWNA);
  if (activate) SetForeground();
}

void Win32NativeWindow::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

bool Win32NativeWindow::IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void Win32NativeWindow::CenterWindow() {
  if (!hwnd_) return;
  RECT area{};
  Win32NativeWindow* win32_owner = Of(owner());
  if (win32_owner && win32_owner->hwnd_) {
    // The owner's client area, without its shadow.
    GetWindowRect(win32_owner->hwnd_, &area);
    InflateRect(&area, -win32_owner->shadow_margin_, -win32_owner->shadow_margin_);
  } else {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    area = monitor.rcWork;
  }
  const Size client = window_->GetClientSize();
  const int x = area.left + (area.right - area.left - client.cx) / 2 - shadow_margin_;
  const int y = area.top + (area.bottom - area.top - client.cy) / 2 - shadow_margin_;
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32NativeWindow::Raise() {
  if (!hwnd_) return;
  // To the front of every window, then back among the ordinary ones.
  SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Win32NativeWindow::SetForeground() {
  if (!hwnd_) return;
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
}

void Win32NativeWindow::Resize(Size size) {
  if (size.cx <= 0 || size.cy <= 0) return;
  window_->Resize(size);
  if (hwnd_) {
    const Size outer = WindowSizeFor(size);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  PaintIfNeeded();
}

Point Win32NativeWindow::GetPosition() const {
  RECT rect{};
  if (hwnd_) GetWindowRect(hwnd_, &rect);
  return Point{rect.left + shadow_margin_, rect.top + shadow_margin_};
}

void Win32NativeWindow::SetEnabled(bool enabled) {
  NativeWindow::SetEnabled(enabled);
  if (hwnd_) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

void Win32NativeWindow::SetOpacity(float opacity) {
  opacity_ = static_cast<BYTE>(std::lround(std::clamp(opacity, 0.0f, 1.0f) * 255));
  if (IsVisible()) PaintNow();
}

void Win32NativeWindow::ReleaseFrame() {
  frame_bitmap_.reset();
  if (frame_dc_) {
    SelectObject(frame_dc_, frame_old_);
    DeleteDC(frame_dc_);
    frame_dc_ = nullptr;
  }
  if (frame_dib_) {
    DeleteObject(frame_dib_);
    frame_dib_ = nullptr;
  }
  frame_bits_ = nullptr;
  frame_size_ = Size();
}

bool Win32NativeWindow::EnsureFrame(int32_t width, int32_t height) {
  if (frame_bitmap_ && frame_size_ == Size{width, height}) return true;
  ReleaseFrame();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  frame_dc_ = CreateCompatibleDC(nullptr);
  frame_dib_ = CreateDIBSection(frame_dc_, &info, DIB_RGB_COLORS, &frame_bits_, nullptr, 0);
  if (!frame_dc_ || !frame_dib_ || !frame_bits_) {
    ReleaseFrame();
    return false;
  }
  frame_old_ = SelectObject(frame_dc_, frame_dib_);
  // GDI+ draws straight into the section's premultiplied pixels, which is
  // what UpdateLayeredWindow reads.
  frame_bitmap_ = std::make_unique<Gdiplus::Bitmap>(width, height, width * 4,
                                                    PixelFormat32bppPARGB,
                                                    static_cast<BYTE*>(frame_bits_));
  frame_size_ = Size{width, height};
  return frame_bitmap_->GetLastStatus() == Gdiplus::Ok;
}

void Win32NativeWindow::Paint(Rect damage) {
  if (!hwnd_) return;
  window_->LayoutIfNeeded();
  const Size client = window_->GetClientSize();
  const Size outer = WindowSizeFor(client);
  // A new frame holds nothing yet; a kept one holds the last frame, so only
  // the damage needs drawing again.
  const bool fresh = !frame_bitmap_ || frame_size_ != outer;
  if (!EnsureFrame(outer.cx, outer.cy)) return;
  const Rect whole{0, 0, client.cx, client.cy};
  const Rect area = fresh || damage.IsEmpty() ? whole : Intersect(damage, whole);
  const bool partial = area != whole;
  {
    GdiplusCanvas canvas(frame_bitmap_.get(), &images_, Point{shadow_margin_, shadow_margin_});
    if (partial) {
      canvas.PushClip(area);
      canvas.ClearRect(area);
    } else {
      canvas.Clear(0);
    }
    ImageStep shadow;
    if (shadow_margin_ > 0 &&
        ImageStepBuilder::Build(kShadowImage, window_->GetLayoutPath(),
                                Rect{-shadow_margin_, -shadow_margin_, client.cx + shadow_margin_,
                                     client.cy + shadow_margin_},
                                &shadow)) {
      canvas.DrawImage(shadow);
    }
    PaintList list;
    window_->Paint(&list, partial ? area : Rect());
    list.Execute(&canvas);
    NoteStartupStep("startup first paint");
    if (partial) canvas.PopClip();
  }
  RECT window_rect{};
  GetWindowRect(hwnd_, &window_rect);
  POINT position{window_rect.left, window_rect.top};
  SIZE size{outer.cx, outer.cy};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity_, AC_SRC_ALPHA};
  // Only the damage goes to the window system; the rest of the layered
  // window keeps what it was given before.
  const RECT dirty{area.left + shadow_margin_, area.top + shadow_margin_,
                   area.right + shadow_margin_, area.bottom + shadow_margin_};
  UPDATELAYEREDWINDOWINFO update{};
  update.cbSize = sizeof update;
  update.pptDst = &position;
  update.psize = &size;
  update.hdcSrc = frame_dc_;
  update.pptSrc = &source;
  update.pblend = &blend;
  update.dwFlags = ULW_ALPHA;
  update.prcDirty = partial ? &dirty : nullptr;
  if (!UpdateLayeredWindowIndirect(hwnd_, &update)) {
    UpdateLayeredWindow(hwnd_, nullptr, &position, &size, frame_dc_, &source, 0, &blend, ULW_ALPHA);
  }
  FramePresented(area);
}

Point Win32NativeWindow::ClientPoint(LPARAM lparam) const {
  return Point{GET_X_LPARAM(lparam) - shadow_margin_, GET_Y_LPARAM(lparam) - shadow_margin_};
}

LRESULT Win32NativeWindow::HitTest(LPARAM screen_point) const {
  POINT p{GET_X_LPARAM(screen_point), GET_Y_LPARAM(screen_point)};
  ScreenToClient(hwnd_, &p);
  const Point client{p.x - shadow_margin_, p.y - shadow_margin_};
  const Size size = window_->GetClientSize();
  // The shadow takes no clicks.
  if (client.x < 0 || client.y < 0 || client.x >= size.cx || client.y >= size.cy) {
    return HTTRANSPARENT;
  }
  if (!window_->IsWindowEnabled()) return HTCLIENT;
  return IsDragPoint(client) ? HTCAPTION : HTCLIENT;
}

bool Win32NativeWindow::SetCursorForPoint() {
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(hwnd_, &p);
  const Point client{p.x - shadow_margin_, p.y - shadow_margin_};
  Control* root = window_->GetRoot();
  Control* hit = root ? root->FindControlAt(client) : nullptr;
  LPCWSTR cursor = IDC_ARROW;
  if (hit && hit->IsEnabled() && window_->IsWindowEnabled()) {
    if (hit->GetCursorType() == kCursorHand) cursor = IDC_HAND;
    if (hit->GetCursorType() == kCursorIBeam) cursor = IDC_IBEAM;
  }
  SetCursor(LoadCursorW(nullptr, cursor));
  return true;
}

void Win32NativeWindow::HandleKeyDown(WPARAM key) {
  const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  const auto code = static_cast<int32_t>(key);
  if (ctrl && HandleClipboardKey(code)) return;
  uint32_t modifiers = 0;
  if (shift) modifiers |= kModShift;
  if (ctrl) modifiers |= kModControl;
  window_->OnKeyDown(code, modifiers);
}

void Win32NativeWindow::PlaceImeWindow() {
  // The candidate list opens under the focused edit field's text.
  Control* focus = window_->GetFocus();
  Control* edit = focus && focus->IsTextInput() ? focus : nullptr;
  HIMC context = ImmGetContext(hwnd_);
  if (!context) return;
  if (edit) {
    const Rect text = edit->GetTextRect();
    COMPOSITIONFORM composition{};
    composition.dwStyle = CFS_POINT;
    composition.ptCurrentPos = POINT{text.left + shadow_margin_, text.top + shadow_margin_};
    ImmSetCompositionWindow(context, &composition);
    CANDIDATEFORM candidate{};
    candidate.dwStyle = CFS_CANDIDATEPOS;
    candidate.ptCurrentPos = POINT{text.left + shadow_margin_, text.bottom + shadow_margin_};
    ImmSetCandidateWindow(context, &candidate);
  }
  ImmReleaseContext(hwnd_, context);
}

void Win32NativeWindow::HandleImeComposition(LPARAM flags) {
  HIMC context = ImmGetContext(hwnd_);
  if (!context) return;
  auto read = [context](DWORD which) {
    const LONG bytes = ImmGetCompositionStringW(context, which, nullptr, 0);
    std::u16string text(bytes > 0 ? static_cast<size_t>(bytes) / sizeof(char16_t) : 0, u'\0');
    if (!text.empty()) ImmGetCompositionStringW(context, which, text.data(), bytes);
    return text;
  };
  if (flags & GCS_RESULTSTR) {
    // The composed text is typed, as if its characters were keys.
    const std::u16string result = read(GCS_RESULTSTR);
    SetComposition(u"");
    for (char16_t unit : result) window_->OnChar(unit);
  }
  if (flags & GCS_COMPSTR) SetComposition(read(GCS_COMPSTR));
  ImmReleaseContext(hwnd_, context);
}

LRESULT CALLBACK Win32NativeWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32NativeWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || !self->hwnd_) {
    // Messages of creation (before hwnd_ is known) and of destruction.
    if (self && message == WM_NCCREATE) self->hwnd_ = hwnd;
    if (!self || !self->hwnd_) return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return self->HandleMessage(message, wparam, lparam);
}

LRESULT Win32NativeWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND hwnd = hwnd_;
  switch (message) {
    case WM_NCHITTEST:
      return HitTest(lparam);
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && SetCursorForPoint()) return TRUE;
      break;
    case WM_MOUSEMOVE:
      if (!tracking_mouse_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        tracking_mouse_ = TrackMouseEvent(&track) != FALSE;
      }
      window_->OnMouseMove(ClientPoint(lparam));
      break;
    case WM_MOUSELEAVE:
      tracking_mouse_ = false;
      window_->OnMouseLeaveWindow();
      break;
    case WM_LBUTTONDOWN:
      SetCapture(hwnd);
      window_->OnButtonDown(ClientPoint(lparam));
      break;
    case WM_LBUTTONDBLCLK:
      SetCapture(hwnd);
      window_->OnDoubleClick(ClientPoint(lparam));
      break;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd) ReleaseCapture();
      window_->OnButtonUp(ClientPoint(lparam));
      break;
    case WM_RBUTTONDOWN:
      window_->OnRightButtonDown(ClientPoint(lparam));
      break;
    case WM_KEYDOWN:
      HandleKeyDown(wparam);
      break;
    case WM_KEYUP:
      window_->OnKeyUp(static_cast<int32_t>(wparam));
      break;
    case WM_CHAR:
      // Control characters arrive as keys (Backspace, Return, Tab, Escape).
      if (wparam >= 0x20 && wparam != 0x7F) window_->OnChar(static_cast<char16_t>(wparam));
      break;
    case WM_IME_SETCONTEXT:
      // The edit field draws the composition itself.
      return DefWindowProcW(hwnd, message, wparam, lparam & ~ISC_SHOWUICOMPOSITIONWINDOW);
    case WM_IME_STARTCOMPOSITION:
      PlaceImeWindow();
      return 0;
    case WM_IME_COMPOSITION:
      HandleImeComposition(lparam);
      break;
    case WM_IME_ENDCOMPOSITION:
      SetComposition(u"");
      break;
    case WM_SETFOCUS:
      window_->OnWindowFocus(true);
      break;
    case WM_KILLFOCUS:
      window_->OnWindowFocus(false);
      break;
    case WM_CLOSE:
      RequestClose(0);
      return 0;
    case WM_DISPLAYCHANGE:
      PaintNow();
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  PaintIfNeeded();
  return 0;
}

std::unique_ptr<NativeWindow> NativeWindow::Make(Window* window) {
  return std::make_unique<Win32NativeWindow>(window);
}

}  // namespace ui
