// MsgBox: the installer's skinned question box, drawn from the skin's
// "msgbox/msgbox.xml": a title, a text and up to two answer buttons.
//
// Showing it never blocks. ShowMsgBox creates the box on the heap, disables
// the owner window while the box is open and returns at once; the answer
// arrives through the callback, posted as its own task to the UI thread
// (thread 0) after the box has started closing, never from inside the click
// that answered. `btn_yes` answers kYes; `btn_no`, `closebtn`, Escape and a
// close request of the window system answer kNo. Only the first answer
// counts.
//
// Closing gives the owner its input and keyboard focus back at once (before
// the callback can run; with several boxes open on one owner, when the last
// of them closes), fades the box out and closes its window 300 ms
// later; the object deletes itself with its window. Callers keep no
// reference. A box whose window cannot be created is never shown and never
// calls its callback; a layout that cannot be loaded also shows the system's
// "Failed to load xml file %s" box.
//
// Everything runs on the UI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/weak_callback.h"
#include "ui/backend/native_window.h"
#include "ui/core/window.h"

namespace ui {
class Button;
class Label;
class RichEdit;
}  // namespace ui

namespace installer_ui {

// The answer of the box.
enum class MsgBoxRet { kYes = 0, kNo = 1 };

// Receives the answer on the UI thread; may be empty.
using MsgBoxCallback = std::function<void(MsgBoxRet)>;

// One text of the box: shown as written, or, made with Id(), the skin's
// language string of that identifier (an unknown identifier gives an empty
// text).
struct MsgBoxText {
  MsgBoxText() = default;
  // Plain texts convert implicitly, so that options read as the texts.
  MsgBoxText(std::u16string text) : text(std::move(text)) {}  // NOLINT(runtime/explicit)
  MsgBoxText(const char16_t* text) : text(text) {}            // NOLINT(runtime/explicit)
  static MsgBoxText Id(std::u16string id) {
    MsgBoxText text(std::move(id));
    text.is_id = true;
    return text;
  }

  std::u16string text;
  bool is_id = false;
};

// What a box shows. An empty button text hides that button.
struct MsgBoxOptions {
  MsgBoxText content;
  MsgBoxText title;
  MsgBoxText yes_text;
  MsgBoxText no_text;
};

// Opens a box owned by `owner` (the owner's on-screen window; may be null for
// a box without owner) and returns at once.
void ShowMsgBox(ui::NativeWindow* owner, const MsgBoxOptions& options, MsgBoxCallback callback);

class MsgBox : public ui::Window {
 public:
  // How long the box fades before its window closes.
  static constexpr int kFadeOutMs = 300;

  MsgBox();
  ~MsgBox() override;

  // Names the window system and the skin know the box by.
  std::u16string GetWindowClassName() const { return u"MsgBox"; }
  std::u16string GetWindowId() const { return u"MsgBox"; }
  // Redraw on both resizes, double clicks wanted.
  uint32_t GetClassStyle() const { return 11; }
  std::u16string GetSkinFolder() override { return u"msgbox"; }
  std::u16string GetSkinFile() override { return u"msgbox.xml"; }
  // The package a stand-alone copy of the box's skin would be read from; the
  // installer reads the box from its one embedded skin package.
  std::u16string GetZipName() const { return u"msgbox.zip"; }

  // Loads the layout and creates the (hidden) window owned by `owner`. False
  // when either fails; nothing is shown then and the owner is untouched.
  bool Create(ui::NativeWindow* owner);
  // Fills in the texts, stores the callback, disables the owner, centres the
  // box on it and shows the box with the keyboard focus.
  void ShowQuestion(const std::u16string& content, const std::u16string& title,
                    const std::u16string& yes_text, const std::u16string& no_text,
                    MsgBoxCallback callback);

  // Ends with `result` as if the matching button had been clicked.
  void EndWithResult(MsgBoxRet result);

  // ui::Window: starts closing: gives the owner back its input and focus,
  // then fades out and closes the window `kFadeOutMs` later. Later calls do
  // nothing.
  void Close(uint32_t code = 0) override;
  // Escape answers kNo.
  bool OnEscape() override;
  void InitWindow() override;

  ui::NativeWindow* native_window() { return native_.get(); }
  ui::NativeWindow* owner() const { return owner_; }
  bool IsClosing() const { return closing_; }

  // The boxes alive now, oldest first (what a lookup of windows by the class
  // name "MsgBox" finds). UI thread.
  static const std::vector<MsgBox*>& OpenBoxes();

 private:
  bool OnClicked(const ui::EventArgs& args);
  void SetContentText(const std::u16string& text);
  // Grows the window when its content needs more height than the layout's.
  void FitWindowToContent();
  void GiveOwnerBack();
  // Whether another open box has disabled the same owner.
  bool OwnerHeldByAnotherBox() const;
  void OnFinalClose(uint32_t code);

  MsgBoxCallback callback_;
  ui::Label* title_ = nullptr;
  ui::RichEdit* content_ = nullptr;
  ui::Button* btn_yes_ = nullptr;
  ui::Button* btn_no_ = nullptr;

  const std::unique_ptr<ui::NativeWindow> native_ = ui::NativeWindow::Make(this);
  ui::NativeWindow* owner_ = nullptr;
  std::weak_ptr<nbase::WeakFlag> owner_alive_;
  bool owner_disabled_ = false;
  bool answered_ = false;
  bool closing_ = false;
};

}  // namespace installer_ui
