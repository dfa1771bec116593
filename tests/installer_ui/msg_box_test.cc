// The skinned question box, driven headless: the packed skin, SDL with the
// "dummy" video driver, a real UI thread (thread 0) running the SDL pump,
// and synthetic mouse and keyboard input pushed through SDL's own queue.
#include "installer_ui/msg_box.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/message_loop.h"
#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "base/utf.h"
#include "platform/system_message_box.h"
#include "tests/support/test_ui_thread.h"
#include "tests/support/ui_globals.h"
#include "tests/ui_backend/backend_test_support.h"
#include "ui/backend/sdl_native_window.h"
#include "ui/core/box.h"
#include "ui/core/button.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/label.h"
#include "ui/core/rich_edit.h"
#include "ui/core/window.h"
#include "ui/skin/resource_loader.h"
#include "ui/text/pango_text_measurer.h"

namespace installer_ui {
namespace {

using Clock = std::chrono::steady_clock;
using ui::testing_support::Watchdog;

constexpr char16_t kExitQuestion[] = u"建议尽快下载完整安装包安装 \"VarnikPDF转换器\" 确定退出吗？";
constexpr char16_t kRunningQuestion[] = u"应用程序 \"VarnikPDF转换器\" 正在运行，是否强制关闭？";

const ::testing::Environment* const g_sdl =
    ::testing::AddGlobalTestEnvironment(new ui::testing_support::SdlEnvironment);

// One step of a scenario: an action on the UI thread, then a condition the
// UI loop keeps running for (checked between events and tasks).
struct Step {
  std::function<void()> action;
  std::function<bool()> until;
};

// A stand-in for the main window: a 600 x 400 window with one button that
// counts its clicks, on screen as an SDL window.
class OwnerWindow : public ui::Window {
 public:
  OwnerWindow() {
    SetAttribute(u"size", u"600,400");
    auto* root = new ui::Box;
    button_ = new ui::Button;
    button_->SetName(u"owner_btn");
    button_->SetAttribute(u"width", u"100");
    button_->SetAttribute(u"height", u"40");
    button_->SetAttribute(u"margin", u"20,20,0,0");
    root->Add(button_);
    AttachRoot(root);
    AttachEvent(button_, ui::kEventClick, [this](const ui::EventArgs&) {
      ++clicks_;
      return true;
    });
  }
  ui::Button* button() const { return button_; }
  int clicks() const { return clicks_; }

 private:
  ui::Button* button_ = nullptr;
  int clicks_ = 0;
};

// An object that hands out weak callbacks, as the main window does.
class CallbackOwner : public nbase::SupportWeakCallback {};

class MsgBoxTest : public ui::testing_support::SdlTest {
 protected:
  void SetUp() override {
    SdlTest::SetUp();
    LoadSkin(u"themes\\default", 100);
  }
  void TearDown() override {
    platform::SetSystemMessageBoxFunction(nullptr);
    varnik_test::ResetUiGlobals();
    SdlTest::TearDown();
  }

  void LoadSkin(const std::u16string& theme, int percent) {
    varnik_test::ResetUiGlobals();
    ASSERT_TRUE(varnik_test::LoadPackedSkin(VARNIK_SKIN_ZIP, theme, percent, &measurer_))
        << VARNIK_SKIN_ZIP;
  }

  // Runs the steps one after the other on a UI thread made for the test. A
  // condition that does not come true within 5 s fails the test and ends
  // the run; the watchdog catches a loop that hangs altogether.
  void RunScenario(std::vector<Step> steps) {
    Watchdog watchdog(std::chrono::seconds(30));
    size_t index = 0;
    Clock::time_point step_deadline;
    std::function<void()> poll;
    std::function<void()> next = [&] {
      if (index == steps.size()) {
        nbase::MessageLoop::current()->QuitWhenIdle();
        return;
      }
      if (steps[index].action) steps[index].action();
      step_deadline = Clock::now() + std::chrono::seconds(5);
      poll();
    };
    poll = [&] {
      if (!steps[index].until || steps[index].until()) {
        ++index;
        nbase::MessageLoop::current()->PostTask(next);
        return;
      }
      if (Clock::now() > step_deadline) {
        ADD_FAILURE() << "step " << index << " did not complete";
        nbase::MessageLoop::current()->QuitWhenIdle();
        return;
      }
      nbase::MessageLoop::current()->PostDelayedTask(poll, nbase::TimeDelta::FromMilliseconds(2));
    };
    varnik_test::TestUiThread thread([&] {
      owner_native_ = ui::NativeWindow::Make(&owner_);
      ASSERT_TRUE(owner_native_->Create(nullptr, "owner")) << owner_native_->GetLastError();
      owner_native_->Show();
      owner_.SetFocus(owner_.button());
      nbase::MessageLoop::current()->PostTask(next);
    });
    thread.RunOnCurrentThread(nbase::MessageLoop::kUI);
    // Boxes still open when the scenario ends go with their windows.
    while (!MsgBox::OpenBoxes().empty()) delete MsgBox::OpenBoxes().back();
    owner_native_.reset();
  }

