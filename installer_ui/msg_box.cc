#include "installer_ui/msg_box.h"

#include <algorithm>
#include <utility>

#include "base/closure.h"
#include "base/message_loop.h"
#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "base/time_delta.h"
#include "ui/core/button.h"
#include "ui/core/event_args.h"
#include "ui/core/label.h"
#include "ui/core/rich_edit.h"
#include "ui/skin/lang_strings.h"

namespace installer_ui {

namespace {

// Steps of the fade-out; the window closes after the last one.
constexpr int kFadeSteps = 10;

std::vector<MsgBox*>& Boxes() {
  static std::vector<MsgBox*> boxes;
  return boxes;
}

// Posts to the UI thread (thread 0). A process without a registered UI thread
// (a bare loop in a tool) gets the task on the calling thread's loop; without
// any loop the task is dropped.
void PostToUiThread(nbase::StdClosure task, int delay_ms) {
  if (nbase::ThreadRegistry::GetLoopProxy(nbase::kThreadUI)) {
    if (delay_ms > 0) {
      nbase::ThreadRegistry::PostDelayedTask(nbase::kThreadUI, std::move(task),
                                             nbase::TimeDelta::FromMilliseconds(delay_ms));
    } else {
      nbase::ThreadRegistry::PostTask(nbase::kThreadUI, std::move(task));
    }
    return;
  }
  if (nbase::MessageLoop* loop = nbase::MessageLoop::current()) {
    if (delay_ms > 0) {
      loop->PostDelayedTask(std::move(task), nbase::TimeDelta::FromMilliseconds(delay_ms));
    } else {
      loop->PostTask(std::move(task));
    }
  }
}

std::u16string TextOf(const MsgBoxText& text) {
  return text.is_id ? ui::LangStrings::Global().Get(text.text) : text.text;
}

}  // namespace

void ShowMsgBox(ui::NativeWindow* owner, const MsgBoxOptions& options, MsgBoxCallback callback) {
  auto* box = new MsgBox;
  if (!box->Create(owner)) {
    delete box;
    return;
  }
  // The box owns itself from here on: it is deleted with its window.
  box->ShowQuestion(TextOf(options.content), TextOf(options.title), TextOf(options.yes_text),
                    TextOf(options.no_text), std::move(callback));
}

MsgBox::MsgBox() { Boxes().push_back(this); }

MsgBox::~MsgBox() {
  // A box destroyed while still open never leaves its owner disabled.
  GiveOwnerBack();
  std::vector<MsgBox*>& boxes = Boxes();
  boxes.erase(std::remove(boxes.begin(), boxes.end(), this), boxes.end());
}

const std::vector<MsgBox*>& MsgBox::OpenBoxes() { return Boxes(); }

bool MsgBox::Create(ui::NativeWindow* owner) {
  // A layout that does not load has told the user already (LoadSkin).
  if (!LoadSkin()) return false;
  owner_ = owner;
  if (owner_) owner_alive_ = owner_->GetWeakFlag();
  native_->SetCloseHandler([this](uint32_t code) { OnFinalClose(code); });
  // The box has no window title.
  return native_->Create(owner_, std::string());
}

void MsgBox::InitWindow() {
  // One handler on the root sees the clicks of every control in the box.
  AttachBubbledEvent(GetRoot(), ui::kEventClick,
                     [this](const ui::EventArgs& args) { return OnClicked(args); });
  title_ = dynamic_cast<ui::Label*>(FindControl(u"title"));
  content_ = dynamic_cast<ui::RichEdit*>(FindControl(u"content"));
  btn_yes_ = dynamic_cast<ui::Button*>(FindControl(u"btn_yes"));
  btn_no_ = dynamic_cast<ui::Button*>(FindControl(u"btn_no"));
}

void MsgBox::ShowQuestion(const std::u16string& content, const std::u16string& title,
                          const std::u16string& yes_text, const std::u16string& no_text,
                          MsgBoxCallback callback) {
  if (title_) title_->SetText(title);
  SetContentText(content);
  if (btn_yes_) {
    if (!yes_text.empty()) {
      btn_yes_->SetText(yes_text);
      btn_yes_->SetVisible(true);
      SetFocus(btn_yes_);
    } else {
      btn_yes_->SetVisible(false);
    }
  }
  if (btn_no_) {
    if (!no_text.empty()) {
      btn_no_->SetText(no_text);
      btn_no_->SetVisible(true);
      if (yes_text.empty()) SetFocus(btn_no_);
    } else {
      btn_no_->SetVisible(false);
    }
  }
  callback_ = std::move(callback);

  if (owner_ && !owner_alive_.expired()) {
    // A second box on the same owner finds it disabled and unfocused already;
    // blurring it again would forget which control had the focus.
    if (!OwnerHeldByAnotherBox()) {
      owner_->SetEnabled(false);
      owner_->window()->OnWindowFocus(false);
    }
    owner_disabled_ = true;
  }
  FitWindowToContent();
  native_->CenterWindow();
  native_->Show(true);
}

void MsgBox::SetContentText(const std::u16string& text) {
  if (!content_) return;
  content_->SetText(text);
  // The content keeps its width and takes the height its text needs there,
  // so a long text makes the box taller instead of scrolling.
  const int32_t width = std::max(0, content_->GetFixedWidth());
  const int32_t height = content_->GetNaturalHeight(width);
  if (height != content_->GetFixedHeight()) content_->SetFixedHeight(height, false);
}

void MsgBox::FitWindowToContent() {
  ui::Control* root = GetRoot();
  if (!root) return;
  const ui::Size initial = GetInitialSize();
  const ui::Size client = GetClientSize();
  const int32_t width = client.cx > 0 ? client.cx : initial.cx;
  const ui::Size wanted = root->EstimateSize(ui::Size{width, 1 << 20});
  if (wanted.cy <= 0) return;
  const ui::Rect& margin = root->GetMargin();
  const int32_t height = std::max(initial.cy, wanted.cy + margin.top + margin.bottom);
  if (height == client.cy) return;
  if (native_->IsCreated()) {
    native_->Resize(ui::Size{width, height});
  } else {
    Resize(ui::Size{width, height});
  }
}

bool MsgBox::OnClicked(const ui::EventArgs& args) {
  if (!args.sender) return true;
  const std::u16string& name = args.sender->GetName();
  if (name == u"btn_yes") {
    EndWithResult(MsgBoxRet::kYes);
  } else if (name == u"btn_no" || name == u"closebtn") {
    EndWithResult(MsgBoxRet::kNo);
  }
  return true;
}

bool MsgBox::OnEscape() {
  EndWithResult(MsgBoxRet::kNo);
  return true;
}

void MsgBox::EndWithResult(MsgBoxRet result) {
  if (answered_) return;
  answered_ = true;
  // Taken out first: closing may delete the box when there is no loop.
  MsgBoxCallback callback = std::move(callback_);
  callback_ = nullptr;
  Close(static_cast<uint32_t>(result));
  if (callback) PostToUiThread([callback, result] { callback(result); }, 0);
}

void MsgBox::Close(uint32_t code) {
  // Every way of closing the box answers it; a close that is not an answer
  // (the window system's, the framework's) counts as "No".
  if (!answered_) {
    EndWithResult(MsgBoxRet::kNo);
    return;
  }
  if (closing_) return;
  closing_ = true;
  ui::Window::Close(code);
  GiveOwnerBack();
  // A closing box takes no more input.
  SetWindowEnabled(false);
  if (!native_->IsCreated() || !GetRoot()) {
    native_->RequestClose(code);
    return;
  }
  for (int step = 1; step < kFadeSteps; ++step) {
    const float opacity = 1.0f - static_cast<float>(step) / kFadeSteps;
    PostToUiThread(ToWeakCallback([this, opacity] { native_->SetOpacity(opacity); }),
                   kFadeOutMs * step / kFadeSteps);
  }
  PostToUiThread(ToWeakCallback([this, code] { native_->RequestClose(code); }), kFadeOutMs);
}

void MsgBox::GiveOwnerBack() {
  if (!owner_disabled_) return;
  owner_disabled_ = false;
  if (!owner_ || owner_alive_.expired()) return;
  // Another box still open on the same owner keeps it disabled.
  if (OwnerHeldByAnotherBox()) return;
  owner_->SetEnabled(true);
  owner_->window()->OnWindowFocus(true);
  owner_->SetForeground();
}

bool MsgBox::OwnerHeldByAnotherBox() const {
  for (const MsgBox* other : Boxes()) {
    if (other != this && other->owner_ == owner_ && other->owner_disabled_) return true;
  }
  return false;
}

void MsgBox::OnFinalClose(uint32_t code) {
  if (!closing_) {
    // The window system asked the box to close: that answers it first.
    Close(code);
    return;
  }
  delete this;
}

}  // namespace installer_ui
