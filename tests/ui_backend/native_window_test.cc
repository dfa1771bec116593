#include "ui/backend/sdl_native_window.h"

#include "tests/ui_backend/pixel_support.h"
#include "ui/backend/image_cache.h"
#include "ui/backend/window_screenshot.h"

#include <functional>
#include <string>
#include <vector>

#include "base/message_loop.h"
#include "base/utf.h"
#include "tests/support/ui_globals.h"
#include "tests/ui_backend/backend_test_support.h"
#include "tests/ui_backend/pixel_support.h"
#include "ui/backend/image_cache.h"
#include "ui/backend/window_screenshot.h"
#include "ui/core/box.h"
#include "ui/core/button.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/label.h"
#include "ui/core/rich_edit.h"
#include "ui/core/window.h"
#include "ui/text/pango_text_measurer.h"

namespace ui {
namespace {

using testing_support::Watchdog;

// A 300 x 200 window: a caption label over the top 40 pixels, a button and
// a multi-line edit field below it.
class NativeWindowTest : public testing_support::SdlTest {
 protected:
  void SetUp() override {
    SdlTest::SetUp();
    varnik_test::ResetUiGlobals();
    GlobalManager::AddFont(u"system", 12, false, false);
    TextMeasurer::SetInstance(&measurer_);
    window_.SetAttribute(u"size", u"300,200");
    window_.SetAttribute(u"caption", u"0,0,0,40");
    auto* root = new Box;
    root->SetAttribute(u"bkcolor", u"#FFF4F8F9");
    title_ = Add(root, new Label, u"title", 0, 0, 300, 40);
    title_->SetText(u"提示");
    button_ = Add(root, new Button, u"btn_yes", 20, 60, 80, 30);
    button_->SetText(u"重试");
    edit_ = Add(root, new RichEdit, u"content", 20, 100, 200, 80);
    edit_->SetAttribute(u"multiline", u"true");
    window_.AttachRoot(root);
    window_.AttachEvent(button_, kEventClick, [this](const EventArgs&) {
      ++clicks_;
      return true;
    });
    window_.AttachEvent(edit_, kEventTextChange, [this](const EventArgs&) {
      ++text_changes_;
      return true;
    });
    ASSERT_TRUE(native_.Create(nullptr, "test")) << native_.GetLastError();
    native_.Show();
  }
  void TearDown() override {
    native_.Destroy();
    varnik_test::ResetUiGlobals();
    SdlTest::TearDown();
  }

  template <typename T>
  T* Add(Box* root, T* control, const std::u16string& name, int x, int y, int w, int h) {
    control->SetName(name);
    control->SetAttribute(u"width", nbase::Utf8ToUtf16(std::to_string(w)));
    control->SetAttribute(u"height", nbase::Utf8ToUtf16(std::to_string(h)));
    control->SetAttribute(u"margin",
                          nbase::Utf8ToUtf16(std::to_string(x) + "," + std::to_string(y) + ",0,0"));
    root->Add(control);
    return control;
  }

  // Runs the loop until every queued SDL event and task has been handled.
  void RunUntilIdle() {
    Watchdog watchdog;
    loop_.PostTask([this] { loop_.QuitWhenIdle(); });
    loop_.Run();
  }

