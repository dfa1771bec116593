// X11Keymap: makes an X server's keyboard able to type a given text into a
// Wine program through xdotool.
//
// Wine gives each key code of the keyboard map a Windows virtual key once,
// when a program starts, and drops key presses of codes it gave none. Its
// pool of spare virtual keys is small, and Xvfb's map spends it on media
// keys. xdotool types a character that is on no key by mapping it onto a
// spare code just before the press, which Wine then never knows. So, before
// the Wine program starts: the media keys (codes that carry only keysyms
// outside the main keyboard) lose their keysyms, and every character of the
// text that no key carries gets a key code of its own. xdotool then types
// the text with keys Wine knows.
//
// Promises: characters on the main keyboard keep their keys; the map is
// changed only on the named display; false with a reason when the display
// cannot be opened or there are not enough free key codes. An X server
// resets its keyboard map when its last client leaves, unless it runs with
// -noreset: the caller keeps a client connected or starts it so.
#pragma once

#include <string>

namespace varnik_tools {

class X11Keymap {
 public:
  static bool PrepareForText(const char* display_name, const std::string& utf8_text,
                             std::string* error);
};

}  // namespace varnik_tools
