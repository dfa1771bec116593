#include "ui/core/global_manager.h"

#include <utility>

namespace ui {

namespace {

struct Globals {
  std::vector<FontSpec> fonts;
  std::map<std::u16string, uint32_t> colors;
  std::map<std::u16string, std::u16string> classes;
  std::map<std::u16string, std::u16string> strings;
  uint32_t default_text_color = 0xFF000000;
  uint32_t default_disabled_text_color = 0xFFA1AEBC;
  CreateControlCallback creator;
};

Globals& G() {
  static Globals globals;
  return globals;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

void GlobalManager::Reset() {
  Globals& g = G();
  g.fonts.clear();
  g.colors.clear();
  g.classes.clear();
  g.strings.clear();
  g.default_text_color = 0xFF000000;
  g.default_disabled_text_color = 0xFFA1AEBC;
  g.creator = nullptr;
}

void GlobalManager::AddFont(const FontSpec& font) { G().fonts.push_back(font); }

int32_t GlobalManager::FontCount() { return static_cast<int32_t>(G().fonts.size()); }

FontSpec GlobalManager::GetFont(int32_t index) {
  const auto& fonts = G().fonts;
  if (index >= 0 && static_cast<size_t>(index) < fonts.size()) return fonts[index];
  if (!fonts.empty()) return fonts[0];
  FontSpec fallback;
  fallback.face = u"system";
  fallback.size_px = 12;
  return fallback;
}

void GlobalManager::AddColor(const std::u16string& name, uint32_t argb) {
  if (!name.empty()) G().colors[name] = argb;
}

bool GlobalManager::ResolveColor(const std::u16string& value, uint32_t* argb) {
  size_t i = 0;
  while (i < value.size() && (value[i] == u' ' || value[i] == u'\t')) ++i;
  std::u16string text = value.substr(i);
  auto it = G().colors.find(text);
  if (it != G().colors.end()) {
    *argb = it->second;
    return true;
  }
  if (text.size() != 9 || text[0] != u'#') return false;
  uint32_t result = 0;
  for (size_t k = 1; k < 9; ++k) {
    int digit = HexDigit(text[k]);
    if (digit < 0) return false;
    result = (result << 4) | static_cast<uint32_t>(digit);
  }
  *argb = result;
  return true;
}

void GlobalManager::AddClass(const std::u16string& name, const std::u16string& attribute_list) {
  if (!name.empty()) G().classes[name] = attribute_list;
}

std::u16string GlobalManager::GetClass(const std::u16string& name) {
  auto it = G().classes.find(name);
  return it == G().classes.end() ? std::u16string() : it->second;
}

AttributeList GlobalManager::SplitAttributeList(const std::u16string& list) {
  AttributeList result;
  size_t i = 0;
  const size_t n = list.size();
  while (i < n) {
    while (i < n && list[i] <= u' ') ++i;
    size_t name_start = i;
    while (i < n && list[i] != u'=' && list[i] > u' ') ++i;
    std::u16string name = list.substr(name_start, i - name_start);
    while (i < n && list[i] <= u' ') ++i;
    if (i >= n || list[i] != u'=') break;
    ++i;
    while (i < n && list[i] <= u' ') ++i;
    if (i >= n || (list[i] != u'"' && list[i] != u'\'')) break;
    const char16_t quote = list[i++];
    size_t value_start = i;
    while (i < n && list[i] != quote) ++i;
    if (i >= n) break;  // an unterminated value ends the list
    result.emplace_back(std::move(name), list.substr(value_start, i - value_start));
    ++i;
  }
  return result;
}

void GlobalManager::SetDefaultTextColor(uint32_t argb) { G().default_text_color = argb; }
uint32_t GlobalManager::GetDefaultTextColor() { return G().default_text_color; }
void GlobalManager::SetDefaultDisabledTextColor(uint32_t argb) {
  G().default_disabled_text_color = argb;
}
uint32_t GlobalManager::GetDefaultDisabledTextColor() { return G().default_disabled_text_color; }

void GlobalManager::SetCustomControlCreator(CreateControlCallback creator) {
  G().creator = std::move(creator);
}

Control* GlobalManager::CreateCustomControl(const std::u16string& element_name) {
  return G().creator ? G().creator(element_name) : nullptr;
}

void GlobalManager::SetLanguageString(const std::u16string& id, const std::u16string& text) {
  G().strings[id] = text;
}

std::u16string GlobalManager::GetLanguageString(const std::u16string& id) {
  auto it = G().strings.find(id);
  return it == G().strings.end() ? std::u16string() : it->second;
}

}  // namespace ui