  // The newest open box, or null.
  static MsgBox* Box() {
    const std::vector<MsgBox*>& boxes = MsgBox::OpenBoxes();
    return boxes.empty() ? nullptr : boxes.back();
  }
  template <typename T>
  static T* Find(const std::u16string& name) {
    return Box() ? dynamic_cast<T*>(Box()->FindControl(name)) : nullptr;
  }

  // Shows a box whose answers are recorded in answers_.
  void Show(const std::u16string& content, const std::u16string& yes, const std::u16string& no,
            ui::NativeWindow* owner) {
    ShowMsgBox(owner, {content, u"提示", yes, no}, [this](MsgBoxRet ret) {
      answers_.push_back(ret);
      answered_at_ = Clock::now();
      // What the owner looks like when the answer arrives.
      owner_enabled_at_answer_ = owner_.IsWindowEnabled();
      owner_focus_at_answer_ = owner_.GetFocus();
      box_closing_at_answer_ = Box() && Box()->IsClosing();
      on_ui_thread_at_answer_ = nbase::ThreadRegistry::CurrentThreadId() == nbase::kThreadUI;
    });
  }
  void ShowStandard() { Show(kRunningQuestion, u"重试", u"强制关闭", owner_native_.get()); }

  static SDL_Event Event(uint32_t type) {
    SDL_Event e;
    SDL_zero(e);
    e.type = type;
    return e;
  }
  // A full click (move, press, release) at the centre of a control.
  static void ClickAt(ui::NativeWindow* native, ui::Control* control) {
    ASSERT_NE(control, nullptr);
    const ui::Rect& r = control->GetPos();
    const int x = (r.left + r.right) / 2;
    const int y = (r.top + r.bottom) / 2;
    SDL_Event move = Event(SDL_MOUSEMOTION);
    move.motion.windowID = ui::SdlNativeWindow::Of(native)->sdl_window_id();
    move.motion.x = x;
    move.motion.y = y;
    SDL_PushEvent(&move);
    for (uint32_t type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
      SDL_Event e = Event(type);
      e.button.windowID = ui::SdlNativeWindow::Of(native)->sdl_window_id();
      e.button.button = SDL_BUTTON_LEFT;
      e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
      e.button.clicks = 1;
      e.button.x = x;
      e.button.y = y;
      SDL_PushEvent(&e);
    }
  }
  static void ClickControl(const std::u16string& name) {
    ClickAt(Box()->native_window(), Box()->FindControl(name));
  }
  static void PressKey(ui::NativeWindow* native, SDL_Keycode key) {
    for (uint32_t type : {SDL_KEYDOWN, SDL_KEYUP}) {
      SDL_Event e = Event(type);
      e.key.windowID = ui::SdlNativeWindow::Of(native)->sdl_window_id();
      e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
      e.key.keysym.sym = key;
      SDL_PushEvent(&e);
    }
  }
  static void WindowCloseRequest(ui::NativeWindow* native) {
    SDL_Event e = Event(SDL_WINDOWEVENT);
    e.window.windowID = ui::SdlNativeWindow::Of(native)->sdl_window_id();
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
  }

  bool Answered() const { return !answers_.empty(); }
  static bool NoBox() { return MsgBox::OpenBoxes().empty(); }

  ui::PangoTextMeasurer measurer_;
  OwnerWindow owner_;
  std::unique_ptr<ui::NativeWindow> owner_native_;

