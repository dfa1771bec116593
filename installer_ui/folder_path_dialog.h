// FolderPathDialog: the installer's own folder question for desktops without
// a folder chooser: a small skinned window with the question's title, a path
// field that starts with the start folder, and "确定" / "取消".
//
// Promises: the answer arrives once through the callback: "确定" or Return in
// the field accept the field's text; "取消", Escape and the window system's
// close refuse. The owner is not touched here (the caller disables it). The
// dialog's window goes with the object. UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/backend/native_window.h"
#include "ui/core/window.h"

namespace ui {
class RichEdit;
}  // namespace ui

namespace installer_ui {

class FolderPathDialog : public ui::Window {
 public:
  using AnswerCallback = std::function<void(bool accepted, const std::u16string& path)>;

  FolderPathDialog();
  ~FolderPathDialog() override;

  // The dialog open now, or null (tests answer it through this).
  static FolderPathDialog* Current();

  // Builds the dialog, shows it centred on `owner` (may be null) with the
  // keyboard focus in the path field. False when the window cannot be made;
  // the callback is then never called.
  bool Open(ui::NativeWindow* owner, const std::u16string& title,
            const std::u16string& start_folder, AnswerCallback answer);

  // Answers as the buttons do; only the first answer counts.
  void Answer(bool accepted);
  // The path field's text.
  std::u16string GetPath() const;
  void SetPath(const std::u16string& path);

  bool OnEscape() override;
  void Close(uint32_t code = 0) override;
  ui::NativeWindow* native_window() { return native_.get(); }

 private:
  bool OnClick(const ui::EventArgs& args);

  AnswerCallback answer_;
  bool answered_ = false;
  ui::RichEdit* path_ = nullptr;
  const std::unique_ptr<ui::NativeWindow> native_ = ui::NativeWindow::Make(this);
};

}  // namespace installer_ui
