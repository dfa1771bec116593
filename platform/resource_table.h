// The resource table an executable carries: named, numbered byte blobs
// (skin package, channel, version record) appended after the linked program.
//
// Layout at the end of the file, all numbers little-endian:
//   entries, each: u32 type length, type (UTF-8), i32 id, u64 size, bytes
//   footer (24 bytes): u64 size of the entries, u32 entry count,
//                      u32 CRC-32 of the entries, magic "VRNKRES1"
// The table can be replaced in a built executable without relinking; the
// program bytes in front of it are never touched. A table that does not
// check out (wrong magic, sizes past the file, bad CRC) counts as absent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class ResourceTable {
 public:
  struct Entry {
    std::string type;
    int32_t id = 0;
    std::string bytes;
  };

  static constexpr size_t kFooterSize = 24;

  // Parses the tail of a file. On success fills `table` and sets
  // `program_size` to the byte count in front of the table. A file without a
  // table gives false and `program_size` = the whole file.
  static bool Parse(std::string_view file, ResourceTable* table, size_t* program_size);

  // Reads the table of the file at `path` (UTF-8). False when the file cannot
  // be read or carries no valid table.
  static bool ReadFromFile(const std::string& path, ResourceTable* table);

  // Replaces the table of the file at `path` with this one (appends when the
  // file has none). Written to a temporary file beside it and renamed over
  // it, keeping the file's mode, so a running copy or a crash never sees half
  // a file. 0 on success, an errno value otherwise.
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