  SDL_Event Base(uint32_t type) {
    SDL_Event e;
    SDL_zero(e);
    e.type = type;
    return e;
  }
  void PushMouse(uint32_t type, int x, int y, uint8_t clicks = 1) {
    SDL_Event e = Base(type);
    if (type == SDL_MOUSEMOTION) {
      e.motion.windowID = native_.sdl_window_id();
      e.motion.x = x;
      e.motion.y = y;
    } else {
      e.button.windowID = native_.sdl_window_id();
      e.button.button = SDL_BUTTON_LEFT;
      e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
      e.button.clicks = clicks;
      e.button.x = x;
      e.button.y = y;
    }
    SDL_PushEvent(&e);
  }
  void Click(int x, int y) {
    PushMouse(SDL_MOUSEMOTION, x, y);
    PushMouse(SDL_MOUSEBUTTONDOWN, x, y);
    PushMouse(SDL_MOUSEBUTTONUP, x, y);
  }
  void PushKey(SDL_Keycode key, uint16_t mod = KMOD_NONE) {
    for (uint32_t type : {SDL_KEYDOWN, SDL_KEYUP}) {
      SDL_Event e = Base(type);
      e.key.windowID = native_.sdl_window_id();
      e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
      e.key.keysym.sym = key;
      e.key.keysym.mod = mod;
      SDL_PushEvent(&e);
    }
  }
  void PushText(const char* utf8) {
    SDL_Event e = Base(SDL_TEXTINPUT);
    e.text.windowID = native_.sdl_window_id();
    SDL_strlcpy(e.text.text, utf8, sizeof(e.text.text));
    SDL_PushEvent(&e);
  }

