// The window builder: element vocabulary, "Global" and "Window" roots,
// classes, includes, declarative events, custom controls and the level
// rules for non-box parents and unknown elements.
#include "ui/core/window_builder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "base/utf.h"
#include "tests/support/ui_globals.h"
#include "ui/core/box.h"
#include "ui/core/button.h"
#include "ui/core/check_box.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"
#include "ui/core/window.h"
#include "ui/skin/resource_loader.h"

namespace ui {
namespace {

class WindowBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    varnik_test::ResetUiGlobals();
    char pattern[] = "/tmp/ui_builder_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ResourceLoader::SetFileSystemRoot(nbase::Utf8ToUtf16(dir_));
  }
  void TearDown() override {
    varnik_test::ResetUiGlobals();
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
  }
  Control* Build(const std::u16string& xml, Window* window = nullptr) {
    return builder_.Create(xml, nullptr, window, nullptr);
  }

  std::string dir_;
  WindowBuilder builder_;
};

TEST_F(WindowBuilderTest, ElementNamesMakeTheirKinds) {
  struct Case {
    const char16_t* element;
    const char16_t* type;
    bool is_box;
  };
  const Case cases[] = {
      {u"Box", u"Box", true},
      {u"HBox", u"HBox", true},
      {u"VBox", u"VBox", true},
      {u"TabBox", u"Box", true},
      {u"ChildBox", u"Box", true},
      {u"ListBox", u"Box", true},
      {u"HListBox", u"HBox", true},
      {u"VListBox", u"VBox", true},
      {u"TreeView", u"VBox", true},
      {u"TileBox", u"Box", true},
      {u"VirtualListBox", u"VBox", true},
      {u"Control", u"Control", false},
      {u"Label", u"Label", false},
      {u"Button", u"Button", false},
      {u"Option", u"CheckBox", false},
      {u"CheckBox", u"CheckBox", false},
      {u"Combo", u"Label", false},
      {u"Slider", u"Progress", false},
      {u"Progress", u"Progress", false},
      {u"RichEdit", u"RichEdit", false},
      {u"ScrollBar", u"Control", false},
      {u"ButtonBox", u"Box", true},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Control> made(WindowBuilder::CreateControlByName(c.element));
    ASSERT_NE(made, nullptr) << nbase::Utf16ToUtf8(c.element);
    EXPECT_EQ(made->GetType(), c.type);
    EXPECT_EQ(made->IsBox(), c.is_box);
  }
  for (const char16_t* name : {u"Window", u"Global", u"Include", u"Event", u"Font", u"box"}) {
    EXPECT_EQ(WindowBuilder::CreateControlByName(name), nullptr);
  }
}

