#include "ui/skin/font_description.h"

#include <algorithm>

#include "base/string_util.h"
#include "ui/skin/style_sheet.h"

namespace ui {

FontDescription::FontDescription(std::u16string face, int size, bool bold, bool underline)
    : name_(std::move(face)), size_(size), bold_(bold), underline_(underline) {}

bool FontDescription::FromNode(const MarkupNode& node, FontDescription* font) {
  std::u16string name;
  std::u16string size_text;
  if (!node.GetAttributeValue(u"name", &name) || name.empty()) return false;
  if (!node.GetAttributeValue(u"size", &size_text)) return false;
  int size = 0;
  if (!StyleSheet::ParseInt(size_text, &size) || size < 1 || size > kMaxSize) return false;
  *font = FontDescription(std::move(name), size, node.GetAttributeValue(u"bold") == u"true",
                          node.GetAttributeValue(u"underline") == u"true");
  return true;
}

std::u16string FontDescription::Face() const {
  if (nbase::EqualsIgnoreAsciiCase(name_, u"system")) return kSystemFace;
  return name_;
}

int FontDescription::PixelSize(int dpi_percent) const {
  return static_cast<int>(static_cast<long long>(size_) * dpi_percent / 100);
}

int FontDescription::Weight() const {
  return bold_ ? std::min(kStockWeight + kBoldExtraWeight, kMaxWeight) : kStockWeight;
}

}  // namespace ui
