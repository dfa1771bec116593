#include "tests/skin_tools/zip_listing.h"

#include <zlib.h>

namespace skin_tools {

namespace {

uint16_t Get16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(s[at]) |
                               static_cast<unsigned char>(s[at + 1]) << 8);
}

uint32_t Get32(const std::string& s, size_t at) {
  return Get16(s, at) | static_cast<uint32_t>(Get16(s, at + 2)) << 16;
}

bool Inflate(const std::string& in, uint32_t size, std::string* out) {
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  out->assign(size, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  stream.avail_in = static_cast<uInt>(in.size());
  stream.next_out = reinterpret_cast<Bytef*>(out->data());
  stream.avail_out = size;
  const int result = inflate(&stream, Z_FINISH);
  const bool ok = result == Z_STREAM_END && stream.total_out == size && stream.avail_in == 0;
  inflateEnd(&stream);
  return ok;
}

}  // namespace

bool ZipListing::Parse(const std::string& archive, std::string* error) {
  entries_.clear();
  if (archive.size() < 22) return *error = "shorter than an end record", false;
  const size_t end = archive.size() - 22;  // the packer writes no comment
  if (Get32(archive, end) != 0x06054b50) return *error = "no end record at the end", false;
  const uint16_t count = Get16(archive, end + 10);
  const uint32_t directory_size = Get32(archive, end + 12);
  const uint32_t directory_offset = Get32(archive, end + 16);
  comment_length_ = Get16(archive, end + 20);
  if (Get16(archive, end + 8) != count || uint64_t{directory_offset} + directory_size != end) {
    return *error = "end record disagrees with the central directory", false;
  }
  size_t at = directory_offset;
  for (int i = 0; i < count; ++i) {
    if (at + 46 > end || Get32(archive, at) != 0x02014b50) {
      return *error = "bad central header " + std::to_string(i), false;
    }
    Entry entry;
    entry.flags = Get16(archive, at + 8);
    entry.method = Get16(archive, at + 10);
    entry.crc = Get32(archive, at + 16);
    entry.compressed_size = Get32(archive, at + 20);
    entry.size = Get32(archive, at + 24);
    const uint16_t name_length = Get16(archive, at + 28);
    const size_t variable = size_t{name_length} + Get16(archive, at + 30) + Get16(archive, at + 32);
    entry.external_attributes = Get32(archive, at + 38);
    entry.local_offset = Get32(archive, at + 42);
    if (at + 46 + variable > end) return *error = "central header past its end", false;
    entry.name = archive.substr(at + 46, name_length);
    at += 46 + variable;

    const size_t local = entry.local_offset;
    if (local + 30 > directory_offset || Get32(archive, local) != 0x04034b50) {
      return *error = "bad local header for " + entry.name, false;
    }
    const uint16_t local_name_length = Get16(archive, local + 26);
    const size_t data_at = local + 30 + local_name_length + Get16(archive, local + 28);
    if (archive.compare(local + 30, local_name_length, entry.name) != 0 ||
        Get16(archive, local + 8) != entry.method || Get32(archive, local + 14) != entry.crc ||
        Get32(archive, local + 18) != entry.compressed_size ||
        Get32(archive, local + 22) != entry.size) {
      return *error = "local header disagrees for " + entry.name, false;
    }
    if (data_at + entry.compressed_size > directory_offset) {
      return *error = "data past the central directory for " + entry.name, false;
    }
    const std::string stored = archive.substr(data_at, entry.compressed_size);
    if (entry.method == 0) {
      if (entry.size != entry.compressed_size) return *error = "stored sizes differ", false;
      entry.data = stored;
    } else if (entry.method != 8 || !Inflate(stored, entry.size, &entry.data)) {
      return *error = "cannot inflate " + entry.name, false;
    }
    entries_.push_back(std::move(entry));
  }
  if (at != end) return *error = "central directory size is wrong", false;
  return true;
}

}  // namespace skin_tools