  nbase::MessageLoop loop_{nbase::MessageLoop::kUI};
  PangoTextMeasurer measurer_;
  Window window_;
  SdlNativeWindow native_{&window_};
  Label* title_ = nullptr;
  Button* button_ = nullptr;
  RichEdit* edit_ = nullptr;
  int clicks_ = 0;
  int text_changes_ = 0;
};

TEST_F(NativeWindowTest, MouseEventsThroughSdlReachTheButtonUnlessTheWindowIsDisabled) {
  Click(50, 75);
  RunUntilIdle();
  EXPECT_EQ(clicks_, 1);

  // A click outside the button, and a press released elsewhere, click nothing.
  Click(250, 75);
  PushMouse(SDL_MOUSEBUTTONDOWN, 50, 75);
  PushMouse(SDL_MOUSEMOTION, 250, 75);
  PushMouse(SDL_MOUSEBUTTONUP, 250, 75);
  RunUntilIdle();
  EXPECT_EQ(clicks_, 1);

  native_.SetEnabled(false);
  Click(50, 75);
  PushKey(SDLK_SPACE);
  RunUntilIdle();
  EXPECT_EQ(clicks_, 1);

  native_.SetEnabled(true);
  Click(50, 75);
  RunUntilIdle();
  EXPECT_EQ(clicks_, 2);
  // The button took the focus with the click: space activates it.
  PushKey(SDLK_SPACE);
  RunUntilIdle();
  EXPECT_EQ(clicks_, 3);
}

// The pointer follows the control under it: the hand over a button that
// asks for it ("cursortype"), the text beam over the edit field, the arrow
// elsewhere and once the pointer has left the window.
TEST_F(NativeWindowTest, PointerShapeFollowsTheControlUnderIt) {
  button_->SetAttribute(u"cursortype", u"hand");
  struct Step {
    int x, y;
    int32_t shape;
  };
  for (const Step& step : {Step{50, 75, kCursorHand}, Step{50, 20, kCursorArrow},
                           Step{100, 150, kCursorIBeam}, Step{50, 75, kCursorHand}}) {
    PushMouse(SDL_MOUSEMOTION, step.x, step.y);
    RunUntilIdle();
    EXPECT_EQ(native_.shown_cursor_type(), step.shape) << step.x << "," << step.y;
  }
  SDL_Event leave = Base(SDL_WINDOWEVENT);
  leave.window.windowID = native_.sdl_window_id();
  leave.window.event = SDL_WINDOWEVENT_LEAVE;
  SDL_PushEvent(&leave);
  RunUntilIdle();
  EXPECT_EQ(native_.shown_cursor_type(), kCursorArrow);
}

TEST_F(NativeWindowTest, EventsOfAnotherWindowDoNotReachThisOne) {
  SDL_Event e = Base(SDL_MOUSEBUTTONDOWN);
  e.button.windowID = native_.sdl_window_id() + 1000;
  e.button.button = SDL_BUTTON_LEFT;
  e.button.x = 50;
  e.button.y = 75;
  SDL_PushEvent(&e);
  e.type = SDL_MOUSEBUTTONUP;
  SDL_PushEvent(&e);
  RunUntilIdle();
  EXPECT_EQ(clicks_, 0);
}

TEST_F(NativeWindowTest, TypedChineseTextAndEditingKeysChangeTheEditField) {
  Click(60, 120);  // focus the edit field
  PushText("安装");
  PushText("位置");
  RunUntilIdle();
  EXPECT_EQ(edit_->GetText(), u"安装位置");
  EXPECT_EQ(text_changes_, 4);  // one per character typed

  PushKey(SDLK_BACKSPACE);
  PushKey(SDLK_LEFT);
  PushKey(SDLK_RETURN);  // multi-line: a line break
  RunUntilIdle();
  EXPECT_EQ(edit_->GetText(), u"安装\n位");
  EXPECT_EQ(text_changes_, 6);

  // Paste through the clipboard, when the video driver offers one.
  if (SDL_SetClipboardText("文件") == 0 && SDL_HasClipboardText()) {
    PushKey(SDLK_END);
    PushKey(SDLK_v, KMOD_LCTRL);
    RunUntilIdle();
    EXPECT_EQ(edit_->GetText(), u"安装\n位文件");
    EXPECT_EQ(text_changes_, 7);
  }

  // Read-only and disabled fields take no typing.
  edit_->SetReadOnly(true);
  PushText("x");
  RunUntilIdle();
  edit_->SetReadOnly(false);
  edit_->SetEnabled(false);
  PushText("y");
  RunUntilIdle();
  EXPECT_EQ(edit_->GetText().find_first_of(u"xy"), std::u16string::npos);
}

TEST_F(NativeWindowTest, ImeCompositionIsKeptUntilTheTextArrives) {
  Click(60, 120);
  SDL_Event e = Base(SDL_TEXTEDITING);
  e.edit.windowID = native_.sdl_window_id();
  SDL_strlcpy(e.edit.text, "anzhuang", sizeof(e.edit.text));
  SDL_PushEvent(&e);
  RunUntilIdle();
  EXPECT_EQ(native_.GetCompositionText(), u"anzhuang");
  EXPECT_TRUE(edit_->GetText().empty());
  PushText("安装");
  RunUntilIdle();
  EXPECT_TRUE(native_.GetCompositionText().empty());
  EXPECT_EQ(edit_->GetText(), u"安装");
}

TEST_F(NativeWindowTest, ClipboardKeysWorkOnTheSelectionOnly) {
  if (SDL_SetClipboardText("probe") != 0 || !SDL_HasClipboardText()) {
    GTEST_SKIP() << "the video driver offers no clipboard";
  }
  Click(60, 120);
  PushText("安装位置");
  PushKey(SDLK_LEFT, KMOD_LSHIFT);
  PushKey(SDLK_LEFT, KMOD_LSHIFT);
  PushKey(SDLK_c, KMOD_LCTRL);
  RunUntilIdle();
  auto clipboard = [] {
    char* text = SDL_GetClipboardText();
    std::u16string value = nbase::Utf8ToUtf16(text ? text : "");
    SDL_free(text);
    return value;
  };
  EXPECT_EQ(clipboard(), u"位置");
  EXPECT_EQ(edit_->GetText(), u"安装位置");
  const int typed = text_changes_;

  PushKey(SDLK_LEFT);               // collapses to the selection's start
  PushKey(SDLK_HOME, KMOD_LSHIFT);  // now the selection is "安装"
  PushKey(SDLK_x, KMOD_LCTRL);
  RunUntilIdle();
  EXPECT_EQ(clipboard(), u"安装");
  EXPECT_EQ(edit_->GetText(), u"位置");
  EXPECT_EQ(text_changes_, typed + 1);

  PushKey(SDLK_a, KMOD_LCTRL);
  PushKey(SDLK_v, KMOD_LCTRL);  // replaces everything with the cut text
  RunUntilIdle();
  EXPECT_EQ(edit_->GetText(), u"安装");
  EXPECT_EQ(text_changes_, typed + 2);

  // A read-only field copies but does not cut.
  edit_->SetReadOnly(true);
  PushKey(SDLK_a, KMOD_LCTRL);
  PushKey(SDLK_x, KMOD_LCTRL);
  RunUntilIdle();
  EXPECT_EQ(edit_->GetText(), u"安装");
  EXPECT_EQ(text_changes_, typed + 2);
}

TEST_F(NativeWindowTest, MouseDragThroughSdlSelectsText) {
  Click(60, 120);
  PushText("abc def");
  PushKey(SDLK_HOME);
  RunUntilIdle();
  const Rect text = edit_->GetTextRect();
  PushMouse(SDL_MOUSEBUTTONDOWN, text.left, text.top + 5);
  PushMouse(SDL_MOUSEMOTION, text.right - 2, text.top + 5);
  PushMouse(SDL_MOUSEBUTTONUP, text.right - 2, text.top + 5);
  RunUntilIdle();
  EXPECT_EQ(edit_->Copy(), u"abc def");
  // A double click (SDL's click count 2) takes one word.
  const int32_t def_x = text.left + measurer_.Measure(edit_->GetFontSpec(), u"abc de", 0, true).cx;
  PushMouse(SDL_MOUSEBUTTONDOWN, def_x, text.top + 5, 1);
  PushMouse(SDL_MOUSEBUTTONUP, def_x, text.top + 5, 1);
  PushMouse(SDL_MOUSEBUTTONDOWN, def_x, text.top + 5, 2);
  PushMouse(SDL_MOUSEBUTTONUP, def_x, text.top + 5, 2);
  RunUntilIdle();
  EXPECT_EQ(edit_->Copy(), u"def");
}

TEST_F(NativeWindowTest, ImeCompositionIsDrawnAtTheCaret) {
  Click(60, 120);
  PushText("安");
  RunUntilIdle();
  ImageCache images;
  cairo_surface_t* before = WindowScreenshot::Render(&window_, &images);
  SDL_Event e = Base(SDL_TEXTEDITING);
  e.edit.windowID = native_.sdl_window_id();
  SDL_strlcpy(e.edit.text, "zhuang", sizeof(e.edit.text));
  SDL_PushEvent(&e);
  RunUntilIdle();
  EXPECT_EQ(edit_->GetCompositionText(), u"zhuang");
  EXPECT_EQ(edit_->GetText(), u"安");
  cairo_surface_t* during = WindowScreenshot::Render(&window_, &images);
  ASSERT_NE(before, nullptr);
  ASSERT_NE(during, nullptr);
  // The composition shows right of the typed character, inside the field.
  const Rect text = edit_->GetTextRect();
  const int32_t after_x = text.left + measurer_.Measure(edit_->GetFontSpec(), u"安", 0, true).cx;
  int changed_right = 0;
  int changed_left = 0;
  for (int y = text.top; y < text.top + 20; ++y) {
    for (int x = text.left; x < text.right; ++x) {
      if (testing_support::PixelAt(before, x, y) != testing_support::PixelAt(during, x, y)) {
        (x >= after_x ? changed_right : changed_left)++;
      }
    }
  }
  EXPECT_GT(changed_right, 20);
  EXPECT_EQ(changed_left, 0);
  cairo_surface_destroy(before);
  cairo_surface_destroy(during);
}

TEST_F(NativeWindowTest, CloseRequestsReachTheCloseHandlerWithTheirCode) {
  std::vector<uint32_t> codes;
  native_.SetCloseHandler([&](uint32_t code) { codes.push_back(code); });
  native_.RequestClose(1);
  EXPECT_TRUE(codes.empty());  // posted, never at once
  SDL_Event e = Base(SDL_WINDOWEVENT);
  e.window.windowID = native_.sdl_window_id();
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&e);
  RunUntilIdle();
  EXPECT_EQ(codes, (std::vector<uint32_t>{1, 0}));
}

TEST_F(NativeWindowTest, RepaintsOnlyWhenTheTreeChanged) {
  PushMouse(SDL_MOUSEMOTION, 250, 190);
  RunUntilIdle();
  const uint64_t frames = native_.frames_drawn();
  EXPECT_GE(frames, 1u);
  loop_.PostTask([] {});
  PushMouse(SDL_MOUSEMOTION, 251, 191);  // still over the same control
  RunUntilIdle();
  EXPECT_EQ(native_.frames_drawn(), frames);
  loop_.PostTask([this] { title_->SetText(u"已经安装"); });
  RunUntilIdle();
  EXPECT_EQ(native_.frames_drawn(), frames + 1);
}

// What the window shows, read back from its surface.
std::vector<uint8_t> ShownPixels(SDL_Window* window) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  std::vector<uint8_t> pixels;
  if (!surface) return pixels;
  SDL_LockSurface(surface);
  const auto* data = static_cast<const uint8_t*>(surface->pixels);
  const size_t row = static_cast<size_t>(surface->w) * surface->format->BytesPerPixel;
  for (int y = 0; y < surface->h; ++y) {
    pixels.insert(pixels.end(), data + y * surface->pitch, data + y * surface->pitch + row);
  }
  SDL_UnlockSurface(surface);
  return pixels;
}

