// Feeds arbitrary bytes to the language-file parser and looks every
// identifier of the input's first line up.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/skin/lang_strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ui::LangStrings strings;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  strings.Parse(bytes);
  (void)strings.Get(u"STRING_OK");
  (void)strings.Has(u"STRING_CANCEL");
  return 0;
}
