// LangStrings: the skin's language strings, read from a "gdstrings.ini" file
// (UTF-8, byte-order mark allowed) and looked up by identifier.
//
// Format: lines beginning with ";" are comments; other non-empty lines are an
// identifier, "=" and the text, with blanks and tabs around "=" ignored.
// Promises: any bytes parse (lines that are not of that form, or do not
// decode as UTF-8, are skipped); a later line with the same identifier
// replaces an earlier one. Not thread-safe; the global table is filled on the
// UI thread at start-up and read there.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace ui {

class LangStrings {
 public:
  // The table the windows read (filled by ResourceLoader::LoadLanguage).
  static LangStrings& Global();

  // Replaces the table with the strings of `bytes`; returns how many
  // identifiers it then holds.
  size_t Parse(std::string_view bytes);
  void Clear() { strings_.clear(); }

  // The text of `id`, empty when there is none.
  std::u16string Get(std::u16string_view id) const;
  bool Has(std::u16string_view id) const;
  size_t size() const { return strings_.size(); }

 private:
  std::unordered_map<std::u16string, std::u16string> strings_;
};

}  // namespace ui
