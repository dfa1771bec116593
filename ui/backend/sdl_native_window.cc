#include "ui/backend/sdl_native_window.h"

#include <algorithm>

#include "base/utf.h"
#include "ui/backend/sdl_backend.h"
#include "ui/core/event_args.h"
#include "ui/core/window.h"

namespace ui {

namespace {

// SDL key codes as the framework's key codes (the virtual-key numbering).
int32_t ToKeyCode(SDL_Keycode key) {
  switch (key) {
    case SDLK_BACKSPACE:
      return kKeyBack;
    case SDLK_TAB:
      return kKeyTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return kKeyReturn;
    case SDLK_ESCAPE:
      return kKeyEscape;
    case SDLK_SPACE:
      return kKeySpace;
    case SDLK_END:
      return kKeyEnd;
    case SDLK_HOME:
      return kKeyHome;
    case SDLK_LEFT:
      return kKeyLeft;
    case SDLK_UP:
      return 0x26;
    case SDLK_RIGHT:
      return kKeyRight;
    case SDLK_DOWN:
      return 0x28;
    case SDLK_DELETE:
      return kKeyDelete;
    default:
      break;
  }
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  return 0;
}

}  // namespace

SdlNativeWindow::SdlNativeWindow(Window* window) : NativeWindow(window) {}

SdlNativeWindow::~SdlNativeWindow() { Destroy(); }

bool SdlNativeWindow::Create(NativeWindow* owner, const std::string& title) {
  if (sdl_window_) return true;
  if (!SdlBackend::IsInitialized()) {
    set_last_error("SDL is not initialised");
    return false;
  }
  const Size size = PrepareClientSize();
  sdl_window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                 size.cx, size.cy, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
  if (!sdl_window_) {
    set_last_error(SDL_GetError());
    return false;
  }
  NoteStartupStep("startup native window created");
  sdl_window_id_ = SDL_GetWindowID(sdl_window_);
  // Windows of one build are all of its backend.
  auto* sdl_owner = static_cast<SdlNativeWindow*>(owner);
  if (sdl_owner && sdl_owner->sdl_window_) {
    SDL_SetWindowModalFor(sdl_window_, sdl_owner->sdl_window_);
  }
  SDL_SetWindowHitTest(sdl_window_, &SdlNativeWindow::HitTest, this);
  SdlBackend::RegisterWindow(sdl_window_id_,
                             [this](const SDL_Event& event) { HandleEvent(event); });
  Attach(owner);
  return true;
}

void SdlNativeWindow::Destroy() {
  if (frame_) {
    cairo_surface_destroy(frame_);
    frame_ = nullptr;
  }
  painted_surface_ = nullptr;
  if (!sdl_window_) return;
  Detach();
  SdlBackend::UnregisterWindow(sdl_window_id_);
  SDL_DestroyWindow(sdl_window_);
  sdl_window_ = nullptr;
  sdl_window_id_ = 0;
}

void SdlNativeWindow::SetTitle(const std::string& title) {
  if (sdl_window_) SDL_SetWindowTitle(sdl_window_, title.c_str());
}

void SdlNativeWindow::Show(bool activate) {
  if (!sdl_window_) return;
  SDL_ShowWindow(sdl_window_);
  if (activate) SetForeground();
  PaintNow();
}

void SdlNativeWindow::Hide() {
  if (sdl_window_) SDL_HideWindow(sdl_window_);
}

bool SdlNativeWindow::IsVisible() const {
  return sdl_window_ && (SDL_GetWindowFlags(sdl_window_) & SDL_WINDOW_SHOWN) != 0;
}

void SdlNativeWindow::CenterWindow() {
  if (!sdl_window_) return;
  int w = 0, h = 0;
  SDL_GetWindowSize(sdl_window_, &w, &h);
  SDL_Rect area{0, 0, 0, 0};
  auto* sdl_owner = static_cast<SdlNativeWindow*>(owner());
  if (sdl_owner && sdl_owner->sdl_window_) {
    SDL_GetWindowPosition(sdl_owner->sdl_window_, &area.x, &area.y);
    SDL_GetWindowSize(sdl_owner->sdl_window_, &area.w, &area.h);
  } else {
    int display = SDL_GetWindowDisplayIndex(sdl_window_);
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &area) != 0) {
      SDL_GetDisplayBounds(0, &area);
    }
  }
  SDL_SetWindowPosition(sdl_window_, area.x + (area.w - w) / 2, area.y + (area.h - h) / 2);
}

