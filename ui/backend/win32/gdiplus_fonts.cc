#include "ui/backend/win32/gdiplus_fonts.h"

#include <map>
#include <memory>
#include <tuple>

namespace ui {

namespace {

using FontKey = std::tuple<std::u16string, int32_t, int32_t>;

std::map<FontKey, std::unique_ptr<Gdiplus::Font>>& FontTable() {
  static auto* table = new std::map<FontKey, std::unique_ptr<Gdiplus::Font>>;
  return *table;
}

std::map<std::u16string, std::u16string>& FaceTable() {
  static auto* table = new std::map<std::u16string, std::u16string>;
  return *table;
}

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

bool IsInstalled(const std::u16string& face) {
  Gdiplus::FontFamily family(Wide(face));
  return family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable();
}

std::u16string SystemFace() {
  static const std::u16string face = [] {
    for (const char16_t* candidate : {u"Microsoft YaHei", u"WenQuanYi Micro Hei"}) {
      if (IsInstalled(candidate)) return std::u16string(candidate);
    }
    return std::u16string();  // GDI+'s generic sans serif
  }();
  return face;
}

}  // namespace

std::u16string GdiplusFonts::ResolveFace(const std::u16string& face) {
  if (face.empty() || face == u"system") return SystemFace();
  auto it = FaceTable().find(face);
  if (it != FaceTable().end()) return it->second;
  const std::u16string resolved = IsInstalled(face) ? face : SystemFace();
  FaceTable().emplace(face, resolved);
  return resolved;
}

Gdiplus::Font* GdiplusFonts::Get(const FontSpec& wanted) {
  int32_t style = Gdiplus::FontStyleRegular;
  if (wanted.bold) style |= Gdiplus::FontStyleBold;
  if (wanted.italic) style |= Gdiplus::FontStyleItalic;
  if (wanted.underline) style |= Gdiplus::FontStyleUnderline;
  const int32_t size = wanted.size_px > 0 ? wanted.size_px : 12;
  FontKey key{wanted.face, size, style};
  auto it = FontTable().find(key);
  if (it != FontTable().end()) return it->second.get();
  const std::u16string face = ResolveFace(wanted.face);
  std::unique_ptr<Gdiplus::Font> font;
  if (!face.empty()) {
    font = std::make_unique<Gdiplus::Font>(Wide(face), static_cast<Gdiplus::REAL>(size), style,
                                           Gdiplus::UnitPixel);
  }
  if (!font || font->GetLastStatus() != Gdiplus::Ok) {
    font = std::make_unique<Gdiplus::Font>(Gdiplus::FontFamily::GenericSansSerif(),
                                           static_cast<Gdiplus::REAL>(size), style,
                                           Gdiplus::UnitPixel);
  }
  Gdiplus::Font* result = font.get();
  FontTable().emplace(std::move(key), std::move(font));
  return result;
}

Gdiplus::StringFormat* GdiplusFonts::NewFormat(bool wrap, bool ellipsis) {
  auto* format = Gdiplus::StringFormat::GenericTypographic()->Clone();
  INT flags = format->GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces;
  if (!wrap) flags |= Gdiplus::StringFormatFlagsNoWrap;
  format->SetFormatFlags(flags);
  format->SetTrimming(ellipsis ? Gdiplus::StringTrimmingEllipsisCharacter
                               : Gdiplus::StringTrimmingNone);
  return format;
}

std::wstring GdiplusFonts::SingleLineText(std::u16string_view text) {
  std::wstring line(text.begin(), text.end());
  for (wchar_t& c : line) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  return line;
}

void GdiplusFonts::Clear() {
  FontTable().clear();
  FaceTable().clear();
}

}  // namespace ui
