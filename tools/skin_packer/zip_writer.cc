#include "tools/skin_packer/zip_writer.h"

#include <zlib.h>

#include <limits>

namespace skin_tools {

namespace {

// 1 January 2020, 00:00: every entry carries this DOS time so builds repeat.
constexpr uint16_t kDosTime = 0;
constexpr uint16_t kDosDate = ((2020 - 1980) << 9) | (1 << 5) | 1;
constexpr uint16_t kVersion = 20;  // 2.0: deflate and folders
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr size_t kMaxNameBytes = 256;   // readers refuse names of 256 bytes or more
constexpr size_t kMaxEntries = 0xFFFF;  // no ZIP64

void Put16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

void Put32(std::string& out, uint32_t value) {
  Put16(out, static_cast<uint16_t>(value & 0xFFFF));
  Put16(out, static_cast<uint16_t>(value >> 16));
}

// Raw deflate (no zlib header), best compression.
bool Deflate(const std::string& input, std::string* output) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    return false;
  }
  output->resize(deflateBound(&stream, static_cast<uLong>(input.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = reinterpret_cast<Bytef*>(output->data());
  stream.avail_out = static_cast<uInt>(output->size());
  const int result = deflate(&stream, Z_FINISH);
  output->resize(stream.total_out);
  deflateEnd(&stream);
  return result == Z_STREAM_END;
}

}  // namespace

bool ZipWriter::IsAcceptableName(const std::string& name) {
  if (name.empty() || name.front() == '/') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    const std::string segment = name.substr(start, end - start);
    if (segment.empty() || segment == "." || segment == "..") return false;
    start = end + 1;
  }
  return name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

bool ZipWriter::AddDirectory(const std::string& name) {
  if (name.size() < 2 || name.size() >= kMaxNameBytes || name.back() != '/') return false;
  if (entries_.size() >= kMaxEntries) return false;
  if (!IsAcceptableName(name.substr(0, name.size() - 1))) return false;
  AddEntry(name, std::string(), kMethodStored, 0, 0, true);
  ++directory_count_;
  return true;
}

bool ZipWriter::AddFile(const std::string& name, const std::string& data) {
  if (name.size() >= kMaxNameBytes || !IsAcceptableName(name)) return false;
  if (entries_.size() >= kMaxEntries || data.size() >= std::numeric_limits<uint32_t>::max()) {
    return false;
  }
  std::string compressed;
  if (!Deflate(data, &compressed)) return false;
  const uint32_t crc = static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
  AddEntry(name, compressed, kMethodDeflate, crc, static_cast<uint32_t>(data.size()), false);
  ++file_count_;
  return true;
}

void ZipWriter::AddEntry(const std::string& name, const std::string& stored, uint16_t method,
                         uint32_t crc, uint32_t size, bool directory) {
  Entry entry{name,     method,
              crc,      static_cast<uint32_t>(stored.size()),
              size,     static_cast<uint32_t>(data_.size()),
              directory};
  Put32(data_, 0x04034b50);
  Put16(data_, kVersion);
  Put16(data_, 0);  // flags: no encryption, no data descriptor
  Put16(data_, method);
  Put16(data_, kDosTime);
  Put16(data_, kDosDate);
  Put32(data_, crc);
  Put32(data_, entry.compressed_size);
  Put32(data_, size);
  Put16(data_, static_cast<uint16_t>(name.size()));
  Put16(data_, 0);  // no extra field
  data_ += name;
  data_ += stored;
  entries_.push_back(std::move(entry));
}

std::string ZipWriter::Finish() const {
  std::string out = data_;
  const auto directory_offset = static_cast<uint32_t>(out.size());
  for (const Entry& entry : entries_) {
    Put32(out, 0x02014b50);
    Put16(out, kVersion);  // made by: MS-DOS, 2.0
    Put16(out, kVersion);
    Put16(out, 0);
    Put16(out, entry.method);
    Put16(out, kDosTime);
    Put16(out, kDosDate);
    Put32(out, entry.crc);
    Put32(out, entry.compressed_size);
    Put32(out, entry.size);
    Put16(out, static_cast<uint16_t>(entry.name.size()));
    Put16(out, 0);  // extra
    Put16(out, 0);  // comment
    Put16(out, 0);  // disk
    Put16(out, 0);  // internal attributes
    Put32(out, entry.directory ? kAttributeDirectory : kAttributeArchive);
    Put32(out, entry.offset);
    out += entry.name;
  }
  const auto directory_size = static_cast<uint32_t>(out.size() - directory_offset);
  Put32(out, 0x06054b50);
  Put16(out, 0);  // this disk
  Put16(out, 0);  // disk of the central directory
  Put16(out, static_cast<uint16_t>(entries_.size()));
  Put16(out, static_cast<uint16_t>(entries_.size()));
  Put32(out, directory_size);
  Put32(out, directory_offset);
  Put16(out, 0);  // no comment
  return out;
}

}  // namespace skin_tools
