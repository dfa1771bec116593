// ZipArchive: a read-only ZIP archive held in memory, the container of the
// skin package. Entries are stored or deflated (zlib); one entry is read
// whole into memory by name.
//
// Promises: every offset and size taken from the archive is checked against
// the buffer before use (no read outside it, no arithmetic overflow); a
// deflated entry never produces more than its declared size (no zip bomb) and
// must produce exactly that size; the CRC-32 of every entry read is checked.
// Lookups normalise the name (NormalizeName) and compare ASCII letters without
// regard to case. Entry names are only compared, never turned into paths of
// the file system. Not thread-safe; reads do not change the archive, so one
// opened archive may be read from several threads only if none opens/closes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ui {

class ZipArchive {
 public:
  enum class Result {
    kOk = 0,
    kNotOpen,            // no archive is open
    kBadArchive,         // the end record or central directory is damaged
    kUnsupported,        // multi-disk or ZIP64 archives
    kNameRejected,       // the name is empty or 256 bytes or more once normalised
    kNotFound,           // no entry has that name
    kEncrypted,          // the entry is encrypted (no password is ever used)
    kUnsupportedMethod,  // neither stored (0) nor deflate (8)
    kBadEntry,           // local header or data outside the archive
    kTooLarge,           // declared size above kMaxEntryBytes
    kSizeMismatch,       // the data does not give exactly the declared size
    kCrcMismatch,        // the data gives another CRC-32 than declared
  };

  // One entry of the central directory, as declared there.
  struct Entry {
    std::string name;  // as stored (UTF-8, "/" separated)
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t crc32 = 0;
    uint32_t compressed_size = 0;
    uint32_t uncompressed_size = 0;
    uint32_t local_header_offset = 0;
    bool IsDirectory() const { return !name.empty() && name.back() == '/'; }
  };

  // Longest accepted name, in UTF-8 bytes, after normalisation.
  static constexpr size_t kMaxNameBytes = 255;
  // Largest entry read into memory.
  static constexpr uint32_t kMaxEntryBytes = 64u * 1024 * 1024;

  ZipArchive() = default;
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Takes the archive's bytes and indexes its central directory; closes an
  // archive opened before. On failure nothing stays open.
  Result Open(std::string bytes);
  void Close();
  bool IsOpen() const { return open_; }

  // Entries in central-directory order; entries whose names are too long are
  // listed but cannot be looked up.
  const std::vector<Entry>& entries() const { return entries_; }

  // Reads the entry named `name` (normalised first) into `data`.
  Result ReadEntry(std::u16string_view name, std::string* data) const;
  Result ReadEntryUtf8(std::string_view name, std::string* data) const;
  bool HasEntry(std::u16string_view name) const;

  // The lookup form of a name: backslashes become "/", repeated "/"
  // collapse, a leading "/" is dropped, "." segments are dropped, and a
  // segment followed by ".." is removed with it; then UTF-8. Empty when the
  // result is empty, does not convert, or has 256 bytes or more.
  static std::string NormalizeName(std::u16string_view name);
  static std::string NormalizeNameUtf8(std::string_view name);

 private:
  // The offset of the end-of-directory record; npos when there is none.
  static size_t FindEndRecord(const std::string& bytes);
  // Reads the central directory that the end record at `end_record`
  // describes. Every entry is checked against the archive's bounds.
  static Result ReadDirectory(const std::string& bytes, size_t end_record,
                              std::vector<Entry>* entries);
  const Entry* Find(const std::string& normalized) const;
  Result ReadEntryData(const Entry& entry, std::string* data) const;

  bool open_ = false;
  std::string bytes_;
  std::vector<Entry> entries_;
  // Lower-cased (ASCII) name to the first entry of that name.
  std::unordered_map<std::string, size_t> index_;
};

}  // namespace ui
