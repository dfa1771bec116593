// Feeds arbitrary bytes to the markup parser as a skin file would arrive (a
// package entry), then walks whatever parsed, reading every attribute.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/markup/markup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ui::Markup markup;
  if (size > 0 && data[0] & 1) markup.SetPreserveWhitespace(false);
  if (!markup.LoadFromUtf8(std::string_view(reinterpret_cast<const char*>(data), size))) {
    return 0;
  }
  size_t visited = 0;
  ui::MarkupNode node = markup.GetRoot();
  // Iterative walk: down first, then along, then back up.
  while (node.IsValid() && visited < 100000) {
    ++visited;
    (void)node.GetName();
    (void)node.GetValue();
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
      (void)node.GetAttributeValue(node.GetAttributeName(i));
    }
    if (node.GetChild().IsValid()) {
      node = node.GetChild();
      continue;
    }
    while (node.IsValid() && !node.GetSibling().IsValid()) node = node.GetParent();
    if (node.IsValid()) node = node.GetSibling();
  }
  return 0;
}
