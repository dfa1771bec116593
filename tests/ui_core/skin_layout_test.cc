// The real skins from the packed skin package, built and laid out at 100,
// 125 and 150 %: the rectangles of the controls the user sees, worked out
// from the layout rules (text heights and widths come from the real fonts),
// and a walk through the pages with synthetic mouse and keyboard input.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "base/utf.h"
#include "tests/support/ui_globals.h"
#include "ui/core/box.h"
#include "ui/core/check_box.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"
#include "ui/core/rich_edit.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"
#include "ui/skin/resource_loader.h"
#include "ui/text/pango_text_measurer.h"

namespace ui {
namespace {

class SkinWindow : public Window {
 public:
  SkinWindow(std::u16string folder, std::u16string file)
      : folder_(std::move(folder)), file_(std::move(file)) {}
  std::u16string GetSkinFolder() override { return folder_; }
  std::u16string GetSkinFile() override { return file_; }

 private:
  std::u16string folder_;
  std::u16string file_;
};

std::string ReadPackage() {
  std::ifstream in(VARNIK_SKIN_ZIP, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What the expectations are computed from: the scale and the real fonts.
struct Scale {
  int32_t percent;
  const char16_t* theme;
  int32_t S(int32_t v) const { return DpiScale::MulDiv(v, percent, 100); }
};

Size Text(int32_t font, const std::u16string& text, PangoTextMeasurer& m) {
  return m.Measure(GlobalManager::GetFont(font), text, 0, true);
}

class SkinLayoutTest : public ::testing::TestWithParam<Scale> {
 protected:
  void SetUp() override {
    const Scale& scale = GetParam();
    varnik_test::ResetUiGlobals();
    DpiScale::Set(scale.percent, true);
    ASSERT_TRUE(ResourceLoader::OpenGlobalPackage(ReadPackage())) << VARNIK_SKIN_ZIP;
    ResourceLoader::SetResourceRoot(u"resources\\");
    ResourceLoader::SetThemeFolder(scale.theme);
    ASSERT_TRUE(WindowBuilder::LoadGlobalStyle());
    TextMeasurer::SetInstance(&measurer_);
  }
  void TearDown() override { varnik_test::ResetUiGlobals(); }

  // Shows one page of the main window and lays the window out.
  void ShowPage(Window& w, const char16_t* page) {
    for (const char16_t* name :
         {u"welcompage", u"installpage", u"ExitStartpage", u"installedpage", u"installfaildpage"}) {
      w.FindControl(name)->SetVisible(std::u16string(name) == page);
    }
    w.LayoutIfNeeded();
  }

  PangoTextMeasurer measurer_;
};

TEST_P(SkinLayoutTest, MainWindowGeometry) {
  const Scale sc = GetParam();
  auto S = [&](int32_t v) { return sc.S(v); };
  SkinWindow w(u"basic", u"basic.xml");
  ASSERT_TRUE(w.LoadSkin()) << nbase::Utf16ToUtf8(w.GetLastLoadError());
  const int32_t W = S(600);
  const int32_t H = S(400);
  ASSERT_EQ(w.GetInitialSize(), (Size{W, H}));
  w.Resize(w.GetInitialSize());

  const int32_t t28 = Text(28, u"您的软件名称", measurer_).cy;  // page headline
  const int32_t t2 = Text(2, u"其他原因", measurer_).cy;
  const int32_t page_left = S(30);
  const int32_t page_top = S(30);
  const int32_t page_width = W - S(30);
  // The pages' rows down to the headline: logo and headline with margins.
  const int32_t below_headline = page_top + S(34) + S(80) + S(30) + t28;

  struct Case {
    const char16_t* page;
    const char16_t* control;
    Rect expected;
  };
  std::vector<Case> cases;
  // The close button: right end of the title bar (margins 0,10,11,0).
  cases.push_back(
      {u"welcompage", u"btn_exit", Rect{W - S(11) - S(24), S(10), W - S(11), S(10) + S(24)}});
  // The start button: centred, 65 below the headline.
  {
    const int32_t left = page_left + (page_width - S(240)) / 2;
    const int32_t top = below_headline + S(65);
    cases.push_back(
        {u"welcompage", u"btn_startinstall", Rect{left, top, left + S(240), top + S(52)}});
  }
  // The progress bar: the page's width less 20 on each side, 80 below the
  // headline, 6 high.
  {
    const int32_t top = below_headline + S(80);
    cases.push_back(
        {u"installpage", u"progress_install", Rect{page_left + S(20), top, W - S(20), top + S(6)}});
  }
  // The exit page: a headline row, then two columns of check boxes 16 high
  // with 16 between them, each column half the page wide.
  const int32_t boxes_top = page_top + S(30) + t28 + S(20);
  const int32_t column = page_width / 2 + (page_width % 2);  // the first takes the leftover
  const char16_t* const texts[5] = {u"本软件已经安装", u"以前曾经安装过，不能满足要求",
                                    u"下载错了，糊里糊涂下载了软件", u"第六感不喜欢，不安全",
                                    u"没有理由，就是不想安装"};
  const char16_t* const names[5] = {u"checkbox_1", u"checkbox_2", u"checkbox_3", u"checkbox_4",
                                    u"checkbox_5"};
  for (int i = 0; i < 5; ++i) {
    const int32_t left = i < 3 ? page_left : page_left + column;
    const int32_t row = i < 3 ? i : i - 3;
    const int32_t top = boxes_top + row * 2 * S(16);
    const int32_t width = Text(2, texts[i], measurer_).cx + S(20);  // text padding 20
    cases.push_back({u"ExitStartpage", names[i], Rect{left, top, left + width, top + S(16)}});
  }
  // The exit page's bottom bar follows the feedback field; both buttons are
  // as high as their 80 x 30 background image.
  {
    const int32_t bar_top = boxes_top + S(81) + S(30) + t2 + S(95);
    const int32_t button_height = std::max(30, t2);
    cases.push_back({u"ExitStartpage", u"btn_continueInstall",
                     Rect{W - S(92), bar_top, W, bar_top + button_height}});
    const int32_t quit_left = W - S(92) - S(10) - S(60);
    const int32_t quit_top = bar_top + (S(28) - button_height) / 2;
    cases.push_back({u"ExitStartpage", u"btn_quitStart",
                     Rect{quit_left, quit_top, quit_left + S(60), quit_top + button_height}});
  }

  for (const Case& c : cases) {
    ShowPage(w, c.page);
    Control* control = w.FindControl(c.control);
    ASSERT_NE(control, nullptr) << nbase::Utf16ToUtf8(c.control);
    EXPECT_EQ(control->GetPos(), c.expected)
        << nbase::Utf16ToUtf8(c.control) << " at " << sc.percent << " %";
  }
}

TEST_P(SkinLayoutTest, MessageBoxGeometry) {
  const Scale sc = GetParam();
  auto S = [&](int32_t v) { return sc.S(v); };
  SkinWindow w(u"msgbox", u"msgbox.xml");
  ASSERT_TRUE(w.LoadSkin()) << nbase::Utf16ToUtf8(w.GetLastLoadError());
  ASSERT_EQ(w.GetInitialSize(), (Size{S(340), S(180)}));
  w.Resize(w.GetInitialSize());

  // The content is empty: one line of font 3. The answer buttons have no
  // text yet and take their 80 x 30 background image's size.
  const int32_t line = measurer_.Measure(GlobalManager::GetFont(3), u"", S(300), false).cy;
  const int32_t content_top = S(34) + S(30);
  const int32_t row_top = content_top + line + S(30);
  const int32_t no_right = S(340) - S(20);
  const int32_t yes_right = no_right - 80 - S(10);

  struct Case {
    const char16_t* control;
    Rect expected;
  };
  const Case cases[] = {
      {u"content", Rect{S(20), content_top, S(20) + S(300), content_top + line}},
      {u"btn_no", Rect{no_right - 80, row_top, no_right, row_top + 30}},
      {u"btn_yes", Rect{yes_right - 80, row_top, yes_right, row_top + 30}},
      {u"closebtn", Rect{S(340) - S(5) - S(20), S(6), S(340) - S(5), S(6) + S(20)}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(w.FindControl(c.control)->GetPos(), c.expected)
        << nbase::Utf16ToUtf8(c.control) << " at " << sc.percent << " %";
  }
  // The root is as tall as its rows.
  EXPECT_EQ(w.GetRoot()->GetPos(), (Rect{0, 0, S(340), row_top + 30 + S(20)}));

  // A long text fits by growing the content box, which pushes the buttons.
  RichEdit* content = static_cast<RichEdit*>(w.FindControl(u"content"));
  EXPECT_FALSE(content->IsEnabled());
  EXPECT_TRUE(content->IsMultiLine());
  content->SetText(std::u16string(80, u'长'));
  const int32_t tall = content->GetNaturalHeight(content->GetFixedWidth());
  EXPECT_GE(tall, line * 3);
  content->SetFixedHeight(tall, false);
  w.LayoutIfNeeded();
  EXPECT_EQ(w.FindControl(u"btn_no")->GetPos().top, content_top + tall + S(30));
}

TEST_P(SkinLayoutTest, ClickTypeAndToggleThroughTheMainWindow) {
  SkinWindow w(u"basic", u"basic.xml");
  ASSERT_TRUE(w.LoadSkin());
  w.Resize(w.GetInitialSize());
  std::vector<std::u16string> events;
  auto record = [&](const EventArgs& args) {
    const char* kind = args.type == kEventClick    ? "click "
                       : args.type == kEventSelect ? "select "
                                                   : "unselect ";
    events.push_back(nbase::Utf8ToUtf16(kind) + args.sender->GetName());
    return true;
  };
  for (const char16_t* name : {u"btn_startinstall", u"btn_quitStart", u"btn_continueInstall"}) {
    ASSERT_TRUE(w.AttachEvent(name, kEventClick, record));
  }
  ASSERT_TRUE(w.AttachEvent(u"checkbox_1", kEventSelect, record));
  ASSERT_TRUE(w.AttachEvent(u"checkbox_1", kEventUnselect, record));
  auto centre = [&](const char16_t* name) {
    const Rect& r = w.FindControl(name)->GetPos();
    return Point{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  auto click = [&](Point p) {
    w.OnMouseMove(p);
    w.OnButtonDown(p);
    w.OnButtonUp(p);
  };

  ShowPage(w, u"welcompage");
  click(centre(u"btn_startinstall"));
  EXPECT_EQ(w.GetFocus(), w.FindControl(u"btn_startinstall"));
  w.OnKeyDown(kKeySpace);

  ShowPage(w, u"ExitStartpage");
  click(centre(u"checkbox_1"));
  click(centre(u"checkbox_1"));
  click(centre(u"btn_quitStart"));  // disabled by the skin
  w.SetFocus(nullptr);
  w.SetFocus(w.FindControl(u"btn_quitStart"));  // a disabled button takes no focus
  EXPECT_EQ(w.GetFocus(), nullptr);
  w.OnKeyDown(kKeyReturn);
  w.FindControl(u"btn_quitStart")->SetEnabled(true);
  click(centre(u"btn_quitStart"));

  // Typing into the feedback field reaches its text-change handler.
  int changes = 0;
  ASSERT_TRUE(w.AttachEvent(u"edit_feedback", kEventTextChange, [&](const EventArgs&) {
    ++changes;
    return true;
  }));
  click(centre(u"edit_feedback"));
  for (char16_t ch : std::u16string(u"慢")) w.OnChar(ch);
  EXPECT_EQ(static_cast<RichEdit*>(w.FindControl(u"edit_feedback"))->GetText(), u"慢");
  EXPECT_EQ(changes, 1);
  // The read-only folder field on the welcome page takes no typing.
  ShowPage(w, u"welcompage");
  RichEdit* dir = static_cast<RichEdit*>(w.FindControl(u"edit_installdir"));
  EXPECT_TRUE(dir->IsReadOnly());
  EXPECT_EQ(dir->GetText(), u"C:\\Program Files (x86)\\dudIdiruvovo");

  EXPECT_EQ(events, (std::vector<std::u16string>{u"click btn_startinstall",
                                                 u"click btn_startinstall", u"select checkbox_1",
                                                 u"unselect checkbox_1", u"click btn_quitStart"}));
  // The skin's look for a selected agreement box and a hidden one.
  CheckBox* agreement = static_cast<CheckBox*>(w.FindControl(u"checkbox_agreement"));
  EXPECT_TRUE(agreement->IsSelected());
  EXPECT_FALSE(agreement->IsVisible());
  Progress* progress = static_cast<Progress*>(w.FindControl(u"progress_install"));
  EXPECT_EQ(progress->GetMaxValue(), 100);
  EXPECT_TRUE(progress->IsHorizontal());
}

TEST_P(SkinLayoutTest, MessageBoxRootSeesEveryClick) {
  SkinWindow w(u"msgbox", u"msgbox.xml");
  ASSERT_TRUE(w.LoadSkin());
  w.Resize(w.GetInitialSize());
  std::vector<std::u16string> clicked;
  ASSERT_TRUE(w.AttachBubbledEvent(w.GetRoot(), kEventClick, [&](const EventArgs& args) {
    clicked.push_back(args.sender->GetName());
    return true;
  }));
  for (const char16_t* name : {u"btn_yes", u"btn_no", u"closebtn"}) {
    const Rect& r = w.FindControl(name)->GetPos();
    const Point p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    w.OnMouseMove(p);
    w.OnButtonDown(p);
    w.OnButtonUp(p);
  }
  EXPECT_EQ(clicked, (std::vector<std::u16string>{u"btn_yes", u"btn_no", u"closebtn"}));
  // "closebtn" is a standard caption button.
  EXPECT_TRUE(w.IsCloseRequested());
  EXPECT_EQ(w.GetCloseCode(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Scales, SkinLayoutTest,
                         ::testing::Values(Scale{100, u"themes\\default"},
                                           Scale{125, u"themes\\default-hdpi"},
                                           Scale{150, u"themes\\default-xhdpi"}),
                         [](const ::testing::TestParamInfo<Scale>& info) {
                           return "Percent" + std::to_string(info.param.percent);
                         });

}  // namespace
}  // namespace ui
