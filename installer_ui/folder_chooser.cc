#include "installer_ui/folder_chooser.h"

#include <thread>

#include "base/message_loop.h"
#include "base/message_loop_proxy.h"
#include "base/utf.h"
#include "installer_ui/folder_path_dialog.h"
#include "platform/folder_picker.h"
#include "ui/backend/native_window.h"

namespace installer_ui {

namespace {

// Runs the calling thread's loop nested until Finish() is called on it. Tasks
// run inside, also when the modal step was entered from a task.
class ModalRun {
 public:
  explicit ModalRun(nbase::MessageLoop* loop) : loop_(loop) {}

  void Run() {
    if (finished_) return;
    const bool allowed = loop_->nestable_tasks_allowed();
    loop_->SetNestableTasksAllowed(true);
    running_ = true;
    loop_->Run();
    running_ = false;
    loop_->SetNestableTasksAllowed(allowed);
  }

  void Finish() {
    finished_ = true;
    if (running_) loop_->QuitWhenIdle();
  }

 private:
  nbase::MessageLoop* loop_;
  bool running_ = false;
  bool finished_ = false;
};

}  // namespace

bool FolderChooser::ChooseFolder(ui::NativeWindow* owner, const std::u16string& title,
                                 const std::u16string& start_folder, std::u16string* folder) {
  nbase::MessageLoop* loop = nbase::MessageLoop::current();
  std::u16string chosen;
  Outcome outcome = Outcome::kUnavailable;
  if (!loop) {
    outcome = platform::PickFolder(nullptr, title, start_folder, &chosen);
  } else {
    const bool owner_was_enabled = owner && owner->IsEnabled();
    if (owner_was_enabled) owner->SetEnabled(false);
    ModalRun modal(loop);
    std::shared_ptr<nbase::MessageLoopProxy> proxy = loop->proxy();
    std::thread waiter([&] {
      outcome = platform::PickFolder(nullptr, title, start_folder, &chosen);
      proxy->PostTask([&modal] { modal.Finish(); });
    });
    modal.Run();
    waiter.join();
    if (outcome == Outcome::kUnavailable) {
      // No desktop chooser could ask: our own dialog asks, as the same kind
      // of modal step.
      outcome = Outcome::kCancelled;
      FolderPathDialog dialog;
      ModalRun dialog_run(loop);
      const bool shown =
          dialog.Open(owner, title, start_folder, [&](bool accepted, const std::u16string& path) {
            if (accepted && platform::ParseFolderAnswer(nbase::Utf16ToUtf8(path), &chosen)) {
              outcome = Outcome::kChosen;
            }
            dialog_run.Finish();
          });
      if (shown) dialog_run.Run();
    }
    if (owner_was_enabled) {
      owner->SetEnabled(true);
      owner->SetForeground();
    }
  }
  if (outcome != Outcome::kChosen) return false;
  *folder = std::move(chosen);
  return true;
}

}  // namespace installer_ui
