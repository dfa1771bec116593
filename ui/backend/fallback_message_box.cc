#include "ui/backend/fallback_message_box.h"

#include <pango/pangocairo.h>

#include <algorithm>

#include "base/utf.h"
#include "platform/debug_output.h"
#include "platform/system_message_box.h"
#include "ui/backend/sdl_backend.h"
#include "ui/text/pango_text_measurer.h"

namespace ui {
namespace {

constexpr int kWidth = 420;
constexpr int kPadding = 20;
constexpr int kCaptionGap = 12;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 32;
constexpr int kButtonGap = 10;
constexpr int kTextPx = 14;
constexpr int kCaptionPx = 15;

PangoLayout* MakeLayout(cairo_t* cr, const std::string& text, int size_px, bool bold, int width) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, PangoTextMeasurer::ResolveFace(u"system").c_str());
  pango_font_description_set_absolute_size(font, size_px * PANGO_SCALE);
  if (bold) pango_font_description_set_weight(font, PANGO_WEIGHT_BOLD);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_width(layout, width * PANGO_SCALE);
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  pango_layout_set_text(layout, text.c_str(), -1);
  return layout;
}

int LayoutHeight(PangoLayout* layout) {
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  return height;
}

}  // namespace

FallbackMessageBox::FallbackMessageBox(std::u16string_view text, std::u16string_view caption,
                                       int32_t type)
    : text_(nbase::Utf16ToUtf8(std::u16string(text))),
      caption_(nbase::Utf16ToUtf8(std::u16string(caption))),
      retry_cancel_((type & platform::kMessageBoxButtonMask) == platform::kMessageBoxRetryCancel),
      width_(kWidth),
      answer_(platform::kAnswerNone) {
  if (retry_cancel_) {
    buttons_ = {Button{u"重试", platform::kAnswerRetry}, Button{u"取消", platform::kAnswerCancel}};
  } else {
    buttons_ = {Button{u"确定", platform::kAnswerOk}};
  }
  // Measured once with the face that draws it.
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_t* cr = cairo_create(scratch);
  const int inner = kWidth - 2 * kPadding;
  PangoLayout* caption_layout = MakeLayout(cr, caption_, kCaptionPx, true, inner);
  PangoLayout* text_layout = MakeLayout(cr, text_, kTextPx, false, inner);
  unknown_glyphs_ = pango_layout_get_unknown_glyphs_count(caption_layout) +
                    pango_layout_get_unknown_glyphs_count(text_layout);
  text_top_ = kPadding + LayoutHeight(caption_layout) + kCaptionGap;
  const int buttons_top = text_top_ + LayoutHeight(text_layout) + kPadding;
  height_ = buttons_top + kButtonHeight + kPadding;
  g_object_unref(caption_layout);
  g_object_unref(text_layout);
  cairo_destroy(cr);
  cairo_surface_destroy(scratch);
  // The buttons sit at the right of the bottom row, in their order.
  int x = kWidth - kPadding - static_cast<int>(buttons_.size()) * (kButtonWidth + kButtonGap) +
          kButtonGap;
  for (Button& button : buttons_) {
    button.rect = SDL_Rect{x, buttons_top, kButtonWidth, kButtonHeight};
    x += kButtonWidth + kButtonGap;
  }
}

