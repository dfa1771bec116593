// The "[Desktop Entry]" group of an XDG desktop entry file: the source of the
// installed-program list. Only that group is read; other groups, comments and
// blank lines are skipped. String values are unescaped (\s \n \t \r \\).
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

namespace platform {

class DesktopEntry {
 public:
  // Files larger than this are not desktop entries and are not parsed.
  static constexpr size_t kMaxFileBytes = 1 << 20;

  // False when `text` has no "[Desktop Entry]" group or is too large.
  // Malformed lines inside the group are skipped; the first occurrence of a
  // key wins. With `only`, just those keys are kept.
  static bool Parse(std::string_view text, DesktopEntry* entry,
                    std::initializer_list<std::string_view> only = {});
  // Parse keeping only what DisplayName and Path read: an entry often
  // carries a hundred translated keys that nobody here looks at.
  static bool ParseNameAndPath(std::string_view text, DesktopEntry* entry);

  // The raw (unescaped, UTF-8) value of `key` ("Name", "Name[zh_CN]"), or
  // null when absent.
  const std::string* Get(const std::string& key) const;

  // "Name[zh_CN]" when present and decodable, else "Name"; empty when
  // neither is usable.
  std::u16string DisplayName() const;
  // "Path", the program's working folder; empty when absent.
  std::u16string Path() const;

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace platform
