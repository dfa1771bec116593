// Writes a ZIP archive in memory: stored directory entries of size 0 and
// deflate-compressed files, in the order they are added, with one fixed
// timestamp, no comment, no encryption and no extra fields, so the same
// input always gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skin_tools {

class ZipWriter {
 public:
  // Adds a directory entry; `name` ends with "/". Returns false (and adds
  // nothing) for a name of 256 bytes or more, a name IsAcceptableName
  // refuses, or a 65536th entry.
  bool AddDirectory(const std::string& name);

  // Adds a file entry compressed with deflate; `name` does not end with "/".
  // Returns false for a name refused as above or data of 4 GiB or more.
  bool AddFile(const std::string& name, const std::string& data);

  // The whole archive: local entries, central directory, end record.
  std::string Finish() const;

  int directory_count() const { return directory_count_; }
  int file_count() const { return file_count_; }

  // Whether `name` (without a directory's trailing "/") is a plain relative
  // path: not empty, no leading "/", no backslash or NUL, and no empty, "."
  // or ".." segment, so that every reader finds it under the same name.
  static bool IsAcceptableName(const std::string& name);

 private:
  struct Entry {
    std::string name;
    uint16_t method;
    uint32_t crc;
    uint32_t compressed_size;
    uint32_t size;
    uint32_t offset;
    bool directory;
  };

  void AddEntry(const std::string& name, const std::string& stored, uint16_t method, uint32_t crc,
                uint32_t size, bool directory);

  std::string data_;  // local headers and entry data so far
  std::vector<Entry> entries_;
  int directory_count_ = 0;
  int file_count_ = 0;
};

}  // namespace skin_tools
