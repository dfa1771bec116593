#include "installer_ui/folder_chooser.h"

#include <thread>

#include "base/message_loop.h"
#include "base/message_loop_proxy.h"
#include "base/utf.h"
#include "installer_ui/folder_path_dialog.h"
#include "platform/command_line.h"
#include "platform/process_output.h"
#include "ui/backend/native_window.h"

namespace installer_ui {

namespace {

// Exit codes the choosers share: 0 an answer, 1 the user cancelled. Anything
// else (a start error such as 2 for a chooser that is not installed, no
// display, a crash) means this chooser could not ask.
constexpr int32_t kChooserAnswered = 0;
constexpr int32_t kChooserCancelled = 1;

FolderChooser::Outcome RunOne(const std::u16string& command_line, std::u16string* folder) {
  std::string output;
  const int32_t code = platform::RunAndCaptureOutput(command_line, &output);
  if (code == kChooserCancelled) return FolderChooser::Outcome::kCancelled;
  if (code != kChooserAnswered) return FolderChooser::Outcome::kUnavailable;
  return FolderChooser::ParseChooserOutput(output, folder) ? FolderChooser::Outcome::kChosen
                                                           : FolderChooser::Outcome::kCancelled;
}

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

std::u16string FolderChooser::ZenityCommandLine(const std::u16string& title,
                                                const std::u16string& start_folder) {
  // A trailing separator makes zenity open inside the folder, not select it.
  std::u16string start = start_folder;
  if (start.empty() || start.back() != u'/') start += u'/';
  return u"zenity --file-selection --directory --title=" +
         platform::QuoteCommandLineArgument(title) + u" --filename=" +
         platform::QuoteCommandLineArgument(start);
}

std::u16string FolderChooser::KdialogCommandLine(const std::u16string& title,
                                                 const std::u16string& start_folder) {
  return u"kdialog --getexistingdirectory " + platform::QuoteCommandLineArgument(start_folder) +
         u" --title " + platform::QuoteCommandLineArgument(title);
}

bool FolderChooser::ParseChooserOutput(const std::string& output, std::u16string* folder) {
  std::string line = output.substr(0, output.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty() || line[0] != '/') return false;
  std::u16string text = nbase::Utf8ToUtf16(line);
  if (text.empty()) return false;
  *folder = std::move(text);
  return true;
}

FolderChooser::Outcome FolderChooser::RunSystemChooser(const std::u16string& title,
                                                       const std::u16string& start_folder,
                                                       std::u16string* folder) {
  Outcome outcome = RunOne(ZenityCommandLine(title, start_folder), folder);
  if (outcome != Outcome::kUnavailable) return outcome;
  return RunOne(KdialogCommandLine(title, start_folder), folder);
}

bool FolderChooser::ChooseFolder(ui::NativeWindow* owner, const std::u16string& title,
                                 const std::u16string& start_folder, std::u16string* folder) {
  nbase::MessageLoop* loop = nbase::MessageLoop::current();
  std::u16string chosen;
  Outcome outcome = Outcome::kUnavailable;
  if (!loop) {
    outcome = RunSystemChooser(title, start_folder, &chosen);
  } else {
    const bool owner_was_enabled = owner && owner->IsEnabled();
    if (owner_was_enabled) owner->SetEnabled(false);
    ModalRun modal(loop);
    std::shared_ptr<nbase::MessageLoopProxy> proxy = loop->proxy();
    std::thread waiter([&] {
      outcome = RunSystemChooser(title, start_folder, &chosen);
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
            if (accepted && ParseChooserOutput(nbase::Utf16ToUtf8(path), &chosen)) {
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
