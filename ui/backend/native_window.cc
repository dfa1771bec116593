#include "ui/backend/native_window.h"

#include <algorithm>

#include "base/utf.h"
#include "platform/debug_output.h"
#include "ui/backend/sdl_backend.h"
#include "ui/core/control.h"
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

NativeWindow::NativeWindow(Window* window) : window_(window) {}

NativeWindow::~NativeWindow() { Destroy(); }

bool NativeWindow::Create(NativeWindow* owner, const std::string& title) {
  if (sdl_window_) return true;
  if (!SdlBackend::IsInitialized()) {
    last_error_ = "SDL is not initialised";
    return false;
  }
  owner_ = owner;
  window_->LayoutIfNeeded();
  NoteStartupStep("startup window laid out");
  Size size = window_->GetInitialSize();
  if (size.cx <= 0 || size.cy <= 0) size = window_->GetClientSize();
  size.cx = std::max(1, size.cx);
  size.cy = std::max(1, size.cy);
  if (window_->GetClientSize() != size) window_->Resize(size);
  sdl_window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                 size.cx, size.cy, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
  if (!sdl_window_) {
    last_error_ = SDL_GetError();
    return false;
  }
  NoteStartupStep("startup native window created");
  sdl_window_id_ = SDL_GetWindowID(sdl_window_);
  if (owner_ && owner_->sdl_window_) SDL_SetWindowModalFor(sdl_window_, owner_->sdl_window_);
  SDL_SetWindowHitTest(sdl_window_, &NativeWindow::HitTest, this);
  SdlBackend::RegisterWindow(sdl_window_id_,
                             [this](const SDL_Event& event) { HandleEvent(event); });
  loop_ = nbase::MessageLoop::current();
  if (loop_) loop_->AddTaskObserver(this);
  ever_painted_ = false;
  return true;
}

void NativeWindow::Destroy() {
  if (frame_) {
    cairo_surface_destroy(frame_);
    frame_ = nullptr;
  }
  painted_surface_ = nullptr;
  if (!sdl_window_) return;
  if (loop_ && loop_ == nbase::MessageLoop::current()) loop_->RemoveTaskObserver(this);
  loop_ = nullptr;
  SdlBackend::UnregisterWindow(sdl_window_id_);
  SDL_DestroyWindow(sdl_window_);
  sdl_window_ = nullptr;
  sdl_window_id_ = 0;
}

void NativeWindow::SetTitle(const std::string& title) {
  if (sdl_window_) SDL_SetWindowTitle(sdl_window_, title.c_str());
}

void NativeWindow::Show(bool activate) {
  if (!sdl_window_) return;
  SDL_ShowWindow(sdl_window_);
  if (activate) SetForeground();
  PaintNow();
}

void NativeWindow::Hide() {
  if (sdl_window_) SDL_HideWindow(sdl_window_);
}

bool NativeWindow::IsVisible() const {
  return sdl_window_ && (SDL_GetWindowFlags(sdl_window_) & SDL_WINDOW_SHOWN) != 0;
}

void NativeWindow::CenterWindow() {
  if (!sdl_window_) return;
  int w = 0, h = 0;
  SDL_GetWindowSize(sdl_window_, &w, &h);
  SDL_Rect area{0, 0, 0, 0};
  if (owner_ && owner_->sdl_window_) {
    SDL_GetWindowPosition(owner_->sdl_window_, &area.x, &area.y);
    SDL_GetWindowSize(owner_->sdl_window_, &area.w, &area.h);
  } else {
    int display = SDL_GetWindowDisplayIndex(sdl_window_);
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &area) != 0) {
      SDL_GetDisplayBounds(0, &area);
    }
  }
  SDL_SetWindowPosition(sdl_window_, area.x + (area.w - w) / 2, area.y + (area.h - h) / 2);
}

void NativeWindow::Raise() {
  if (sdl_window_) SDL_RaiseWindow(sdl_window_);
}

void NativeWindow::SetForeground() {
  if (!sdl_window_) return;
  SDL_RaiseWindow(sdl_window_);
  SDL_SetWindowInputFocus(sdl_window_);
}

void NativeWindow::Resize(Size size) {
  if (size.cx <= 0 || size.cy <= 0) return;
  // SDL keeps the top-left corner of a resized window.
  if (sdl_window_) SDL_SetWindowSize(sdl_window_, size.cx, size.cy);
  window_->Resize(size);
  PaintIfNeeded();
}

Point NativeWindow::GetPosition() const {
  Point p;
  if (sdl_window_) SDL_GetWindowPosition(sdl_window_, &p.x, &p.y);
  return p;
}

Rect NativeWindow::GetClientRect() const {
  const Size s = window_->GetClientSize();
  return Rect{0, 0, s.cx, s.cy};
}

void NativeWindow::SetEnabled(bool enabled) {
  window_->SetWindowEnabled(enabled);
  // A disabled window loses its pressed and hovered controls.
  if (!enabled) window_->OnMouseLeaveWindow();
}

bool NativeWindow::IsEnabled() const { return window_->IsWindowEnabled(); }

void NativeWindow::SetOpacity(float opacity) {
  if (sdl_window_) SDL_SetWindowOpacity(sdl_window_, std::clamp(opacity, 0.0f, 1.0f));
}

