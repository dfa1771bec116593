// The Win32 native window on a real (Wine) window system: the layered frame with
// its shadow, hit testing for the caption drag, mouse, keys, characters,
// clipboard and input method through real window messages, the cursor,
// enabling, and the close request.
#include "ui/backend/win32/win32_native_window.h"

#include <gtest/gtest.h>
#include <imm.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/message_loop.h"
#include "base/utf.h"
#include "tests/base/loop_test_support.h"
#include "ui/backend/win32/gdiplus_text_measurer.h"
#include "ui/backend/win32/win32_backend.h"
#include "ui/core/box.h"
#include "ui/core/button.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/label.h"
#include "ui/core/rich_edit.h"
#include "ui/core/window.h"
#include "ui/skin/resource_loader.h"

namespace ui {
namespace {

using nbase::testing_support::Watchdog;

// A 300 x 200 window with the skin's shadow: a caption label over the top
// 40 pixels, a hand-cursor button and a multi-line edit field below it.
class Win32NativeWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(Win32Backend::Initialize()) << Win32Backend::GetLastError();
    std::ifstream in(VARNIK_SKIN_ZIP, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(ResourceLoader::OpenGlobalPackage(std::move(bytes)));
  }
  static void TearDownTestSuite() { ResourceLoader::CloseGlobalPackage(); }

