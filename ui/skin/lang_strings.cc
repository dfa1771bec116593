#include "ui/skin/lang_strings.h"

#include "base/utf.h"

namespace ui {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

LangStrings& LangStrings::Global() {
  static LangStrings strings;
  return strings;
}

size_t LangStrings::Parse(std::string_view bytes) {
  strings_.clear();
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  while (!bytes.empty()) {
    size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == ';') continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view id = TrimBlanks(line.substr(0, equals));
    const std::string_view text = TrimBlanks(line.substr(equals + 1));
    if (id.empty()) continue;
    std::u16string wide_id = nbase::Utf8ToUtf16(id);
    std::u16string wide_text = nbase::Utf8ToUtf16(text);
    // The shared converter answers a broken sequence with nothing.
    if (wide_id.empty() || (wide_text.empty() && !text.empty())) continue;
    strings_[std::move(wide_id)] = std::move(wide_text);
  }
  return strings_.size();
}

std::u16string LangStrings::Get(std::u16string_view id) const {
  const auto it = strings_.find(std::u16string(id));
  return it == strings_.end() ? std::u16string() : it->second;
}

bool LangStrings::Has(std::u16string_view id) const {
  return strings_.count(std::u16string(id)) != 0;
}

}  // namespace ui