// A change redraws only the place it concerns, and what the window shows
// afterwards is what a whole new frame shows.
TEST_F(NativeWindowTest, ChangesRedrawOnlyTheirPlaceAndShowWhatAWholeFrameShows) {
  RunUntilIdle();
  const Rect whole{0, 0, 300, 200};
  struct Step {
    const char* what;
    std::function<void()> change;
    Rect expected;  // the part the frame draws
  } steps[] = {
      {"hover", [this] { PushMouse(SDL_MOUSEMOTION, 60, 75); }, Rect{20, 60, 100, 90}},
      {"move", [this] { button_->SetAttribute(u"margin", u"40,70,0,0"); },
       Rect{20, 60, 120, 100}},  // the old place and the new one
      {"text", [this] { title_->SetText(u"安装提示"); }, Rect{0, 0, 300, 40}},
      {"hide", [this] { edit_->SetVisible(false); }, Rect{20, 100, 220, 180}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const uint64_t frames = native_.frames_drawn();
    loop_.PostTask(step.change);
    RunUntilIdle();
    ASSERT_GT(native_.frames_drawn(), frames);
    EXPECT_EQ(native_.last_painted_rect(), step.expected);
    const std::vector<uint8_t> shown = ShownPixels(native_.sdl_window());
    native_.PaintNow();
    EXPECT_EQ(native_.last_painted_rect(), whole);
    EXPECT_TRUE(shown == ShownPixels(native_.sdl_window()));
  }
}

TEST_F(NativeWindowTest, CaptionDragsExceptOverControlsThatTakeClicks) {
  EXPECT_TRUE(native_.IsDragPoint(Point{150, 10}));   // the title label
  EXPECT_FALSE(native_.IsDragPoint(Point{150, 45}));  // below the caption
  window_.SetAttribute(u"caption", u"0,0,0,200");
  EXPECT_TRUE(native_.IsDragPoint(Point{250, 75}));
  EXPECT_FALSE(native_.IsDragPoint(Point{50, 75}));   // the button
  EXPECT_FALSE(native_.IsDragPoint(Point{60, 120}));  // the edit field
}

TEST_F(NativeWindowTest, ResizeKeepsThePositionAndRelaysOut) {
  SDL_SetWindowPosition(native_.sdl_window(), 40, 30);
  const Point before = native_.GetPosition();
  native_.Resize(Size{360, 240});
  EXPECT_EQ(native_.GetPosition(), before);
  EXPECT_EQ(native_.GetClientRect(), (Rect{0, 0, 360, 240}));
  EXPECT_EQ(window_.GetClientSize(), (Size{360, 240}));
}

}  // namespace
}  // namespace ui
