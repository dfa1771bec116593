#include "ui/skin/zip_archive.h"

#include <zlib.h>

#include "base/utf.h"

namespace ui {

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 8;
// Deflate cannot expand data more than about 1032 times; a larger declared
// size is a lie that is refused before any memory is taken for it.
constexpr uint64_t kMaxDeflateRatio = 1100;

uint16_t Read16(const std::string& bytes, size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) |
                               static_cast<uint8_t>(bytes[offset + 1]) << 8);
}

uint32_t Read32(const std::string& bytes, size_t offset) {
  return static_cast<uint32_t>(Read16(bytes, offset)) |
         static_cast<uint32_t>(Read16(bytes, offset + 2)) << 16;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::string ZipArchive::NormalizeNameUtf8(std::string_view name) {
  std::vector<std::string_view> segments;
  const bool directory = !name.empty() && (name.back() == '/' || name.back() == '\\');
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view segment = name.substr(start, end - start);
    if (segment.empty() || segment == ".") {
      // Repeated, leading and "." separators add nothing.
    } else if (segment == ".." && !segments.empty() && segments.back() != "..") {
      segments.pop_back();
    } else {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::string result;
  for (const std::string_view segment : segments) {
    if (!result.empty()) result += '/';
    result += segment;
    if (result.size() > kMaxNameBytes) return std::string();
  }
  if (directory && !result.empty()) result += '/';
  if (result.size() > kMaxNameBytes) return std::string();
  return result;
}

std::string ZipArchive::NormalizeName(std::u16string_view name) {
  return NormalizeNameUtf8(nbase::Utf16ToUtf8(name));
}

void ZipArchive::Close() {
  open_ = false;
  std::string().swap(bytes_);
  entries_.clear();
  index_.clear();
}

ZipArchive::Result ZipArchive::Open(std::string bytes) {
  Close();
  const size_t end_record = FindEndRecord(bytes);
  if (end_record == std::string::npos) return Result::kBadArchive;
  std::vector<Entry> entries;
  const Result read = ReadDirectory(bytes, end_record, &entries);
  if (read != Result::kOk) return read;

  bytes_ = std::move(bytes);
  entries_ = std::move(entries);
  for (size_t i = 0; i < entries_.size(); ++i) {
    const std::string key = NormalizeNameUtf8(entries_[i].name);
    if (!key.empty()) index_.emplace(LowerAscii(key), i);
  }
  open_ = true;
  return Result::kOk;
}

size_t ZipArchive::FindEndRecord(const std::string& bytes) {
  if (bytes.size() < kEndSize) return std::string::npos;
  // The end record is the last 22 bytes plus a comment of up to 64 KiB;
  // search backwards for its signature, with a comment that fits.
  const size_t lowest =
      bytes.size() - kEndSize > kMaxCommentSize ? bytes.size() - kEndSize - kMaxCommentSize : 0;
  for (size_t pos = bytes.size() - kEndSize + 1; pos-- > lowest;) {
    if (Read32(bytes, pos) == kEndSignature &&
        pos + kEndSize + Read16(bytes, pos + 20) <= bytes.size()) {
      return pos;
    }
  }
  return std::string::npos;
}

ZipArchive::Result ZipArchive::ReadDirectory(const std::string& bytes, size_t end_record,
                                             std::vector<Entry>* entries) {
  const uint16_t disk = Read16(bytes, end_record + 4);
  const uint16_t directory_disk = Read16(bytes, end_record + 6);
  const uint16_t disk_entries = Read16(bytes, end_record + 8);
  const uint16_t total_entries = Read16(bytes, end_record + 10);
  const uint32_t directory_size = Read32(bytes, end_record + 12);
  const uint32_t directory_offset = Read32(bytes, end_record + 16);
  if (disk != 0 || directory_disk != 0 || disk_entries != total_entries) {
    return Result::kUnsupported;
  }
  if (total_entries == 0xFFFF || directory_size == 0xFFFFFFFF || directory_offset == 0xFFFFFFFF) {
    return Result::kUnsupported;
  }
  const uint64_t directory_end = uint64_t{directory_offset} + directory_size;
  if (directory_end > end_record) return Result::kBadArchive;

  entries->reserve(total_entries);
  size_t pos = directory_offset;
  for (uint32_t i = 0; i < total_entries; ++i) {
    if (pos + kCentralSize > directory_end || Read32(bytes, pos) != kCentralSignature) {
      return Result::kBadArchive;
    }
    const uint16_t name_length = Read16(bytes, pos + 28);
    const uint16_t extra_length = Read16(bytes, pos + 30);
    const uint16_t comment_length = Read16(bytes, pos + 32);
    const uint64_t next =
        uint64_t{pos} + kCentralSize + name_length + extra_length + comment_length;
    if (next > directory_end) return Result::kBadArchive;
    Entry entry;
    entry.flags = Read16(bytes, pos + 8);
    entry.method = Read16(bytes, pos + 10);
    entry.crc32 = Read32(bytes, pos + 16);
    entry.compressed_size = Read32(bytes, pos + 20);
    entry.uncompressed_size = Read32(bytes, pos + 24);
    entry.local_header_offset = Read32(bytes, pos + 42);
    entry.name = bytes.substr(pos + kCentralSize, name_length);
    if (uint64_t{entry.local_header_offset} + kLocalSize > directory_offset) {
      return Result::kBadArchive;
    }
    entries->push_back(std::move(entry));
    pos = static_cast<size_t>(next);
  }
  return Result::kOk;
}

const ZipArchive::Entry* ZipArchive::Find(const std::string& normalized) const {
  const auto it = index_.find(LowerAscii(normalized));
  return it == index_.end() ? nullptr : &entries_[it->second];
}

bool ZipArchive::HasEntry(std::u16string_view name) const {
  const std::string normalized = NormalizeName(name);
  return open_ && !normalized.empty() && Find(normalized) != nullptr;
}

ZipArchive::Result ZipArchive::ReadEntry(std::u16string_view name, std::string* data) const {
  if (!open_) return Result::kNotOpen;
  const std::string normalized = NormalizeName(name);
  if (normalized.empty()) return Result::kNameRejected;
  const Entry* entry = Find(normalized);
  if (!entry) return Result::kNotFound;
  return ReadEntryData(*entry, data);
}

ZipArchive::Result ZipArchive::ReadEntryUtf8(std::string_view name, std::string* data) const {
  if (!open_) return Result::kNotOpen;
  const std::string normalized = NormalizeNameUtf8(name);
  if (normalized.empty()) return Result::kNameRejected;
  const Entry* entry = Find(normalized);
  if (!entry) return Result::kNotFound;
  return ReadEntryData(*entry, data);
}

ZipArchive::Result ZipArchive::ReadEntryData(const Entry& entry, std::string* data) const {
  data->clear();
  if (entry.flags & kFlagEncrypted) return Result::kEncrypted;
  if (entry.method != kMethodStored && entry.method != kMethodDeflate) {
    return Result::kUnsupportedMethod;
  }
  const size_t local = entry.local_header_offset;
  if (uint64_t{local} + kLocalSize > bytes_.size() || Read32(bytes_, local) != kLocalSignature) {
    return Result::kBadEntry;
  }
  const uint64_t start =
      uint64_t{local} + kLocalSize + Read16(bytes_, local + 26) + Read16(bytes_, local + 28);
  if (start + entry.compressed_size > bytes_.size()) return Result::kBadEntry;
  if (entry.uncompressed_size > kMaxEntryBytes) return Result::kTooLarge;
  const char* source = bytes_.data() + start;

  std::string out;
  if (entry.method == kMethodStored) {
    if (entry.compressed_size != entry.uncompressed_size) return Result::kSizeMismatch;
    out.assign(source, entry.compressed_size);
  } else {
    if (entry.uncompressed_size > uint64_t{entry.compressed_size} * kMaxDeflateRatio + 1024) {
      return Result::kSizeMismatch;
    }
    // One byte more than declared: output that reaches it proves the entry
    // inflates past its declared size, and inflation stops there.
    out.resize(size_t{entry.uncompressed_size} + 1);
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return Result::kBadEntry;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(source));
    stream.avail_in = entry.compressed_size;
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&stream, Z_FINISH);
    const uLong produced = stream.total_out;
    inflateEnd(&stream);
    if (produced > entry.uncompressed_size) return Result::kSizeMismatch;
    if (status != Z_STREAM_END) return Result::kBadEntry;
    if (produced != entry.uncompressed_size) return Result::kSizeMismatch;
    out.resize(produced);
  }
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(out.data()),
                          static_cast<uInt>(out.size()));
  if (crc != entry.crc32) return Result::kCrcMismatch;
  *data = std::move(out);
  return Result::kOk;
}

}  // namespace ui
