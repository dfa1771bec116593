// Feeds arbitrary bytes to the desktop-entry parser and asks for the values
// the installed-program view reads: no input may crash it.
#include <cstdint>
#include <string_view>

#include "platform/desktop_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  platform::DesktopEntry entry;
  if (platform::DesktopEntry::Parse(text, &entry)) {
    entry.DisplayName();
    entry.Path();
  }
  return 0;
}
