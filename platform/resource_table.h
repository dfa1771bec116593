// The resource table an executable carries: named, numbered byte blobs
// (skin package, channel, version record) in the executable's section
// kSectionName, a section that is not loaded into memory, so that `strip`
// and `objcopy` keep it (elf_section_file.h). Every program that reads its
// own resources carries the section (empty until a table is written).
//
// Layout of the section's content, all numbers little-endian:
//   entries, each: u32 type length, type (UTF-8), i32 id, u64 size, bytes
//   footer (24 bytes): u64 size of the entries, u32 entry count,
//                      u32 CRC-32 of the entries, magic "VRNKRES1"
// The table can be replaced in a built (or stripped) executable without
// relinking; the loaded part of the program is never touched. A table that
// does not check out (wrong magic, sizes past the section, bad CRC) counts
// as absent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The section's name, spelled once for the C++ constant below and for the
// assembler directive that creates the section.
#define VARNIK_RESOURCE_SECTION ".varnik_resources"

namespace platform {

class ResourceTable {
 public:
  struct Entry {
    std::string type;
    int32_t id = 0;
    std::string bytes;
  };

  static constexpr size_t kFooterSize = 24;
  static constexpr char kSectionName[] = VARNIK_RESOURCE_SECTION;

  // Parses a text that ends with a table (a section's content is exactly
  // one). On success fills `table` and sets `program_size` to the byte
  // count in front of the table. Without a table: false, and `program_size`
  // = the whole text.
  static bool Parse(std::string_view file, ResourceTable* table, size_t* program_size);

  // Reads the table of the executable at `path` (UTF-8). False when the file
  // cannot be read, has no resource section or no valid table in it.
  static bool ReadFromFile(const std::string& path, ResourceTable* table);

  // Replaces the table of the executable at `path` with this one, through
  // ElfSectionFile::ReplaceSection (same promises and codes: ENOENT when the
  // executable has no resource section). 0 on success.
  int WriteToFile(const std::string& path) const;

  // The entries followed by the footer.
  std::string Serialize() const;

  // Type names compare exactly (they are fixed ASCII names such as "THEME").
  const Entry* Find(std::string_view type, int32_t id) const;
  // Moves an entry's bytes out (the entry stays, empty); false when absent.
  bool Take(std::string_view type, int32_t id, std::string* bytes);
  void Set(std::string_view type, int32_t id, std::string bytes);

  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

}  // namespace platform
