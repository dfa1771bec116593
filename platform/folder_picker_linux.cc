#include <string>

#include "platform/command_line.h"
#include "platform/folder_picker.h"
#include "platform/process_output.h"

namespace platform {
namespace {

// Exit codes the choosers share: 0 an answer, 1 the user cancelled. Anything
// else (a start error such as 2 for a chooser that is not installed, no
// display, a crash) means this chooser could not ask.
constexpr int32_t kChooserAnswered = 0;
constexpr int32_t kChooserCancelled = 1;

std::u16string ZenityCommandLine(const std::u16string& title, const std::u16string& start_folder) {
  // A trailing separator makes zenity open inside the folder, not select it.
  std::u16string start = start_folder;
  if (start.empty() || start.back() != u'/') start += u'/';
  return u"zenity --file-selection --directory --title=" + QuoteCommandLineArgument(title) +
         u" --filename=" + QuoteCommandLineArgument(start);
}

std::u16string KdialogCommandLine(const std::u16string& title, const std::u16string& start_folder) {
  return u"kdialog --getexistingdirectory " + QuoteCommandLineArgument(start_folder) +
         u" --title " + QuoteCommandLineArgument(title);
}

FolderPickOutcome RunOne(const std::u16string& command_line, std::u16string* folder) {
  std::string output;
  const int32_t code = RunAndCaptureOutput(command_line, &output);
  if (code == kChooserCancelled) return FolderPickOutcome::kCancelled;
  if (code != kChooserAnswered) return FolderPickOutcome::kUnavailable;
  return ParseFolderAnswer(output, folder) ? FolderPickOutcome::kChosen
                                           : FolderPickOutcome::kCancelled;
}

}  // namespace

FolderPickOutcome PickFolder(void*, const std::u16string& title,
                             const std::u16string& start_folder, std::u16string* folder) {
  FolderPickOutcome outcome = RunOne(ZenityCommandLine(title, start_folder), folder);
  if (outcome != FolderPickOutcome::kUnavailable) return outcome;
  return RunOne(KdialogCommandLine(title, start_folder), folder);
}

}  // namespace platform
