// varnik_x11_keys: gives the keyboard of the X server in $DISPLAY a key for
// every character of TEXT, before a Wine program starts there, so that
// xdotool can type TEXT into it (see X11Keymap).
//
// Usage: varnik_x11_keys TEXT
#include <cstdio>
#include <string>

#include "tools/x11_tools/x11_keymap.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: varnik_x11_keys TEXT\n");
    return 2;
  }
  std::string error;
  if (!varnik_tools::X11Keymap::PrepareForText(nullptr, argv[1], &error)) {
    std::fprintf(stderr, "varnik_x11_keys: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
