#include "ui/skin/image_description.h"

#include "ui/skin/style_sheet.h"

namespace ui {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

bool ImageDescription::Parse(std::u16string_view text, ImageDescription* image) {
  text = Trim(text);
  if (text.empty()) return false;
  ImageDescription result;
  if (text.find(u'=') == std::u16string_view::npos) {
    result.file = std::u16string(text);
    *image = std::move(result);
    return true;
  }
  while (!(text = Trim(text)).empty()) {
    const size_t equals = text.find(u'=');
    if (equals == std::u16string_view::npos) return false;
    const std::u16string_view name = Trim(text.substr(0, equals));
    text = Trim(text.substr(equals + 1));
    if (text.empty() || text.front() != u'\'') return false;
    const size_t close = text.find(u'\'', 1);
    if (close == std::u16string_view::npos) return false;
    const std::u16string_view value = text.substr(1, close - 1);
    text.remove_prefix(close + 1);
    if (name == u"file") {
      if (value.empty()) return false;
      result.file = std::u16string(value);
    } else if (name == u"corner") {
      if (!StyleSheet::ParseRect(value, &result.corner)) return false;
      result.has_corner = true;
    } else if (name == u"dest") {
      if (!StyleSheet::ParseRect(value, &result.dest)) return false;
      result.has_dest = true;
    } else if (name == u"source") {
      if (!StyleSheet::ParseRect(value, &result.source)) return false;
      result.has_source = true;
    } else if (name == u"fade") {
      if (!StyleSheet::ParseInt(value, &result.fade) || result.fade < 0 || result.fade > 255) {
        return false;
      }
    } else if (name == u"destscale") {
      if (value != u"true" && value != u"false") return false;
      result.dest_scale = value == u"true";
    }
  }
  if (result.file.empty()) return false;
  *image = std::move(result);
  return true;
}

}  // namespace ui
