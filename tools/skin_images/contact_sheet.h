// A developer's view of the drawn skin: every image of every variant on the
// colour it is meant to sit on, the nine-grid images stretched as the layouts
// stretch them, and mock-ups of the main window and the message box, in one
// PNG to look at.
#pragma once

#include <string>

namespace skin_tools {

class ContactSheet {
 public:
  // Reads the images below `skin_root` ("resources/themes/<variant>/...") and
  // writes the sheet to `out_png`. Returns 0, or 1 with `error` set.
  static int Write(const std::string& skin_root, const std::string& out_png, std::string* error);
};

}  // namespace skin_tools
