#include "installer_ui/folder_path_dialog.h"

#include <utility>

#include "base/utf.h"
#include "ui/core/button.h"
#include "ui/core/label.h"
#include "ui/core/rich_edit.h"
#include "ui/core/window_builder.h"

namespace installer_ui {

namespace {

FolderPathDialog* g_current = nullptr;

// Drawn with the style sheet's fonts and plain colours only, so the dialog
// needs no file of the skin package.
constexpr char16_t kLayout[] =
    u"<Window size=\"420,150\" caption=\"0,0,0,36\">"
    u"<VBox bkcolor=\"#FFFFFFFF\" bordersize=\"1\" bordercolor=\"#FFC8C8C8\">"
    u"<Label name=\"title\" height=\"36\" padding=\"14,0,14,0\" textpadding=\"14,0,14,0\""
    u" bkcolor=\"#FF2D8CF0\" normaltextcolor=\"#FFFFFFFF\"/>"
    u"<RichEdit name=\"edit_path\" height=\"30\" margin=\"14,14,14,0\" padding=\"6,6,6,6\""
    u" bkcolor=\"#FFF2F2F2\" multiline=\"false\" wantreturnmsg=\"true\" rich=\"false\"/>"
    u"<Box/>"
    u"<HBox height=\"30\" margin=\"14,0,14,14\">"
    u"<Box/>"
    u"<Button name=\"btn_ok\" text=\"确定\" width=\"80\" bkcolor=\"#FF2D8CF0\""
    u" normaltextcolor=\"#FFFFFFFF\"/>"
    u"<Button name=\"btn_cancel\" text=\"取消\" width=\"80\" margin=\"10,0,0,0\""
    u" bkcolor=\"#FFE6E6E6\" normaltextcolor=\"#FF333333\"/>"
    u"</HBox>"
    u"</VBox>"
    u"</Window>";

}  // namespace

FolderPathDialog::FolderPathDialog() = default;

FolderPathDialog::~FolderPathDialog() {
  if (g_current == this) g_current = nullptr;
  native_->Destroy();
}

FolderPathDialog* FolderPathDialog::Current() { return g_current; }

bool FolderPathDialog::Open(ui::NativeWindow* owner, const std::u16string& title,
                            const std::u16string& start_folder, AnswerCallback answer) {
  ui::WindowBuilder builder;
  ui::Control* root = builder.Create(kLayout, nullptr, this, nullptr);
  if (!root) return false;
  AttachRoot(root);
  Resize(GetInitialSize());
  if (auto* label = dynamic_cast<ui::Label*>(FindControl(u"title"))) label->SetText(title);
  path_ = dynamic_cast<ui::RichEdit*>(FindControl(u"edit_path"));
  if (path_) path_->SetText(start_folder);
  auto on_click = [this](const ui::EventArgs& args) { return OnClick(args); };
  AttachEvent(u"btn_ok", ui::kEventClick, on_click);
  AttachEvent(u"btn_cancel", ui::kEventClick, on_click);
  AttachEvent(u"edit_path", ui::kEventReturn, [this](const ui::EventArgs&) {
    Answer(true);
    return true;
  });
  if (!native_->Create(owner, nbase::Utf16ToUtf8(title))) return false;
  native_->SetCloseHandler([this](uint32_t) { Answer(false); });
  answer_ = std::move(answer);
  g_current = this;
  native_->CenterWindow();
  native_->Show(true);
  if (path_) SetFocus(path_);
  return true;
}

bool FolderPathDialog::OnClick(const ui::EventArgs& args) {
  if (args.sender) Answer(args.sender->GetName() == u"btn_ok");
  return true;
}

void FolderPathDialog::Answer(bool accepted) {
  if (answered_) return;
  answered_ = true;
  native_->Hide();
  if (g_current == this) g_current = nullptr;
  AnswerCallback answer = std::move(answer_);
  if (answer) answer(accepted, GetPath());
}

std::u16string FolderPathDialog::GetPath() const {
  return path_ ? path_->GetText() : std::u16string();
}

void FolderPathDialog::SetPath(const std::u16string& path) {
  if (path_) path_->SetText(path);
}

bool FolderPathDialog::OnEscape() {
  Answer(false);
  return true;
}

void FolderPathDialog::Close(uint32_t code) {
  ui::Window::Close(code);
  Answer(false);
}

}  // namespace installer_ui
