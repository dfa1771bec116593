// FallbackMessageBox: the last link of the system message-box chain
// (platform/system_message_box.h): a plain window of the installer's own,
// drawn with cairo and pango in the CJK "system" face, for desktops where
// neither the toolkit's box nor a dialog program can be shown (the toolkit's
// box needs the X core fonts, which a fresh desktop may lack). It needs
// nothing but a window: no skin, no fonts of the X server.
//
// Promises: the caption is the window's title and is drawn at the top; the
// text wraps within the box and the box grows with it. The retry-cancel set
// shows "重试" and "取消" (Return answers 重试; Escape or closing the window
// 取消); the OK set shows "确定" (Return, Escape and closing all answer it).
// A click answers when the button is released over the button it was
// pressed on. Show blocks the calling (UI) thread until answered; events of
// other windows that arrive meanwhile are handed back to the queue
// afterwards, so the UI loop misses no wake-up. Without a window (no video)
// the answer is kAnswerNone.
#pragma once

#include <SDL.h>
#include <cairo.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class FallbackMessageBox {
 public:
  struct Button {
    std::u16string label;
    int32_t answer = 0;
    SDL_Rect rect{};
  };

  FallbackMessageBox(std::u16string_view text, std::u16string_view caption, int32_t type);

  // Has the type of platform::SystemMessageBoxFunction.
  static int32_t Show(std::u16string_view text, std::u16string_view caption, int32_t type);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<Button>& buttons() const { return buttons_; }
  // Characters of caption and text that the face has no glyph for (drawn as
  // boxes); 0 when every character shows.
  int unknown_glyphs() const { return unknown_glyphs_; }

  // Paints the whole box into `cr`, which covers width() x height().
  void Draw(cairo_t* cr) const;

  // Input in the box's own coordinates. The first answer ends the box;
  // later input is ignored.
  void OnButtonDown(int x, int y);
  void OnButtonUp(int x, int y);
  void OnKey(SDL_Keycode key);
  void OnClose();
  // kAnswerNone while the box is open.
  int32_t answer() const { return answer_; }

 private:
  // Draws into the window's surface and presents it.
  void Present(SDL_Window* window) const;
  int ButtonAt(int x, int y) const;
  void Answer(int32_t answer);

  std::string text_;
  std::string caption_;
  bool retry_cancel_ = false;
  std::vector<Button> buttons_;
  int width_ = 0;
  int height_ = 0;
  int text_top_ = 0;
  int unknown_glyphs_ = 0;
  int pressed_ = -1;
  int32_t answer_ = 0;
};

}  // namespace ui
