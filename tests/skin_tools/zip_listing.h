// A small, strict reader of the ZIP structure for the packer's tests: the end
// record, the central directory and each entry's local header, with every
// offset checked against the buffer. It is not the product's archive reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skin_tools {

class ZipListing {
 public:
  struct Entry {
    std::string name;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint32_t compressed_size = 0;
    uint32_t size = 0;
    uint32_t external_attributes = 0;
    uint32_t local_offset = 0;
    std::string data;  // the entry's bytes, inflated for deflate entries
  };

  // Parses `archive`; returns false with `error` set on any inconsistency
  // (bad signatures, offsets or sizes outside the buffer, local headers that
  // disagree with the central directory, data that does not inflate to the
  // declared size).
  bool Parse(const std::string& archive, std::string* error);

  const std::vector<Entry>& entries() const { return entries_; }
  uint16_t comment_length() const { return comment_length_; }

 private:
  std::vector<Entry> entries_;
  uint16_t comment_length_ = 0;
};

}  // namespace skin_tools
