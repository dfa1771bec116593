// Feeds arbitrary bytes to the markup parser as a skin file would arrive (a
// package entry), then walks whatever parsed, reading every attribute.
//
// Two cross-checks make wrong answers crash, not only faults: the shared
// UTF-8 decoder (which takes ASCII in blocks) must agree with a plain
// one-byte-at-a-time decoder, and parsing the bytes must give the same
// outcome, error and tree as parsing their decoded text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "ui/markup/markup.h"

namespace {

// The decoding rules of base/utf.h, written as plainly as possible.
std::u16string ReferenceDecode(std::string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<uint8_t>(text[i]);
    const int trail = lead < 0x80   ? 0
                      : lead < 0xC2 ? -1
                      : lead < 0xE0 ? 1
                      : lead < 0xF0 ? 2
                      : lead < 0xF5 ? 3
                                    : -1;
    if (trail < 0 || i + static_cast<size_t>(trail) >= text.size()) return u"";
    char32_t c = trail == 0 ? lead : lead & (0x3F >> trail);
    for (int k = 1; k <= trail; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      uint8_t low = 0x80, high = 0xBF;
      if (k == 1 && lead == 0xE0) low = 0xA0;
      if (k == 1 && lead == 0xF0) low = 0x90;
      if (k == 1 && lead == 0xF4) high = 0x8F;
      if (next < low || next > high) return u"";
      c = (c << 6) | (next & 0x3F);
    }
    i += trail + 1;
    if (c >= 0xD800 && c <= 0xDFFF) {
      out.push_back(0xFFFD);
    } else if (c < 0x10000) {
      out.push_back(static_cast<char16_t>(c));
    } else {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  return out;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// Walks both trees in step; they must hold the same elements.
void CompareTrees(ui::MarkupNode a, ui::MarkupNode b) {
  size_t visited = 0;
  while (a.IsValid() && visited < 100000) {
    Check(b.IsValid());
    ++visited;
    Check(a.GetName() == b.GetName());
    Check(a.GetValue() == b.GetValue());
    Check(a.GetAttributeCount() == b.GetAttributeCount());
    for (int i = 0; i < a.GetAttributeCount(); ++i) {
      Check(a.GetAttributeName(i) == b.GetAttributeName(i));
      Check(a.GetAttributeValue(i) == b.GetAttributeValue(i));
    }
    if (a.GetChild().IsValid()) {
      a = a.GetChild();
      b = b.GetChild();
      continue;
    }
    while (a.IsValid() && !a.GetSibling().IsValid()) {
      Check(!b.GetSibling().IsValid());
      a = a.GetParent();
      b = b.GetParent();
    }
    if (a.IsValid()) {
      a = a.GetSibling();
      b = b.GetSibling();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = nbase::Utf8ToUtf16(bytes);
  Check(text == ReferenceDecode(bytes));

  const bool preserve = !(size > 0 && data[0] & 1);
  ui::Markup markup;
  markup.SetPreserveWhitespace(preserve);
  const bool parsed = markup.LoadFromUtf8(bytes);

  // The same text handed over decoded (only the byte-level outcomes differ:
  // the size bounds, the byte-order mark and undecodable bytes).
  if (size > 3 && size <= ui::Markup::kMaxFileBytes && bytes.substr(0, 3) != "\xEF\xBB\xBF" &&
      !text.empty()) {
    ui::Markup again;
    again.SetPreserveWhitespace(preserve);
    Check(again.LoadFromString(text) == parsed);
    Check(again.GetLastErrorMessage() == markup.GetLastErrorMessage());
    Check(again.GetLastErrorLocation() == markup.GetLastErrorLocation());
    if (parsed) CompareTrees(markup.GetRoot(), again.GetRoot());
  }
  if (!parsed) return 0;

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
