#include "ui/core/global_manager.h"

#include <utility>

#include "ui/core/dpi_scale.h"
#include "ui/skin/lang_strings.h"

namespace ui {

namespace {

struct Globals {
  uint32_t default_text_color = 0xFF000000;
  uint32_t default_disabled_text_color = 0xFFA1AEBC;
  std::map<std::u16string, uint32_t> colors;
  CreateControlCallback creator;
};

Globals& G() {
  static Globals globals;
  return globals;
}

}  // namespace

void GlobalManager::Reset() {
  StyleSheet::Global().Clear();
  LangStrings::Global().Clear();
  G() = Globals();
}

void GlobalManager::AddFont(const std::u16string& face, int32_t size, bool bold, bool underline) {
  StyleSheet::Global().AddFont(FontDescription(face, size, bold, underline));
}

int32_t GlobalManager::FontCount() { return StyleSheet::Global().GetFontCount(); }

FontSpec GlobalManager::GetFont(int32_t index) {
  const StyleSheet& sheet = StyleSheet::Global();
  const FontDescription* font = sheet.GetFont(index);
  if (!font) font = sheet.GetFont(0);
  FontSpec result;
  if (!font) {
    result.face = u"system";
    result.size_px = DpiScale::Scale(12);
    return result;
  }
  result.face = font->Face();
  result.size_px = font->PixelSize(DpiScale::IsActive() ? DpiScale::Percent() : 100);
  result.bold = font->bold();
  result.underline = font->underline();
  return result;
}

void GlobalManager::AddColor(const std::u16string& name, uint32_t argb) {
  if (!name.empty()) StyleSheet::Global().AddColor(name, argb);
}

bool GlobalManager::ResolveColor(const std::u16string& value, uint32_t* argb) {
  size_t i = 0;
  while (i < value.size() && (value[i] == u' ' || value[i] == u'\t')) ++i;
  return StyleSheet::Global().GetColor(std::u16string_view(value).substr(i), argb);
}

bool GlobalManager::AddClass(const std::u16string& name, const std::u16string& attribute_list) {
  return !name.empty() && StyleSheet::Global().AddClass(name, attribute_list);
}

const AttributeList* GlobalManager::GetClass(const std::u16string& name) {
  return StyleSheet::Global().GetClass(name);
}

void GlobalManager::SetDefaultTextColor(uint32_t argb) { G().default_text_color = argb; }
uint32_t GlobalManager::GetDefaultTextColor() { return G().default_text_color; }
void GlobalManager::SetDefaultDisabledTextColor(uint32_t argb) {
  G().default_disabled_text_color = argb;
}
uint32_t GlobalManager::GetDefaultDisabledTextColor() { return G().default_disabled_text_color; }

void GlobalManager::SetGlobalColor(const std::u16string& name, uint32_t argb) {
  G().colors[name] = argb;
}

uint32_t GlobalManager::GetGlobalColor(const std::u16string& name) {
  auto it = G().colors.find(name);
  return it == G().colors.end() ? 0 : it->second;
}

void GlobalManager::SetCustomControlCreator(CreateControlCallback creator) {
  G().creator = std::move(creator);
}

Control* GlobalManager::CreateCustomControl(const std::u16string& element_name) {
  return G().creator ? G().creator(element_name) : nullptr;
}

std::u16string GlobalManager::GetLanguageString(const std::u16string& id) {
  return LangStrings::Global().Get(id);
}

}  // namespace ui