  std::vector<MsgBoxRet> answers_;
  Clock::time_point answered_at_;
  bool owner_enabled_at_answer_ = false;
  ui::Control* owner_focus_at_answer_ = nullptr;
  bool box_closing_at_answer_ = false;
  bool on_ui_thread_at_answer_ = false;
};

// Every way of answering, through SDL's queue: the answer, delivered once as
// a task on thread 0 after the click handler has returned, with the owner
// already enabled and focused again; the window closes after the fade-out
// and the object goes with it.
TEST_F(MsgBoxTest, EveryWayOfAnsweringGivesItsAnswerOnceAfterTheBoxStartsClosing) {
  const struct {
    const char* name;
    std::function<void()> answer;
    MsgBoxRet expected;
  } cases[] = {
      {"btn_yes", [] { ClickControl(u"btn_yes"); }, MsgBoxRet::kYes},
      {"btn_no", [] { ClickControl(u"btn_no"); }, MsgBoxRet::kNo},
      {"closebtn", [] { ClickControl(u"closebtn"); }, MsgBoxRet::kNo},
      {"Escape", [] { PressKey(Box()->native_window(), SDLK_ESCAPE); }, MsgBoxRet::kNo},
      {"window close", [] { WindowCloseRequest(Box()->native_window()); }, MsgBoxRet::kNo},
      {"Return on the focused btn_yes", [] { PressKey(Box()->native_window(), SDLK_RETURN); },
       MsgBoxRet::kYes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    answers_.clear();
    bool answered_inside_click = false;
    Clock::time_point asked_at;
    RunScenario({
        {[&] {
           ShowStandard();
           ASSERT_NE(Box(), nullptr);
           // Runs after the box's own click handler, still inside the click.
           Box()->AttachBubbledEvent(Box()->GetRoot(), ui::kEventClick, [&](const ui::EventArgs&) {
             answered_inside_click |= Answered();
             return true;
           });
           asked_at = Clock::now();
           c.answer();
         },
         [&] { return Answered(); }},
        {nullptr, [] { return NoBox(); }},
    });
    ASSERT_EQ(answers_.size(), 1u);
    EXPECT_EQ(answers_[0], c.expected);
    EXPECT_FALSE(answered_inside_click);
    EXPECT_TRUE(on_ui_thread_at_answer_);
    EXPECT_TRUE(box_closing_at_answer_);
    EXPECT_TRUE(owner_enabled_at_answer_);
    EXPECT_EQ(owner_focus_at_answer_, owner_.button());
    // The window closed only after the fade-out.
    EXPECT_GE(Clock::now() - answered_at_, std::chrono::milliseconds(MsgBox::kFadeOutMs - 20));
    EXPECT_TRUE(NoBox());
  }
}

TEST_F(MsgBoxTest, FocusAndButtonsFollowTheGivenTexts) {
  const struct {
    const char16_t* yes;
    const char16_t* no;
    const char16_t* focused;  // null: no control has the focus
    SDL_Keycode key;          // pressed after opening
    bool answers;
    MsgBoxRet expected;
  } cases[] = {
      {u"重试", u"强制关闭", u"btn_yes", SDLK_SPACE, true, MsgBoxRet::kYes},
      {u"", u"强制关闭", u"btn_no", SDLK_SPACE, true, MsgBoxRet::kNo},
      {u"重试", u"", u"btn_yes", SDLK_RETURN, true, MsgBoxRet::kYes},
      // No answer button at all: keys do nothing, Escape still answers.
      {u"", u"", nullptr, SDLK_RETURN, false, MsgBoxRet::kNo},
      {u"", u"", nullptr, SDLK_ESCAPE, true, MsgBoxRet::kNo},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(nbase::Utf16ToUtf8(std::u16string(c.yes) + u"/" + c.no));
    answers_.clear();
    RunScenario({
        {[&] {
           Show(kExitQuestion, c.yes, c.no, owner_native_.get());
           ASSERT_NE(Box(), nullptr);
           ui::Control* focus = Box()->GetFocus();
           if (c.focused) {
             ASSERT_NE(focus, nullptr);
             EXPECT_EQ(focus->GetName(), c.focused);
           } else {
             EXPECT_EQ(focus, nullptr);
           }
           EXPECT_EQ(Find<ui::Button>(u"btn_yes")->IsVisible(), *c.yes != 0);
           EXPECT_EQ(Find<ui::Button>(u"btn_no")->IsVisible(), *c.no != 0);
           if (*c.yes) {
             EXPECT_EQ(Find<ui::Button>(u"btn_yes")->GetText(), c.yes);
           }
           if (*c.no) {
             EXPECT_EQ(Find<ui::Button>(u"btn_no")->GetText(), c.no);
           }
           PressKey(Box()->native_window(), c.key);
           // A later user event marks the point where the key has been handled.
           ui::testing_support::PushUserEvent(SDL_USEREVENT, 0);
         },
         [&] {
           return c.answers ? Answered()
                            : SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT,
                                             SDL_LASTEVENT) == 0;
         }},
    });
    if (c.answers) {
      ASSERT_EQ(answers_.size(), 1u);
      EXPECT_EQ(answers_[0], c.expected);
    } else {
      EXPECT_TRUE(answers_.empty());
    }
  }
}

TEST_F(MsgBoxTest, OwnerTakesNoInputWhileTheBoxIsOpenAndIsFocusedAgainAfter) {
  RunScenario({
      {[&] {
         ShowStandard();
         EXPECT_FALSE(owner_.IsWindowEnabled());
         EXPECT_FALSE(owner_native_->IsEnabled());
         // The owner's focused control lost the focus to the box.
         EXPECT_EQ(owner_.GetFocus(), nullptr);
         ClickAt(owner_native_.get(), owner_.button());
         PressKey(owner_native_.get(), SDLK_SPACE);
         ui::testing_support::PushUserEvent(SDL_USEREVENT, 0);
       },
       [] {
         return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 0;
       }},
      {[&] {
         EXPECT_EQ(owner_.clicks(), 0);
         // The box sits in the middle of its owner.
         const ui::Point owner_at = owner_native_->GetPosition();
         const ui::Point box_at = Box()->native_window()->GetPosition();
         const ui::Size box_size = Box()->GetClientSize();
         EXPECT_EQ(box_at.x, owner_at.x + (600 - box_size.cx) / 2);
         EXPECT_EQ(box_at.y, owner_at.y + (400 - box_size.cy) / 2);
         ClickControl(u"btn_no");
       },
       [&] { return Answered(); }},
      {[&] { ClickAt(owner_native_.get(), owner_.button()); },
       [&] { return owner_.clicks() == 1; }},
  });
  EXPECT_TRUE(owner_enabled_at_answer_);
  EXPECT_EQ(owner_focus_at_answer_, owner_.button());
  EXPECT_TRUE(owner_.IsWindowEnabled());
  EXPECT_EQ(owner_.clicks(), 1);
}

TEST_F(MsgBoxTest, TwoBoxesOnOneOwnerKeepItDisabledUntilBothAreAnswered) {
  MsgBox* first = nullptr;
  RunScenario({
      {[&] {
         ShowStandard();
         first = Box();
         Show(kExitQuestion, u"已经安装", u"下载完整安装包", owner_native_.get());
         ASSERT_NE(Box(), first);
         ClickControl(u"btn_yes");
       },
       [&] { return answers_.size() == 1; }},
      {[&] {
         EXPECT_FALSE(owner_.IsWindowEnabled());
         ClickAt(first->native_window(), first->FindControl(u"btn_no"));
       },
       [&] { return answers_.size() == 2; }},
  });
  EXPECT_EQ(answers_, (std::vector<MsgBoxRet>{MsgBoxRet::kYes, MsgBoxRet::kNo}));
  EXPECT_TRUE(owner_enabled_at_answer_);
  EXPECT_EQ(owner_focus_at_answer_, owner_.button());
}

TEST_F(MsgBoxTest, OnlyTheFirstAnswerCounts) {
  RunScenario({
      {[&] {
         ShowStandard();
         // Three answers in one burst of input: yes, then no, then Escape.
         ClickControl(u"btn_yes");
         ClickControl(u"btn_no");
         PressKey(Box()->native_window(), SDLK_ESCAPE);
         WindowCloseRequest(Box()->native_window());
       },
       [] { return NoBox(); }},
  });
  ASSERT_EQ(answers_.size(), 1u);
  EXPECT_EQ(answers_[0], MsgBoxRet::kYes);
}

TEST_F(MsgBoxTest, AnAnswerForAnOwnerThatIsGoneIsDropped) {
  auto callback_owner = std::make_unique<CallbackOwner>();
  int calls = 0;
  RunScenario({
      {[&] {
         ShowMsgBox(owner_native_.get(), {kExitQuestion, u"提示", u"已经安装", u"下载完整安装包"},
                    callback_owner->ToWeakCallback([&](MsgBoxRet) { ++calls; }));
         // The callback's owner goes after the answer is posted and before
         // the posted answer runs.
         Box()->AttachBubbledEvent(Box()->GetRoot(), ui::kEventClick, [&](const ui::EventArgs&) {
           callback_owner.reset();
           return true;
         });
         ClickControl(u"btn_yes");
       },
       [] { return NoBox(); }},
  });
  EXPECT_EQ(callback_owner, nullptr);
  EXPECT_EQ(calls, 0);
}

TEST_F(MsgBoxTest, OwnerWindowDestroyedWhileTheBoxIsOpen) {
  RunScenario({
      {[&] {
         ShowStandard();
         owner_native_.reset();
         ClickControl(u"btn_no");
       },
       [] { return NoBox(); }},
  });
  ASSERT_EQ(answers_.size(), 1u);
  EXPECT_EQ(answers_[0], MsgBoxRet::kNo);
}

TEST_F(MsgBoxTest, BoxWithoutOwnerAnswers) {
  RunScenario({
      {[&] {
         Show(kExitQuestion, u"已经安装", u"下载完整安装包", nullptr);
         ASSERT_NE(Box(), nullptr);
         EXPECT_EQ(Box()->owner(), nullptr);
         EXPECT_TRUE(owner_.IsWindowEnabled());
         ClickControl(u"btn_yes");
       },
       [] { return NoBox(); }},
  });
  ASSERT_EQ(answers_.size(), 1u);
  EXPECT_EQ(answers_[0], MsgBoxRet::kYes);
}

TEST_F(MsgBoxTest, EmptyCallbackClosesQuietly) {
  RunScenario({
      {[&] {
         ShowMsgBox(owner_native_.get(), {kExitQuestion, u"提示", u"是", u"否"}, nullptr);
         ClickControl(u"btn_no");
       },
       [] { return NoBox(); }},
  });
  EXPECT_TRUE(owner_.IsWindowEnabled());
}

TEST_F(MsgBoxTest, IdentifierTextsComeFromTheLanguageStrings) {
  RunScenario({
      {[&] {
         ShowMsgBox(owner_native_.get(),
                    {MsgBoxText::Id(u"STRING_OK"), MsgBoxText::Id(u"STRING_CANCEL"),
                     MsgBoxText::Id(u"STRING_OK"), MsgBoxText::Id(u"NO_SUCH_STRING")},
                    nullptr);
         ASSERT_NE(Box(), nullptr);
         EXPECT_EQ(Find<ui::RichEdit>(u"content")->GetText(), u"确定");
         EXPECT_EQ(Find<ui::Label>(u"title")->GetText(), u"取消");
         EXPECT_EQ(Find<ui::Button>(u"btn_yes")->GetText(), u"确定");
         // An unknown identifier is an empty text: the button is hidden.
         EXPECT_FALSE(Find<ui::Button>(u"btn_no")->IsVisible());
         // Texts not flagged are taken as they are, identifiers or not.
       },
       nullptr},
  });
  RunScenario({
      {[&] {
         ShowMsgBox(owner_native_.get(), {u"STRING_OK", u"提示", u"", u""}, nullptr);
         EXPECT_EQ(Find<ui::RichEdit>(u"content")->GetText(), u"STRING_OK");
       },
       nullptr},
  });
}

TEST_F(MsgBoxTest, LayoutThatCannotLoadShowsTheLoaderErrorAndNoBox) {
  static std::vector<std::u16string> shown;
  shown.clear();
  platform::SetSystemMessageBoxFunction(
      [](std::u16string_view text, std::u16string_view caption, int32_t type) -> int32_t {
        shown.push_back(std::u16string(caption) + u"|" + std::u16string(text));
        EXPECT_EQ(type & platform::kMessageBoxIconError, platform::kMessageBoxIconError);
        return platform::kAnswerOk;
      });
  ui::ResourceLoader::SetThemeFolder(u"themes\\missing");
  bool waited = false;
  RunScenario({
      {[&] {
         ShowStandard();
         EXPECT_EQ(Box(), nullptr);
         EXPECT_TRUE(owner_.IsWindowEnabled());
         // Anything the box could have posted runs before this step ends.
         nbase::MessageLoop::current()->PostDelayedTask(
             [&] { waited = true; }, nbase::TimeDelta::FromMilliseconds(MsgBox::kFadeOutMs + 50));
       },
       [&] { return waited; }},
  });
  EXPECT_TRUE(answers_.empty());
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(nbase::Utf16ToUtf8(shown[0]),
            "Skin Loader|Failed to load xml file resources/themes/missing/msgbox/msgbox.xml");
}

TEST_F(MsgBoxTest, WindowSystemThatRefusesTheWindowLeavesNoBox) {
  ui::SdlBackend::Shutdown();
  {
    Watchdog watchdog;
    nbase::MessageLoop loop;
    int calls = 0;
    ShowMsgBox(nullptr, {kExitQuestion, u"提示", u"是", u"否"}, [&](MsgBoxRet) { ++calls; });
    EXPECT_TRUE(NoBox());
    loop.PostTask([&] { loop.QuitWhenIdle(); });
    loop.Run();
    EXPECT_EQ(calls, 0);
  }
  ASSERT_TRUE(ui::SdlBackend::Initialize()) << ui::SdlBackend::GetLastError();
}

// The box at the three densities: the installer's questions fit the
// layout's 340 x 180 (scaled) in two lines; a long text makes the content
// and the window taller, never scrolled, with the buttons still inside.
class MsgBoxScaleTest : public MsgBoxTest,
                        public ::testing::WithParamInterface<std::pair<const char16_t*, int>> {
 protected:
  void SetUp() override {
    SdlTest::SetUp();
    LoadSkin(GetParam().first, GetParam().second);
  }
};

TEST_P(MsgBoxScaleTest, ContentHeightFollowsTheText) {
  const int percent = GetParam().second;
  const ui::Size layout{ui::DpiScale::Scale(340), ui::DpiScale::Scale(180)};
  std::u16string long_text;
  for (int i = 0; i < 12; ++i) long_text += kRunningQuestion;
  int32_t short_height = 0;
  RunScenario({
      {[&] {
         for (const char16_t* question : {kExitQuestion, kRunningQuestion}) {
           Show(question, u"重试", u"强制关闭", owner_native_.get());
           ASSERT_NE(Box(), nullptr);
           auto* content = Find<ui::RichEdit>(u"content");
           EXPECT_EQ(content->GetFixedWidth(), ui::DpiScale::Scale(300));
           EXPECT_FALSE(content->HasVScrollBar());
           short_height = content->GetPos().Height();
           EXPECT_GT(short_height, 0);
           // The layout's size, or a little more when its text needs it;
           // the button row keeps its bottom margin either way.
           const ui::Size client = Box()->GetClientSize();
           EXPECT_EQ(client.cx, layout.cx) << percent;
           EXPECT_GE(client.cy, layout.cy) << percent;
           EXPECT_LT(client.cy, layout.cy + short_height / 2) << percent;
           EXPECT_LE(Find<ui::Button>(u"btn_no")->GetPos().bottom + ui::DpiScale::Scale(20),
                     client.cy);
           delete Box();
         }
         Show(long_text, u"重试", u"强制关闭", owner_native_.get());
         auto* content = Find<ui::RichEdit>(u"content");
         EXPECT_GT(content->GetPos().Height(), 3 * short_height);
         EXPECT_EQ(content->GetPos().Width(), ui::DpiScale::Scale(300));
         const ui::Size client = Box()->GetClientSize();
         EXPECT_EQ(client.cx, layout.cx);
         EXPECT_GT(client.cy, layout.cy);
         // The text ends above the button row, and the buttons in the window.
         ui::Button* yes = Find<ui::Button>(u"btn_yes");
         EXPECT_LT(content->GetPos().bottom, yes->GetPos().top);
         EXPECT_LE(yes->GetPos().bottom, client.cy);
         EXPECT_EQ(Box()->native_window()->GetClientRect().Height(), client.cy);
       },
       nullptr},
  });
}

INSTANTIATE_TEST_SUITE_P(Themes, MsgBoxScaleTest,
                         ::testing::Values(std::make_pair(u"themes\\default", 100),
                                           std::make_pair(u"themes\\default-hdpi", 125),
                                           std::make_pair(u"themes\\default-xhdpi", 150)),
                         [](const auto& info) {
                           return "Scale" + std::to_string(info.param.second);
                         });

}  // namespace
}  // namespace installer_ui