void FallbackMessageBox::Draw(cairo_t* cr) const {
  const int inner = kWidth - 2 * kPadding;
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
  PangoLayout* caption_layout = MakeLayout(cr, caption_, kCaptionPx, true, inner);
  cairo_move_to(cr, kPadding, kPadding);
  pango_cairo_show_layout(cr, caption_layout);
  g_object_unref(caption_layout);
  PangoLayout* text_layout = MakeLayout(cr, text_, kTextPx, false, inner);
  cairo_move_to(cr, kPadding, text_top_);
  pango_cairo_show_layout(cr, text_layout);
  g_object_unref(text_layout);
  for (size_t i = 0; i < buttons_.size(); ++i) {
    const SDL_Rect& r = buttons_[i].rect;
    // The first button is the default one (Return): blue, the other white.
    const bool primary = i == 0;
    cairo_rectangle(cr, r.x + 0.5, r.y + 0.5, r.w - 1, r.h - 1);
    if (primary) {
      cairo_set_source_rgb(cr, 0.0, 0.427, 0.851);
    } else {
      cairo_set_source_rgb(cr, 1, 1, 1);
    }
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.0, 0.427, 0.851);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    PangoLayout* label = MakeLayout(cr, nbase::Utf16ToUtf8(buttons_[i].label), kTextPx, false, r.w);
    pango_layout_set_alignment(label, PANGO_ALIGN_CENTER);
    if (primary) {
      cairo_set_source_rgb(cr, 1, 1, 1);
    } else {
      cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    }
    cairo_move_to(cr, r.x, r.y + (r.h - LayoutHeight(label)) / 2.0);
    pango_cairo_show_layout(cr, label);
    g_object_unref(label);
  }
}

void FallbackMessageBox::Present(SDL_Window* window) const {
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (target == nullptr) return;
  cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
  cairo_t* cr = cairo_create(frame);
  Draw(cr);
  cairo_destroy(cr);
  cairo_surface_flush(frame);
  SDL_LockSurface(target);
  SDL_ConvertPixels(std::min(width_, target->w), std::min(height_, target->h),
                    SDL_PIXELFORMAT_ARGB8888, cairo_image_surface_get_data(frame),
                    cairo_image_surface_get_stride(frame), target->format->format, target->pixels,
                    target->pitch);
  SDL_UnlockSurface(target);
  cairo_surface_destroy(frame);
  SDL_UpdateWindowSurface(window);
}

int FallbackMessageBox::ButtonAt(int x, int y) const {
  const SDL_Point point{x, y};
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (SDL_PointInRect(&point, &buttons_[i].rect)) return static_cast<int>(i);
  }
  return -1;
}

void FallbackMessageBox::Answer(int32_t answer) {
  if (answer_ == platform::kAnswerNone) answer_ = answer;
}

void FallbackMessageBox::OnButtonDown(int x, int y) { pressed_ = ButtonAt(x, y); }

void FallbackMessageBox::OnButtonUp(int x, int y) {
  const int released = ButtonAt(x, y);
  if (released >= 0 && released == pressed_) Answer(buttons_[released].answer);
  pressed_ = -1;
}

void FallbackMessageBox::OnKey(SDL_Keycode key) {
  if (key == SDLK_RETURN || key == SDLK_KP_ENTER) Answer(buttons_.front().answer);
  if (key == SDLK_ESCAPE) Answer(buttons_.back().answer);
}

void FallbackMessageBox::OnClose() { Answer(buttons_.back().answer); }

int32_t FallbackMessageBox::Show(std::u16string_view text, std::u16string_view caption,
                                 int32_t type) {
  if (!SdlBackend::IsInitialized()) return platform::kAnswerNone;
  FallbackMessageBox box(text, caption, type);
  SDL_Window* window = SDL_CreateWindow(box.caption_.c_str(), SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, box.width_, box.height_, 0);
  if (window == nullptr) return platform::kAnswerNone;
  const uint32_t id = SDL_GetWindowID(window);
  platform::DebugOutput("own window shows: " + box.caption_ + "\n");
  box.Present(window);
  SDL_RaiseWindow(window);
  std::vector<SDL_Event> others;
  SDL_Event event;
  while (box.answer() == platform::kAnswerNone && SDL_WaitEvent(&event)) {
    if (SdlBackend::EventWindowId(event) != id) {
      others.push_back(event);
      continue;
    }
    switch (event.type) {
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) box.OnClose();
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) box.Present(window);
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT)
          box.OnButtonDown(event.button.x, event.button.y);
        break;
      case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) box.OnButtonUp(event.button.x, event.button.y);
        break;
      case SDL_KEYDOWN:
        box.OnKey(event.key.keysym.sym);
        break;
      default:
        break;
    }
  }
  SDL_DestroyWindow(window);
  // Back to the queue in their order: the UI pump's wake-ups among them.
  for (SDL_Event& other : others) SDL_PushEvent(&other);
  return box.answer();
}

}  // namespace ui
