// Opens arbitrary bytes as a skin package and reads every entry it lists,
// by its stored name and by a case-changed, backslashed form of it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/skin/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ui::ZipArchive zip;
  if (zip.Open(std::string(reinterpret_cast<const char*>(data), size)) !=
      ui::ZipArchive::Result::kOk) {
    return 0;
  }
  std::string content;
  size_t read = 0;
  for (const ui::ZipArchive::Entry& entry : zip.entries()) {
    if (++read > 64) break;
    (void)zip.ReadEntryUtf8(entry.name, &content);
    std::string other = entry.name;
    for (char& c : other) {
      if (c == '/') c = '\\';
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    (void)zip.ReadEntryUtf8(other, &content);
  }
  return 0;
}
