#include "platform/desktop_entry.h"

#include <algorithm>

#include "base/utf.h"

namespace platform {
namespace {

constexpr char kNameKey[] = "Name";
constexpr char kZhCnNameKey[] = "Name[zh_CN]";
constexpr char kPathKey[] = "Path";

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::string Unescape(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out.push_back(value[i]);
      continue;
    }
    char next = value[++i];
    switch (next) {
      case 's':
        out.push_back(' ');
        break;
      case 'n':
        out.push_back('\n');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case '\\':
        out.push_back('\\');
        break;
      default:  // Unknown escapes (";" in lists) stay as written.
        out.push_back('\\');
        out.push_back(next);
        break;
    }
  }
  return out;
}

bool IsValidKey(std::string_view key) {
  if (key.empty()) return false;
  for (char c : key) {
    bool plain =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    bool locale = c == '[' || c == ']' || c == '_' || c == '@' || c == '.';
    if (!plain && !locale) return false;
  }
  return true;
}

}  // namespace

bool DesktopEntry::Parse(std::string_view text, DesktopEntry* entry,
                         std::initializer_list<std::string_view> only) {
  if (text.size() > kMaxFileBytes) return false;
  DesktopEntry result;
  bool found_group = false;
  bool in_group = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      // The group may appear once; a second "[Desktop Entry]" is ignored.
      in_group = line == "[Desktop Entry]" && !found_group;
      found_group = found_group || in_group;
      continue;
    }
    if (!in_group) continue;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = Trim(line.substr(0, equals));
    if (only.size() != 0 && std::find(only.begin(), only.end(), key) == only.end()) continue;
    if (!IsValidKey(key)) continue;
    result.values_.emplace(std::string(key), Unescape(Trim(line.substr(equals + 1))));
  }
  if (!found_group) return false;
  *entry = std::move(result);
  return true;
}

bool DesktopEntry::ParseNameAndPath(std::string_view text, DesktopEntry* entry) {
  return Parse(text, entry, {kZhCnNameKey, kNameKey, kPathKey});
}

const std::string* DesktopEntry::Get(const std::string& key) const {
  auto it = values_.find(key);
  return it == values_.end() ? nullptr : &it->second;
}

std::u16string DesktopEntry::DisplayName() const {
  for (const char* key : {kZhCnNameKey, kNameKey}) {
    const std::string* value = Get(key);
    if (value == nullptr) continue;
    std::u16string name = nbase::Utf8ToUtf16(*value);
    if (!name.empty()) return name;
  }
  return std::u16string();
}

std::u16string DesktopEntry::Path() const {
  const std::string* value = Get(kPathKey);
  return value == nullptr ? std::u16string() : nbase::Utf8ToUtf16(*value);
}

}  // namespace platform
