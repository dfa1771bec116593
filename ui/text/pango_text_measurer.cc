#include "ui/text/pango_text_measurer.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <utility>

#include "base/utf.h"

namespace ui {

namespace {
// The measure cache is dropped whole when it grows past this many entries.
constexpr size_t kMaxCacheEntries = 4096;
}  // namespace

struct PangoTextMeasurer::State {
  PangoFontMap* font_map = nullptr;
  PangoContext* context = nullptr;
  PangoLayout* layout = nullptr;
  using Key = std::tuple<std::u16string, int32_t, int32_t, std::u16string, int32_t, bool>;
  std::map<Key, Size> cache;
};

PangoTextMeasurer::PangoTextMeasurer() : state_(std::make_unique<State>()) {
  state_->font_map = pango_cairo_font_map_new();
  state_->context = pango_font_map_create_context(state_->font_map);
  pango_cairo_context_set_resolution(state_->context, 96.0);
  state_->layout = pango_layout_new(state_->context);
}

PangoTextMeasurer::~PangoTextMeasurer() {
  if (state_->layout) g_object_unref(state_->layout);
  if (state_->context) g_object_unref(state_->context);
  if (state_->font_map) g_object_unref(state_->font_map);
}

std::string PangoTextMeasurer::ResolveFace(const std::u16string& face) {
  if (face.empty() || face == u"system") return "WenQuanYi Micro Hei";
  return nbase::Utf16ToUtf8(face);
}

Size PangoTextMeasurer::Measure(const FontSpec& font, std::u16string_view text, int32_t max_width,
                                bool single_line) {
  const int32_t flags = (font.bold ? 1 : 0) | (font.underline ? 2 : 0) | (font.italic ? 4 : 0);
  State::Key key{font.face,  font.size_px, flags, std::u16string(text), single_line ? 0 : max_width,
                 single_line};
  auto it = state_->cache.find(key);
  if (it != state_->cache.end()) return it->second;

  const std::string utf8 = nbase::Utf16ToUtf8(text);
  Prepare(font, utf8, max_width, single_line);
  PangoLayout* layout = state_->layout;
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  Size size{width, height};

  if (state_->cache.size() >= kMaxCacheEntries) state_->cache.clear();
  state_->cache.emplace(std::move(key), size);
  return size;
}

void PangoTextMeasurer::Prepare(const FontSpec& font, const std::string& utf8, int32_t max_width,
                                bool single_line) {
  PangoFontDescription* desc = pango_font_description_new();
  const std::string family = ResolveFace(font.face);
  pango_font_description_set_family(desc, family.c_str());
  pango_font_description_set_absolute_size(desc, static_cast<double>(font.size_px) * PANGO_SCALE);
  pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(desc, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);

  PangoLayout* layout = state_->layout;
  pango_layout_set_font_description(layout, desc);
  pango_font_description_free(desc);
  pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
  pango_layout_set_single_paragraph_mode(layout, single_line);
  if (!single_line && max_width > 0) {
    pango_layout_set_width(layout, max_width * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  } else {
    pango_layout_set_width(layout, -1);
  }
}

namespace {

// UTF-8 byte offset of the UTF-16 offset `index` and back.
int Utf8Offset(std::u16string_view text, size_t index) {
  return static_cast<int>(nbase::Utf16ToUtf8(text.substr(0, std::min(index, text.size()))).size());
}

size_t Utf16Offset(const std::string& utf8, int byte_index) {
  byte_index = std::clamp(byte_index, 0, static_cast<int>(utf8.size()));
  return nbase::Utf8ToUtf16(std::string_view(utf8).substr(0, byte_index)).size();
}

}  // namespace

Rect PangoTextMeasurer::CaretRect(const FontSpec& font, std::u16string_view text, int32_t max_width,
                                  bool single_line, size_t index) {
  const std::string utf8 = nbase::Utf16ToUtf8(text);
  Prepare(font, utf8, max_width, single_line);
  PangoRectangle pos{0, 0, 0, 0};
  pango_layout_index_to_pos(state_->layout, Utf8Offset(text, index), &pos);
  const int32_t x = PANGO_PIXELS(pos.x);
  const int32_t y = PANGO_PIXELS(pos.y);
  return Rect{x, y, x + 1, y + std::max(1, PANGO_PIXELS(pos.height))};
}

size_t PangoTextMeasurer::HitTest(const FontSpec& font, std::u16string_view text, int32_t max_width,
                                  bool single_line, Point point) {
  const std::string utf8 = nbase::Utf16ToUtf8(text);
  Prepare(font, utf8, max_width, single_line);
  int index = 0;
  int trailing = 0;
  pango_layout_xy_to_index(state_->layout, point.x * PANGO_SCALE, point.y * PANGO_SCALE, &index,
                           &trailing);
  // `trailing` counts characters past the grapheme's start.
  const char* p = utf8.c_str() + std::clamp(index, 0, static_cast<int>(utf8.size()));
  for (; trailing > 0 && *p; --trailing) p = g_utf8_next_char(p);
  return Utf16Offset(utf8, static_cast<int>(p - utf8.c_str()));
}

}  // namespace ui