void NativeWindow::RequestClose(uint32_t code) {
  nbase::MessageLoop* loop = nbase::MessageLoop::current();
  if (!loop) {
    FinalClose(code);
    return;
  }
  loop->PostTask(ToWeakCallback([this, code] { FinalClose(code); }));
}

void NativeWindow::FinalClose(uint32_t code) {
  if (close_handler_) {
    // A copy: the handler may delete this object.
    CloseHandler handler = close_handler_;
    handler(code);
    return;
  }
  Destroy();
}

bool NativeWindow::PaintIfNeeded() {
  if (!IsVisible()) return false;
  window_->LayoutIfNeeded();  // a control that moved asks for its old and new place
  const Size size = window_->GetClientSize();
  if (!ever_painted_ || size != painted_size_) {
    Paint(Rect());
    return true;
  }
  if (window_->PaintRequests() == painted_requests_) return false;
  const Rect damage = window_->GetInvalidRect();
  if (damage.IsEmpty()) {
    // Asked for, but nothing visible changed (a control without a place).
    painted_requests_ = window_->PaintRequests();
    window_->ClearInvalid();
    return false;
  }
  Paint(damage);
  return true;
}

void NativeWindow::PaintNow() { Paint(Rect()); }

namespace {

// Whether the window's pixels are laid out as cairo's ARGB32 (32 bits, blue
// first, the top byte alpha or unused): cairo can then draw into them.
bool CairoCanDrawInto(const SDL_Surface* surface) {
  const uint32_t format = surface->format->format;
  return (format == SDL_PIXELFORMAT_ARGB8888 || format == SDL_PIXELFORMAT_RGB888) &&
         surface->pitch % 4 == 0;
}

}  // namespace

void NativeWindow::Paint(Rect damage) {
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
  painted_requests_ = window_->PaintRequests();
  window_->ClearInvalid();
  painted_size_ = window_->GetClientSize();
  ever_painted_ = true;
  last_painted_rect_ = area;
  ++frames_drawn_;
  NoteStartupStep("first frame presented");
}

void NativeWindow::NoteStartupStep(std::string_view step) {
  // Only up to the process's first frame: the start-up is measured from
  // outside against these lines.
  static bool process_started_up = false;
  if (process_started_up) return;
  if (step == "first frame presented") process_started_up = true;
  platform::DebugTimeMark(step);
}

bool NativeWindow::IsDragPoint(Point point) const {
  const Size size = window_->GetClientSize();
  const Rect& caption = window_->GetCaptionRect();
  // Left and right are insets from the sides; top and bottom are offsets.
  if (point.x < caption.left || point.x >= size.cx - caption.right || point.y < caption.top ||
      point.y >= caption.bottom) {
    return false;
  }
  Control* root = window_->GetRoot();
  Control* hit = root ? root->FindControlAt(point) : nullptr;
  // Controls that take clicks keep them; the rest of the caption drags.
  return !(hit && hit->TakesClicks());
}

SDL_HitTestResult NativeWindow::HitTest(SDL_Window*, const SDL_Point* point, void* data) {
  auto* self = static_cast<NativeWindow*>(data);
  if (!self->window_->IsWindowEnabled()) return SDL_HITTEST_NORMAL;
  return self->IsDragPoint(Point{point->x, point->y}) ? SDL_HITTEST_DRAGGABLE : SDL_HITTEST_NORMAL;
}

void NativeWindow::HandleEvent(const SDL_Event& event) {
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
      composition_.clear();
      if (Control* focus = window_->GetFocus()) focus->SetCompositionText(u"");
      HandleText(event.text.text);
      break;
    case SDL_TEXTEDITING:
      composition_ = nbase::Utf8ToUtf16(event.edit.text);
      if (Control* focus = window_->GetFocus()) focus->SetCompositionText(composition_);
      window_->Invalidate();
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

void NativeWindow::UpdateCursor() {
  const int32_t wanted = window_->GetCursorType();
  if (wanted == shown_cursor_type_) return;
  shown_cursor_type_ = wanted;
  SdlBackend::ShowCursorType(wanted);
}

void NativeWindow::HandleKey(const SDL_KeyboardEvent& key, bool down) {
  const int32_t code = ToKeyCode(key.keysym.sym);
  const bool ctrl = (key.keysym.mod & KMOD_CTRL) != 0;
  if (down && ctrl && window_->IsWindowEnabled()) {
    // Clipboard keys of the focused edit field: paste replaces the
    // selection, copy takes the selection, cut also removes it.
    Control* focus = window_->GetFocus();
    Control* edit = focus && focus->IsTextInput() ? focus : nullptr;
    if (edit && code == 'V') {
      if (SDL_HasClipboardText()) {
        if (char* text = SDL_GetClipboardText()) {
          edit->InsertText(nbase::Utf8ToUtf16(text));
          SDL_free(text);
        }
      }
      return;
    }
    if (edit && code == 'C') {
      const std::u16string selected = edit->Copy();
      if (!selected.empty()) SDL_SetClipboardText(nbase::Utf16ToUtf8(selected).c_str());
      return;
    }
    if (edit && code == 'X') {
      std::u16string cut;
      if (edit->Cut(&cut)) SDL_SetClipboardText(nbase::Utf16ToUtf8(cut).c_str());
      return;
    }
  }
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

void NativeWindow::HandleText(const char* utf8) {
  for (char16_t unit : nbase::Utf8ToUtf16(utf8)) window_->OnChar(unit);
}

}  // namespace ui