TEST_F(WindowBuilderTest, GlobalRegistersFontsColoursClassesForTheProcess) {
  EXPECT_EQ(Build(u"<Global defaultfontcolor=\"#ff111111\" disabledfontcolor=\"#ff222222\" "
                  u"linkfontcolor=\"#ff333333\">"
                  u"<Font name=\"system\" size=\"12\"/><Font name=\"arial\" size=\"14\" "
                  u"bold=\"true\"/><TextColor name=\"pink\" value=\"#ffff00ff\"/>"
                  u"<Class name=\"big\" value=\"width=&quot;77&quot; font=&quot;1&quot;\"/>"
                  u"</Global>"),
            nullptr);
  EXPECT_EQ(GlobalManager::FontCount(), 2);
  EXPECT_TRUE(GlobalManager::GetFont(1).bold);
  EXPECT_EQ(GlobalManager::GetDefaultTextColor(), 0xFF111111u);
  EXPECT_EQ(GlobalManager::GetDefaultDisabledTextColor(), 0xFF222222u);
  EXPECT_EQ(GlobalManager::GetGlobalColor(u"linkfontcolor"), 0xFF333333u);
  std::unique_ptr<Control> label(
      Build(u"<Label class=\"big\" normaltextcolor=\"pink\" text=\"x\"/>"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->GetFixedWidth(), 77);
  EXPECT_EQ(static_cast<Label*>(label.get())->GetFont(), 1);
  EXPECT_EQ(static_cast<Label*>(label.get())->GetPaintTextColor(), 0xFFFF00FFu);
}

TEST_F(WindowBuilderTest, WindowAttributesClassesAndTheRoot) {
  GlobalManager::AddClass(u"k", u"width=\"10\"");
  DpiScale::Set(150, true);
  Window window;
  Control* root = Build(
      u"<Window size=\"340,180\" caption=\"0,0,0,34\" roundcorner=\"4,4\">"
      u"<Class name=\"k\" value=\"width=&quot;20&quot;\"/>"
      u"<VBox name=\"root\"><Button name=\"b\" class=\"k\"/></VBox>"
      u"<Label name=\"second_top_level\"/></Window>",
      &window);
  ASSERT_NE(root, nullptr);
  window.AttachRoot(root);
  EXPECT_EQ(window.GetInitialSize(), (Size{510, 270}));
  EXPECT_EQ(window.GetClientSize(), (Size{510, 270}));
  EXPECT_EQ(window.GetCaptionRect(), (Rect{0, 0, 0, 51}));
  EXPECT_EQ(window.GetRoundCorner(), (Point{6, 6}));
  EXPECT_EQ(root->GetName(), u"root");
  // The window's class comes before the global one of the same name.
  EXPECT_EQ(window.FindControl(u"b")->GetFixedWidth(), 30);
  EXPECT_EQ(window.FindControl(u"second_top_level"), nullptr);
}

TEST_F(WindowBuilderTest, IncludeWithCountAddsEveryCopy) {
  WriteFile("row.xml", "<Label name=\"inc\" text=\"hi\"/>");
  std::unique_ptr<Control> root(
      Build(u"<VBox><Include source=\"row.xml\" count=\"3\"/><Include source=\"row.xml\"/>"
            u"<Include count=\"2\"/><Include source=\"missing.xml\"/></VBox>"));
  ASSERT_NE(root, nullptr);
  Box* box = static_cast<Box*>(root.get());
  ASSERT_EQ(box->GetCount(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(box->GetAt(i)->GetType(), u"Label");
}

// A control that counts its live instances, to see which copies survive.
class CountedControl : public Control {
 public:
  CountedControl() { ++alive; }
  ~CountedControl() override { --alive; }
  static inline int alive = 0;
};

TEST_F(WindowBuilderTest, TopLevelIncludeKeepsOnlyTheFirstCopy) {
  WriteFile("counted.xml", "<Counted name=\"copy\"/>");
  const auto make = [](const std::u16string& name) -> Control* {
    return name == u"Counted" ? new CountedControl : nullptr;
  };
  struct Case {
    const char16_t* layout;
    const char16_t* root_name;
  };
  const Case cases[] = {
      // Three top-level copies: the first is the root, the others have no owner.
      {u"<Include source=\"counted.xml\" count=\"3\"/>", u"copy"},
      // After a top-level control every copy is one too many.
      {u"<Window><Control name=\"first\"/><Include source=\"counted.xml\" count=\"2\"/></Window>",
       u"first"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(nbase::Utf16ToUtf8(c.layout));
    CountedControl::alive = 0;
    std::unique_ptr<Control> root(builder_.Create(c.layout, make));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), c.root_name);
    EXPECT_EQ(CountedControl::alive, root->GetName() == u"copy" ? 1 : 0);
  }
}

TEST_F(WindowBuilderTest, HostileIncludesAndNumbersStayBounded) {
  // A file that includes itself twice stops at the include depth.
  WriteFile("self.xml", "<VBox><Label/><Include source=\"self.xml\" count=\"2\"/></VBox>");
  WriteFile("one.xml", "<Control/>");
  std::unique_ptr<Control> root(
      Build(u"<VBox><Include source=\"self.xml\"/><Include source=\"one.xml\" "
            u"count=\"2000000000\"/><Include source=\"one.xml\" count=\"-4\"/></VBox>"));
  ASSERT_NE(root, nullptr);
  Box* box = static_cast<Box*>(root.get());
  ASSERT_EQ(box->GetCount(), 1u + WindowBuilder::kMaxIncludeCount);
  int depth = 0;  // nested copies of self.xml, the innermost without includes
  for (Box* level = static_cast<Box*>(box->GetAt(0)); level;
       level = level->GetCount() > 1 ? static_cast<Box*>(level->GetAt(1)) : nullptr) {
    ++depth;
  }
  EXPECT_EQ(depth, WindowBuilder::kMaxIncludeDepth);

  // Giant numbers are bounded, so the layout arithmetic cannot overflow.
  std::unique_ptr<Control> wide(
      Build(u"<HBox><Control width=\"99999999999\" margin=\"99999999999,0,99999999999,0\"/>"
            u"<Control width=\"99999999999\"/><Control/></HBox>"));
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(static_cast<Box*>(wide.get())->GetAt(0)->GetFixedWidth(), 1000000);
  wide->SetPos(Rect{0, 0, 100, 10});
  EXPECT_EQ(static_cast<Box*>(wide.get())->GetAt(2)->GetPos().Width(), 0);
  EXPECT_EQ(static_cast<Box*>(wide.get())->GetAt(1)->GetPos().left, 3000000);
}

TEST_F(WindowBuilderTest, UnknownElementIsSkippedWithItsChildren) {
  std::unique_ptr<Control> root(
      Build(u"<VBox><Mystery><Label name=\"hidden_inside\"/></Mystery>"
            u"<Label name=\"after\"/></VBox>"));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->FindControl(u"hidden_inside"), nullptr);
  ASSERT_NE(root->FindControl(u"after"), nullptr);
  EXPECT_EQ(static_cast<Box*>(root.get())->GetCount(), 1u);
}

TEST_F(WindowBuilderTest, CustomControlsFromCreatorThenCallback) {
  std::vector<std::u16string> asked;
  GlobalManager::SetCustomControlCreator([&](const std::u16string& name) -> Control* {
    asked.push_back(u"global:" + name);
    return name == u"Fancy" ? new Button : nullptr;
  });
  std::unique_ptr<Control> root(
      builder_.Create(u"<VBox><Fancy name=\"f\"/><Mine name=\"m\"/><Nobody/></VBox>",
                      [&](const std::u16string& name) -> Control* {
                        asked.push_back(u"callback:" + name);
                        return name == u"Mine" ? new CheckBox : nullptr;
                      }));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->FindControl(u"f")->GetType(), u"Button");
  EXPECT_EQ(root->FindControl(u"m")->GetType(), u"CheckBox");
  EXPECT_EQ(asked, (std::vector<std::u16string>{u"global:Fancy", u"global:Mine", u"callback:Mine",
                                                u"global:Nobody", u"callback:Nobody"}));
}