void SdlNativeWindow::Raise() {
  if (sdl_window_) SDL_RaiseWindow(sdl_window_);
}

void SdlNativeWindow::SetForeground() {
  if (!sdl_window_) return;
  SDL_RaiseWindow(sdl_window_);
  SDL_SetWindowInputFocus(sdl_window_);
}

void SdlNativeWindow::Resize(Size size) {
  if (size.cx <= 0 || size.cy <= 0) return;
  // SDL keeps the top-left corner of a resized window.
  if (sdl_window_) SDL_SetWindowSize(sdl_window_, size.cx, size.cy);
  window_->Resize(size);
  PaintIfNeeded();
}

Point SdlNativeWindow::GetPosition() const {
  Point p;
  if (sdl_window_) SDL_GetWindowPosition(sdl_window_, &p.x, &p.y);
  return p;
}

void SdlNativeWindow::SetOpacity(float opacity) {
  if (sdl_window_) SDL_SetWindowOpacity(sdl_window_, std::clamp(opacity, 0.0f, 1.0f));
}

namespace {

// Whether the window's pixels are laid out as cairo's ARGB32 (32 bits, blue
// first, the top byte alpha or unused): cairo can then draw into them.
bool CairoCanDrawInto(const SDL_Surface* surface) {
  const uint32_t format = surface->format->format;
  return (format == SDL_PIXELFORMAT_ARGB8888 || format == SDL_PIXELFORMAT_RGB888) &&
         surface->pitch % 4 == 0;
}

}  // namespace

void SdlNativeWindow::Paint(Rect damage) {
  if (!sdl_window_) return;
  window_->LayoutIfNeeded();
  SDL_Surface* target = SDL_GetWindowSurface(sdl_window_);
  if (!target) return;
  const int w = target->w;
  const int h = target->h;
  // Usually cairo draws straight into the window's pixels, which keep the
  // last frame; other layouts take a frame of our own and a conversion.
  const bool direct = CairoCanDrawInto(target);
  bool fresh = target != painted_surface_ || Size{w, h} != painted_surface_size_;
  if (direct) {
    if (frame_) cairo_surface_destroy(frame_);
    frame_ = nullptr;
  } else if (!frame_ || cairo_image_surface_get_width(frame_) != w ||
             cairo_image_surface_get_height(frame_) != h) {
    if (frame_) cairo_surface_destroy(frame_);
    frame_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    fresh = true;
  }
  if (!direct && cairo_surface_status(frame_) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(frame_);
    frame_ = nullptr;
    return;
  }
  if (fresh) damage = Rect();  // pixels that hold no frame of ours yet
  const Rect whole{0, 0, w, h};
  const bool partial = !damage.IsEmpty() && damage != whole;
  const Rect area = partial ? Intersect(damage, whole) : whole;

  SDL_LockSurface(target);
  cairo_surface_t* canvas =
      direct ? cairo_image_surface_create_for_data(static_cast<unsigned char*>(target->pixels),
                                                   CAIRO_FORMAT_ARGB32, w, h, target->pitch)
             : cairo_surface_reference(frame_);
  cairo_t* cr = cairo_create(canvas);
  if (partial) {
    cairo_rectangle(cr, area.left, area.top, area.Width(), area.Height());
    cairo_clip(cr);
  }
  // Where the window system shows no translucency the edge stays clean:
  // undrawn pixels are the window's background, opaque.
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  renderer_.PaintWindow(cr, window_, partial ? area : Rect());
  NoteStartupStep("startup first paint");
  cairo_destroy(cr);
  cairo_surface_flush(canvas);
  if (!direct) {
    const int stride = cairo_image_surface_get_stride(frame_);
    const unsigned char* pixels = cairo_image_surface_get_data(frame_) +
                                  static_cast<ptrdiff_t>(area.top) * stride + area.left * 4;
    SDL_ConvertPixels(area.Width(), area.Height(), SDL_PIXELFORMAT_ARGB8888, pixels, stride,
                      target->format->format,
                      static_cast<unsigned char*>(target->pixels) +
                          static_cast<ptrdiff_t>(area.top) * target->pitch +
                          area.left * target->format->BytesPerPixel,
                      target->pitch);
  }
  cairo_surface_destroy(canvas);
  SDL_UnlockSurface(target);
  if (partial) {
    const SDL_Rect rect{area.left, area.top, area.Width(), area.Height()};
    SDL_UpdateWindowSurfaceRects(sdl_window_, &rect, 1);
  } else {
    SDL_UpdateWindowSurface(sdl_window_);
  }
  painted_surface_ = target;
  painted_surface_size_ = Size{w, h};
  FramePresented(area);
}