  void SetUp() override {
    DpiScale::Set(100, false);
    GlobalManager::Reset();
    GlobalManager::AddFont(u"system", 12, false, false);
    TextMeasurer::SetInstance(&measurer_);
    // Image names resolve as they do for the main window's layout.
    window_.SetLayoutPath(u"resources/themes/default/basic/basic.xml");
    window_.SetAttribute(u"size", u"300,200");
    window_.SetAttribute(u"caption", u"0,0,0,40");
    auto* root = new Box;
    root->SetAttribute(u"bkcolor", u"#FFF4F8F9");
    title_ = Add(root, new Label, u"title", 0, 0, 300, 40);
    title_->SetText(u"提示");
    button_ = Add(root, new Button, u"btn_yes", 20, 60, 80, 30);
    button_->SetText(u"重试");
    button_->SetAttribute(u"cursortype", u"hand");
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
    RunUntilIdle();
  }
  void TearDown() override {
    native_.Destroy();
    TextMeasurer::SetInstance(nullptr);
    GlobalManager::Reset();
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

  // Runs the loop until every queued message and task has been handled.
  void RunUntilIdle() {
    Watchdog watchdog;
    loop_.PostTask([this] { loop_.QuitWhenIdle(); });
    loop_.Run();
  }

  // A mouse message at a client point (the window's own coordinates
  // include the shadow).
  void PostMouse(UINT message, int x, int y) {
    const int m = native_.shadow_margin();
    PostMessageW(native_.hwnd(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                 MAKELPARAM(x + m, y + m));
  }
  void Click(int x, int y) {
    PostMouse(WM_MOUSEMOVE, x, y);
    PostMouse(WM_LBUTTONDOWN, x, y);
    PostMouse(WM_LBUTTONUP, x, y);
  }
  void PostKey(WPARAM key) {
    PostMessageW(native_.hwnd(), WM_KEYDOWN, key, 1);
    PostMessageW(native_.hwnd(), WM_KEYUP, key, 0xC0000001);
  }
  void PostText(const std::u16string& text) {
    for (char16_t unit : text) PostMessageW(native_.hwnd(), WM_CHAR, unit, 1);
  }
  // Ctrl+key, with the control key really held for GetKeyState.
  void PressWithControl(WPARAM key) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(native_.hwnd(), WM_KEYDOWN, key, 1);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
  }
  LRESULT HitTestAt(int x, int y) {
    const Point origin = native_.GetPosition();
    return SendMessageW(native_.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(origin.x + x, origin.y + y));
  }
  Gdiplus::Color FramePixel(int x, int y) {
    Gdiplus::Color color;
    const int m = native_.shadow_margin();
    native_.last_frame()->GetPixel(x + m, y + m, &color);
    return color;
  }

  // Every pixel of the last frame, as drawn.
  std::vector<Gdiplus::ARGB> FramePixels() {
    Gdiplus::Bitmap* frame = native_.last_frame();
    std::vector<Gdiplus::ARGB> pixels;
    for (UINT y = 0; y < frame->GetHeight(); ++y) {
      for (UINT x = 0; x < frame->GetWidth(); ++x) {
        Gdiplus::Color color;
        frame->GetPixel(static_cast<INT>(x), static_cast<INT>(y), &color);
        pixels.push_back(color.GetValue());
      }
    }
    return pixels;
  }

  nbase::MessageLoop loop_{nbase::MessageLoop::kUI};
  GdiplusTextMeasurer measurer_;
  Window window_;
  Win32NativeWindow native_{&window_};
  Label* title_ = nullptr;
  Button* button_ = nullptr;
  RichEdit* edit_ = nullptr;
  int clicks_ = 0;
  int text_changes_ = 0;
};

TEST_F(Win32NativeWindowTest, LayeredFrameCarriesTheSkinsShadowAroundTheClientArea) {
  ASSERT_EQ(native_.shadow_margin(), 30);
  RECT outer{};
  GetWindowRect(native_.hwnd(), &outer);
  EXPECT_EQ(outer.right - outer.left, 360);
  EXPECT_EQ(outer.bottom - outer.top, 260);
  EXPECT_TRUE(GetWindowLongPtrW(native_.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  // The client is opaque; the shadow is translucent, fading outward and
  // heavier below than above; the outermost corner is clear.
  EXPECT_EQ(FramePixel(150, 100).GetValue(), 0xFFF4F8F9u);
  const int near_below = FramePixel(150, 203).GetA();
  const int near_above = FramePixel(150, -4).GetA();
  EXPECT_GT(near_below, 0);
  EXPECT_LT(near_below, 255);
  EXPECT_GE(near_below, near_above);
  EXPECT_LT(FramePixel(150, 225).GetA(), near_below);
  EXPECT_EQ(FramePixel(-30, -30).GetA(), 0);

  // A window without a shadow is its client area alone.
  Window plain;
  plain.SetAttribute(u"size", u"120,80");
  plain.SetAttribute(u"shadowattached", u"false");
  plain.AttachRoot(new Box);
  Win32NativeWindow plain_native(&plain);
  ASSERT_TRUE(plain_native.Create(&native_, "plain"));
  EXPECT_EQ(plain_native.shadow_margin(), 0);
  GetWindowRect(plain_native.hwnd(), &outer);
  EXPECT_EQ(outer.right - outer.left, 120);
}

TEST_F(Win32NativeWindowTest, CaptionDragsExceptOverControlsThatTakeClicksAndTheShadowTakesNone) {
  EXPECT_EQ(HitTestAt(150, 10), HTCAPTION);   // the title label
  EXPECT_EQ(HitTestAt(150, 45), HTCLIENT);    // below the caption
  EXPECT_EQ(HitTestAt(150, -10), HTTRANSPARENT);  // the shadow
  window_.SetAttribute(u"caption", u"0,0,0,200");
  EXPECT_EQ(HitTestAt(250, 75), HTCAPTION);
  EXPECT_EQ(HitTestAt(50, 75), HTCLIENT);   // the button
  EXPECT_EQ(HitTestAt(60, 120), HTCLIENT);  // the edit field
  // A disabled window does not move either.
  native_.SetEnabled(false);
  EXPECT_EQ(HitTestAt(250, 75), HTCLIENT);
}

TEST_F(Win32NativeWindowTest, MouseMessagesReachTheButtonUnlessTheWindowIsDisabled) {
  Click(50, 75);
  RunUntilIdle();
  EXPECT_EQ(clicks_, 1);
  // A press released elsewhere clicks nothing.
  PostMouse(WM_LBUTTONDOWN, 50, 75);
  PostMouse(WM_MOUSEMOVE, 250, 75);
  PostMouse(WM_LBUTTONUP, 250, 75);
  RunUntilIdle();
  EXPECT_EQ(clicks_, 1);

  // Disabled, as an owner under a question: the system refuses it input too.
  native_.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(native_.hwnd()));
  Click(50, 75);
  PostKey(VK_SPACE);
  RunUntilIdle();
  EXPECT_EQ(clicks_, 1);

  native_.SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(native_.hwnd()));
  Click(50, 75);
  RunUntilIdle();
  EXPECT_EQ(clicks_, 2);
  // The button took the focus with the click: space activates it.
  PostKey(VK_SPACE);
  RunUntilIdle();
  EXPECT_EQ(clicks_, 3);
}

TEST_F(Win32NativeWindowTest, TypedChineseTextEditingKeysAndTheClipboardChangeTheEditField) {
  Click(60, 120);  // focus the edit field
  PostText(u"安装位置");
  RunUntilIdle();
  EXPECT_EQ(edit_->GetText(), u"安装位置");
  EXPECT_EQ(text_changes_, 4);  // one per character typed

  // Control characters come as keys, never as text.
  PostMessageW(native_.hwnd(), WM_CHAR, 0x08, 1);
  PostKey(VK_BACK);
  PostKey(VK_LEFT);
  PostKey(VK_RETURN);  // multi-line: a line break
  RunUntilIdle();
  EXPECT_EQ(edit_->GetText(), u"安装\n位");

  // Copy the selection, cut it, paste it back at the end.
  PostKey(VK_HOME);
  RunUntilIdle();
  edit_->SetSel(0, 2);
  PressWithControl('C');
  PressWithControl('X');
  EXPECT_EQ(edit_->GetText(), u"\n位");
  edit_->SetSel(2, 2);
  PressWithControl('V');
  EXPECT_EQ(edit_->GetText(), u"\n位安装");

  // A surrogate pair arrives as two characters and is one character.
  PostText(u"\U0001F600");
  RunUntilIdle();
  EXPECT_EQ(edit_->GetText(), u"\n位安装\U0001F600");
}

TEST_F(Win32NativeWindowTest, InputMethodCompositionIsShownAtTheCaretUntilItsResultIsTyped) {
  Click(60, 120);
  PostText(u"安");
  RunUntilIdle();
  HIMC context = ImmGetContext(native_.hwnd());
  ASSERT_NE(context, nullptr);
  const std::u16string reading = u"zhuang";
  if (!ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<char16_t*>(reading.c_str()),
                                static_cast<DWORD>(reading.size() * 2), nullptr, 0)) {
    ImmReleaseContext(native_.hwnd(), context);
    GTEST_SKIP() << "no input method behind this window";
  }
  RunUntilIdle();
  EXPECT_EQ(native_.GetCompositionText(), u"zhuang");
  EXPECT_EQ(edit_->GetCompositionText(), u"zhuang");
  EXPECT_EQ(edit_->GetText(), u"安");
  ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
  ImmReleaseContext(native_.hwnd(), context);
  RunUntilIdle();
  EXPECT_TRUE(native_.GetCompositionText().empty());
  EXPECT_EQ(edit_->GetText(), u"安zhuang");
}

TEST_F(Win32NativeWindowTest, HandCursorOverAControlThatAsksForIt) {
  const Point origin = native_.GetPosition();
  auto cursor_at = [&](int x, int y) {
    SetCursorPos(origin.x + x, origin.y + y);
    SendMessageW(native_.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(native_.hwnd()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  EXPECT_EQ(cursor_at(50, 75), LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(cursor_at(250, 75), LoadCursorW(nullptr, IDC_ARROW));
  button_->SetEnabled(false);
  EXPECT_EQ(cursor_at(50, 75), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(Win32NativeWindowTest, CloseRequestsReachTheCloseHandlerWithTheirCode) {
  std::vector<uint32_t> codes;
  native_.SetCloseHandler([&](uint32_t code) { codes.push_back(code); });
  native_.RequestClose(1);
  EXPECT_TRUE(codes.empty());  // posted, never at once
  PostMessageW(native_.hwnd(), WM_CLOSE, 0, 0);  // Alt+F4, the task bar
  RunUntilIdle();
  EXPECT_EQ(codes, (std::vector<uint32_t>{1, 0}));
  EXPECT_TRUE(IsWindow(native_.hwnd()));  // the handler decides
}

TEST_F(Win32NativeWindowTest, RepaintsOnlyWhatChangedWhenTheTreeChangedAndResizeKeepsThePosition) {
  PostMouse(WM_MOUSEMOVE, 250, 190);
  RunUntilIdle();
  const uint64_t frames = native_.frames_drawn();
  EXPECT_GE(frames, 1u);
  loop_.PostTask([] {});
  PostMouse(WM_MOUSEMOVE, 251, 191);  // still over the same control
  RunUntilIdle();
  EXPECT_EQ(native_.frames_drawn(), frames);
  loop_.PostTask([this] { title_->SetText(u"已经安装"); });
  RunUntilIdle();
  EXPECT_EQ(native_.frames_drawn(), frames + 1);
  // Only the label was drawn again, into the kept frame: the frame is the
  // one a whole repaint gives, pixel for pixel (the shadow included).
  EXPECT_EQ(native_.last_painted_rect(), title_->GetPos());
  const std::vector<Gdiplus::ARGB> partial = FramePixels();
  native_.PaintNow();
  EXPECT_EQ(native_.last_painted_rect(), (Rect{0, 0, 300, 200}));
  EXPECT_TRUE(partial == FramePixels()) << "the partial frame differs from a whole one";

  const Point before = native_.GetPosition();
  native_.Resize(Size{360, 240});
  EXPECT_EQ(native_.GetPosition(), before);
  EXPECT_EQ(window_.GetClientSize(), (Size{360, 240}));
  RECT outer{};
  GetWindowRect(native_.hwnd(), &outer);
  EXPECT_EQ(outer.right - outer.left, 420);
}

}  // namespace
}  // namespace ui