TEST_F(WindowBuilderTest, ControlInsideANonBoxEndsThatLevel) {
  std::unique_ptr<Control> root(
      Build(u"<VBox><Label name=\"l\"><Button name=\"inner\"/><Label name=\"inner2\"/></Label>"
            u"<Button name=\"next\"/></VBox>"));
  ASSERT_NE(root, nullptr);
  EXPECT_NE(root->FindControl(u"l"), nullptr);
  EXPECT_EQ(root->FindControl(u"inner"), nullptr);
  EXPECT_EQ(root->FindControl(u"inner2"), nullptr);
  EXPECT_NE(root->FindControl(u"next"), nullptr);
}

TEST_F(WindowBuilderTest, DeclarativeEventsApplyAttributesToReceivers) {
  Window window;
  Control* root = Build(
      u"<Window><VBox name=\"root\">"
      u"<Button name=\"b\"><Event type=\"click mouseenter\" receiver=\"t1 t2\" "
      u"applyattribute=\"text=&quot;hit&quot;\"/></Button>"
      u"<Label name=\"t1\"/><Label name=\"t2\"/>"
      u"<Label name=\"l\"><BubbledEvent type=\"click\" receiver=\"t1\" "
      u"applyattribute=\"text=&quot;never&quot;\"/></Label>"
      u"<HBox name=\"row\"><BubbledEvent type=\"click\" receiver=\"t3\" "
      u"applyattribute=\"visible=&quot;false&quot;\"/><Button name=\"rb\"/></HBox>"
      u"<Label name=\"t3\"/></VBox></Window>",
      &window);
  ASSERT_NE(root, nullptr);
  window.AttachRoot(root);
  auto text = [&](const char16_t* name) {
    return static_cast<Label*>(window.FindControl(name))->GetText();
  };
  window.FindControl(u"b")->Activate();
  EXPECT_EQ(text(u"t1"), u"hit");
  EXPECT_EQ(text(u"t2"), u"hit");
  static_cast<Label*>(window.FindControl(u"t1"))->SetText(u"");
  window.FindControl(u"b")->SendEvent(kEventMouseEnter);
  EXPECT_EQ(text(u"t1"), u"hit");
  // A bubbled event on a non-box binds nothing; on a box it sees the
  // children's events.
  window.FindControl(u"rb")->Activate();
  EXPECT_FALSE(window.FindControl(u"t3")->IsVisible());
  EXPECT_EQ(text(u"t1"), u"hit");
}

TEST_F(WindowBuilderTest, EventNamesAndCodes) {
  struct Case {
    const char16_t* name;
    int32_t code;
  };
  const Case cases[] = {
      {u"all", 6},           {u"keydown", 8},      {u"keyup", 9},        {u"char", 10},
      {u"syskey", 11},       {u"setfocus", 36},    {u"killfocus", 37},   {u"setcursor", 40},
      {u"mousemove", 14},    {u"mouseenter", 15},  {u"mouseleave", 16},  {u"mousehover", 17},
      {u"buttondown", 18},   {u"buttonup", 19},    {u"rbuttondown", 20}, {u"doubleclick", 22},
      {u"select", 42},       {u"unselect", 43},    {u"menu", 23},        {u"scrollwheel", 24},
      {u"scrollchange", 50}, {u"valuechange", 51}, {u"return", 45},      {u"tab", 46},
      {u"windowclose", 39},  {u"click", 41},       {u"Click", 4},        {u"", 4},
      {u"textchange", 4}};
  for (const Case& c : cases) EXPECT_EQ(EventTypeFromName(c.name), c.code);
}

TEST_F(WindowBuilderTest, LoadFailuresReportTheParserError) {
  EXPECT_EQ(Build(u"<VBox><Label></VBox>"), nullptr);
  EXPECT_NE(builder_.GetLastError().find(u"Unmatched closing tag"), std::u16string::npos);
  EXPECT_EQ(Build(u"nothing_here.xml"), nullptr);
  EXPECT_FALSE(builder_.GetLastError().empty());

  class SkinWindow : public Window {
   public:
    std::u16string GetSkinFolder() override { return u"nowhere"; }
    std::u16string GetSkinFile() override { return u"none.xml"; }
  } window;
  EXPECT_FALSE(window.LoadSkin());
  EXPECT_EQ(window.GetRoot(), nullptr);
  EXPECT_EQ(window.GetLastLoadError().rfind(u"Failed to load xml file ", 0), 0u);
}

}  // namespace
}  // namespace ui
