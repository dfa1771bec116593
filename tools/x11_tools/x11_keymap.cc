#include "tools/x11_tools/x11_keymap.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <set>
#include <vector>

namespace varnik_tools {

namespace {

// Code points of a UTF-8 text (bytes that are not UTF-8 are skipped).
std::vector<uint32_t> CodePoints(const std::string& text) {
  std::vector<uint32_t> points;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    uint32_t point = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (size_t k = 1; k < length && i + k < text.size(); ++k) {
      point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    points.push_back(point);
    i += length;
  }
  return points;
}

// The keysym X gives a character: Latin-1 keysyms are the code points,
// everything else the Unicode keysym range.
KeySym KeysymOf(uint32_t point) { return point < 0x100 ? point : 0x01000000 | point; }

// Keysyms of the main keyboard: Latin-1 and the function and modifier keys;
// anything else on a key (XF86 media keys, ...) is expendable.
bool IsMainKeyboard(KeySym sym) { return sym < 0x100 || (sym >= 0xFE00 && sym <= 0xFFFF); }

}  // namespace

bool X11Keymap::PrepareForText(const char* display_name, const std::string& utf8_text,
                               std::string* error) {
  Display* display = XOpenDisplay(display_name);
  if (!display) {
    *error = "cannot open the display";
    return false;
  }
  int first = 0;
  int last = 0;
  XDisplayKeycodes(display, &first, &last);
  const int count = last - first + 1;
  int per_code = 0;
  KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(first), count, &per_code);
  if (!map) {
    XCloseDisplay(display);
    *error = "cannot read the keyboard map";
    return false;
  }
  std::set<KeySym> on_keys;
  std::vector<int> free_codes;
  for (int code = 0; code < count; ++code) {
    KeySym* syms = map + code * per_code;
    bool expendable = true;
    bool empty = true;
    for (int k = 0; k < per_code; ++k) {
      if (syms[k] == NoSymbol) continue;
      empty = false;
      if (IsMainKeyboard(syms[k])) expendable = false;
    }
    if (!empty && expendable) {
      for (int k = 0; k < per_code; ++k) syms[k] = NoSymbol;
      empty = true;
    }
    if (empty) {
      free_codes.push_back(code);
    } else {
      for (int k = 0; k < per_code; ++k) on_keys.insert(syms[k]);
    }
  }
  // The highest codes first: the lowest ones are where xdotool maps its
  // own scratch characters.
  std::reverse(free_codes.begin(), free_codes.end());
  bool ok = true;
  size_t next_free = 0;
  for (uint32_t point : CodePoints(utf8_text)) {
    const KeySym sym = KeysymOf(point);
    if (on_keys.count(sym)) continue;
    if (next_free == free_codes.size()) {
      *error = "not enough free key codes for the text";
      ok = false;
      break;
    }
    KeySym* syms = map + free_codes[next_free++] * per_code;
    for (int k = 0; k < per_code; ++k) syms[k] = k < 2 ? sym : NoSymbol;
    on_keys.insert(sym);
  }
  if (ok) {
    XChangeKeyboardMapping(display, first, per_code, map, count);
    XSync(display, False);
  }
  XFree(map);
  XCloseDisplay(display);
  return ok;
}

}  // namespace varnik_tools
