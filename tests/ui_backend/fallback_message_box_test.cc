#include "ui/backend/fallback_message_box.h"

#include <cairo.h>

#include <string>

#include "platform/system_message_box.h"
#include "tests/ui_backend/backend_test_support.h"

namespace ui {
namespace {

using platform::kAnswerCancel;
using platform::kAnswerNone;
using platform::kAnswerOk;
using platform::kAnswerRetry;

constexpr char16_t kQuestion[] =
    u"VarnikPDF转换器 安装程序已经在运行，请关闭后点击\"重试\"继续，或点击\"取消\"退出安装";
constexpr char16_t kCaption[] = u"VarnikPDF转换器安装提示";
constexpr int32_t kRetryCancel = platform::kMessageBoxRetryCancel;
constexpr int32_t kErrorOk = platform::kMessageBoxOk | platform::kMessageBoxIconError;

class FallbackMessageBoxTest : public testing_support::SdlTest {};

// Counts the pixels of a rectangle that are clearly not the white ground.
int InkIn(const FallbackMessageBox& box, int x, int y, int w, int h) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, box.width(), box.height());
  cairo_t* cr = cairo_create(surface);
  box.Draw(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  int ink = 0;
  for (int row = y; row < y + h && row < box.height(); ++row) {
    for (int col = x; col < x + w && col < box.width(); ++col) {
      const uint32_t pixel = *reinterpret_cast<const uint32_t*>(data + row * stride + col * 4);
      if ((pixel & 0xff) < 0x80) ++ink;  // blue channel well below white
    }
  }
  cairo_surface_destroy(surface);
  return ink;
}

TEST_F(FallbackMessageBoxTest, ChineseTextHasItsGlyphsAndWrapsInsideTheBox) {
  const FallbackMessageBox box(kQuestion, kCaption, kRetryCancel);
  EXPECT_EQ(box.unknown_glyphs(), 0) << "a character would show as a box";
  ASSERT_EQ(box.buttons().size(), 2u);
  const SDL_Rect& first = box.buttons()[0].rect;
  // The long question takes more than one line, so the box grew for it.
  EXPECT_GT(box.height(), 150);
  EXPECT_GT(InkIn(box, 0, 0, box.width(), first.y), 500) << "caption and text are drawn";
  for (const auto& button : box.buttons()) {
    EXPECT_LE(button.rect.x + button.rect.w, box.width());
    EXPECT_LE(button.rect.y + button.rect.h, box.height());
  }
}

// Every way of answering, for both button sets.
TEST_F(FallbackMessageBoxTest, AnswersByButtonKeyAndClose) {
  struct Case {
    const char* how;
    int32_t type;
    int32_t answer;
  };
  const Case cases[] = {
      {"click first", kRetryCancel, kAnswerRetry},
      {"click second", kRetryCancel, kAnswerCancel},
      {"return", kRetryCancel, kAnswerRetry},
      {"escape", kRetryCancel, kAnswerCancel},
      {"close", kRetryCancel, kAnswerCancel},
      {"click first", kErrorOk, kAnswerOk},
      {"escape", kErrorOk, kAnswerOk},
      {"close", kErrorOk, kAnswerOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.how) + (c.type == kRetryCancel ? " retry-cancel" : " ok"));
    FallbackMessageBox box(u"text", u"caption", c.type);
    EXPECT_EQ(box.answer(), kAnswerNone);
    const std::string how = c.how;
    if (how.rfind("click", 0) == 0) {
      const SDL_Rect& r = box.buttons()[how == "click first" ? 0 : 1].rect;
      box.OnButtonDown(r.x + 5, r.y + 5);
      EXPECT_EQ(box.answer(), kAnswerNone) << "answers on release";
      box.OnButtonUp(r.x + r.w - 5, r.y + r.h - 5);
    } else if (how == "return") {
      box.OnKey(SDLK_RETURN);
    } else if (how == "escape") {
      box.OnKey(SDLK_ESCAPE);
    } else {
      box.OnClose();
    }
    EXPECT_EQ(box.answer(), c.answer);
    box.OnKey(SDLK_ESCAPE);  // the first answer stays
    EXPECT_EQ(box.answer(), c.answer);
  }
  FallbackMessageBox dragged(u"text", u"caption", kRetryCancel);
  const SDL_Rect& r = dragged.buttons()[0].rect;
  dragged.OnButtonDown(r.x + 5, r.y + 5);
  dragged.OnButtonUp(r.x - 50, r.y + 5);  // released away from the button
  EXPECT_EQ(dragged.answer(), kAnswerNone);
}

// The blocking box on a real (headless) window: it takes the keys of its own
// window, and events of others waiting meanwhile are still queued afterwards.
TEST_F(FallbackMessageBoxTest, ShowAnswersFromItsWindowAndKeepsOtherEvents) {
  // SDL numbers windows in order: the box's window gets the probe's id + 1.
  SDL_Window* probe = SDL_CreateWindow("probe", 0, 0, 10, 10, SDL_WINDOW_HIDDEN);
  ASSERT_NE(probe, nullptr) << SDL_GetError();
  const uint32_t box_id = SDL_GetWindowID(probe) + 1;
  SDL_DestroyWindow(probe);
  SDL_Event other;
  SDL_zero(other);
  other.type = SDL_USEREVENT;
  other.user.code = 42;
  SDL_PushEvent(&other);
  SDL_Event key;
  SDL_zero(key);
  key.type = SDL_KEYDOWN;
  key.key.windowID = box_id;
  key.key.keysym.sym = SDLK_RETURN;
  SDL_PushEvent(&key);
  testing_support::Watchdog watchdog;
  EXPECT_EQ(FallbackMessageBox::Show(kQuestion, kCaption, kRetryCancel), kAnswerRetry);
  SDL_Event kept;
  ASSERT_EQ(SDL_PeepEvents(&kept, 1, SDL_GETEVENT, SDL_USEREVENT, SDL_USEREVENT), 1);
  EXPECT_EQ(kept.user.code, 42);
}

}  // namespace
}  // namespace ui
