#include "ui/skin/style_sheet.h"

#include <limits>

namespace ui {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

StyleSheet& StyleSheet::Global() {
  static StyleSheet sheet;
  return sheet;
}

void StyleSheet::Clear() {
  fonts_.clear();
  colors_.clear();
  classes_.clear();
}

bool StyleSheet::LoadGlobal(const MarkupNode& global) {
  bool all = true;
  for (MarkupNode node = global.GetChild(); node.IsValid(); node = node.GetSibling()) {
    const std::u16string_view kind = node.GetName();
    if (kind == u"Font") {
      FontSlot slot;
      slot.valid = FontDescription::FromNode(node, &slot.font);
      all = all && slot.valid;
      fonts_.push_back(std::move(slot));
    } else if (kind == u"TextColor") {
      uint32_t argb = 0;
      const std::u16string name = node.GetAttributeValue(u"name");
      if (!name.empty() && ParseColor(node.GetAttributeValue(u"value"), &argb)) {
        AddColor(name, argb);
      } else {
        all = false;
      }
    } else if (kind == u"Class") {
      const std::u16string name = node.GetAttributeValue(u"name");
      const bool added = !name.empty() && AddClass(name, node.GetAttributeValue(u"value"));
      all = all && added;
    }
  }
  return all;
}

int StyleSheet::AddFont(const FontDescription& font) {
  fonts_.push_back(FontSlot{true, font});
  return static_cast<int>(fonts_.size() - 1);
}

const FontDescription* StyleSheet::GetFont(int index) const {
  if (index < 0 || index >= static_cast<int>(fonts_.size()) || !fonts_[index].valid) {
    return nullptr;
  }
  return &fonts_[index].font;
}

void StyleSheet::AddColor(std::u16string_view name, uint32_t argb) {
  colors_[std::u16string(name)] = argb;
}

bool StyleSheet::GetColor(std::u16string_view name_or_value, uint32_t* argb) const {
  if (!name_or_value.empty() && name_or_value.front() == u'#') {
    return ParseColor(name_or_value, argb);
  }
  const auto it = colors_.find(std::u16string(name_or_value));
  if (it == colors_.end()) return false;
  *argb = it->second;
  return true;
}

bool StyleSheet::AddClass(std::u16string_view name, std::u16string_view value) {
  AttributeList list;
  if (!ParseAttributeList(value, &list)) return false;
  classes_[std::u16string(name)] = std::move(list);
  return true;
}

const AttributeList* StyleSheet::GetClass(std::u16string_view name) const {
  const auto it = classes_.find(std::u16string(name));
  return it == classes_.end() ? nullptr : &it->second;
}

bool StyleSheet::ParseColor(std::u16string_view text, uint32_t* argb) {
  if (text.size() != 9 || text[0] != u'#') return false;
  uint32_t value = 0;
  for (size_t i = 1; i < text.size(); ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) return false;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  *argb = value;
  return true;
}

bool StyleSheet::ParseInt(std::u16string_view text, int* value) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  long long result = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    result = result * 10 + (c - u'0');
    if (result > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return false;
  }
  if (negative) result = -result;
  if (result > std::numeric_limits<int>::max()) return false;
  *value = static_cast<int>(result);
  return true;
}

bool StyleSheet::ParseRect(std::u16string_view text, ImageRect* rect) {
  int numbers[4];
  for (int i = 0; i < 4; ++i) {
    const size_t comma = text.find(u',');
    if ((i < 3) == (comma == std::u16string_view::npos)) return false;
    if (!ParseInt(text.substr(0, comma), &numbers[i])) return false;
    text = i < 3 ? text.substr(comma + 1) : std::u16string_view();
  }
  *rect = ImageRect{numbers[0], numbers[1], numbers[2], numbers[3]};
  return true;
}

bool StyleSheet::ParseAttributeList(std::u16string_view text, AttributeList* list) {
  AttributeList result;
  size_t pos = 0;
  for (;;) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos == text.size()) break;
    const size_t name_start = pos;
    while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != u'=' && text[pos] != u'"') {
      ++pos;
    }
    const std::u16string_view name = text.substr(name_start, pos - name_start);
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (name.empty() || pos == text.size() || text[pos] != u'=') return false;
    ++pos;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos == text.size() || text[pos] != u'"') return false;
    const size_t close = text.find(u'"', pos + 1);
    if (close == std::u16string_view::npos) return false;
    result.emplace_back(std::u16string(name),
                        std::u16string(text.substr(pos + 1, close - pos - 1)));
    pos = close + 1;
  }
  *list = std::move(result);
  return true;
}

}  // namespace ui