SDL_HitTestResult SdlNativeWindow::HitTest(SDL_Window*, const SDL_Point* point, void* data) {
  auto* self = static_cast<SdlNativeWindow*>(data);
  if (!self->window_->IsWindowEnabled()) return SDL_HITTEST_NORMAL;
  return self->IsDragPoint(Point{point->x, point->y}) ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
}

void SdlNativeWindow::HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_MOUSEMOTION:
      window_->OnMouseMove(Point{event.motion.x, event.motion.y});
      UpdateCursor();
      break;
    case SDL_MOUSEBUTTONDOWN: {
      const Point p{event.button.x, event.button.y};
      if (event.button.button == SDL_BUTTON_LEFT) {
        if (event.button.clicks == 2) {
          window_->OnDoubleClick(p);
        } else {
          window_->OnButtonDown(p);
        }
      } else if (event.button.button == SDL_BUTTON_RIGHT) {
        window_->OnRightButtonDown(p);
      }
      break;
    }
    case SDL_MOUSEBUTTONUP:
      if (event.button.button == SDL_BUTTON_LEFT) {
        window_->OnButtonUp(Point{event.button.x, event.button.y});
      }
      UpdateCursor();
      break;
    case SDL_KEYDOWN:
      HandleKey(event.key, true);
      break;
    case SDL_KEYUP:
      HandleKey(event.key, false);
      break;
    case SDL_TEXTINPUT:
      SetComposition(u"");
      HandleText(event.text.text);
      break;
    case SDL_TEXTEDITING:
      SetComposition(nbase::Utf8ToUtf16(event.edit.text));
      break;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_LEAVE:
          window_->OnMouseLeaveWindow();
          UpdateCursor();
          break;
        case SDL_WINDOWEVENT_CLOSE:
          RequestClose(0);
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          window_->Resize(Size{event.window.data1, event.window.data2});
          break;
        case SDL_WINDOWEVENT_EXPOSED:
          PaintNow();
          return;
        default:
          break;
      }
      break;
    default:
      return;
  }
  PaintIfNeeded();
}

void SdlNativeWindow::UpdateCursor() {
  const int32_t wanted = window_->GetCursorType();
  if (wanted == shown_cursor_type_) return;
  shown_cursor_type_ = wanted;
  SdlBackend::ShowCursorType(wanted);
}

void SdlNativeWindow::HandleKey(const SDL_KeyboardEvent& key, bool down) {
  const int32_t code = ToKeyCode(key.keysym.sym);
  const bool ctrl = (key.keysym.mod & KMOD_CTRL) != 0;
  if (down && ctrl && HandleClipboardKey(code)) return;
  if (code == 0) return;
  if (down) {
    uint32_t modifiers = 0;
    if (key.keysym.mod & KMOD_SHIFT) modifiers |= kModShift;
    if (ctrl) modifiers |= kModControl;
    window_->OnKeyDown(code, modifiers);
  } else {
    window_->OnKeyUp(code);
  }
}

void SdlNativeWindow::HandleText(const char* utf8) {
  for (char16_t unit : nbase::Utf8ToUtf16(utf8)) window_->OnChar(unit);
}

std::u16string SdlNativeWindow::ReadClipboardText() {
  std::u16string text;
  if (!SDL_HasClipboardText()) return text;
  if (char* utf8 = SDL_GetClipboardText()) {
    text = nbase::Utf8ToUtf16(utf8);
    SDL_free(utf8);
  }
  return text;
}

void SdlNativeWindow::WriteClipboardText(const std::u16string& text) {
  SDL_SetClipboardText(nbase::Utf16ToUtf8(text).c_str());
}

std::unique_ptr<NativeWindow> NativeWindow::Make(Window* window) {
  return std::make_unique<SdlNativeWindow>(window);
}

}  // namespace ui
