#include "tools/resource_writer/pe_resource_file.h"

#include <algorithm>
#include <cstring>

#include "base/utf.h"

namespace resource_writer {
namespace {

constexpr size_t kDosHeaderSize = 0x40;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kMaxSections = 96;
constexpr size_t kDirectoryHeaderSize = 16;
constexpr size_t kDirectoryEntrySize = 8;
constexpr size_t kDataEntrySize = 16;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr size_t kResourceDirectoryIndex = 2;
constexpr size_t kSecurityDirectoryIndex = 4;
// Far more than any executable carries; bounds the work on a hostile file.
constexpr size_t kMaxResources = 65536;

uint32_t Read(std::string_view bytes, size_t offset, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) {
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  }
  return value;
}

void Write32(std::string* bytes, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// True when [offset, offset + length) lies inside a buffer of `size` bytes.
bool Fits(size_t offset, size_t length, size_t size) {
  return offset <= size && length <= size - offset;
}

}  // namespace

bool PeResourceFile::LooksLikePe(std::string_view bytes) {
  if (bytes.size() < kDosHeaderSize || bytes[0] != 'M' || bytes[1] != 'Z') return false;
  const size_t pe = Read(bytes, 0x3C, 4);
  return Fits(pe, 4, bytes.size()) && std::memcmp(bytes.data() + pe, "PE\0\0", 4) == 0;
}

bool PeResourceFile::Parse(std::string bytes, std::string* error) {
  bytes_ = std::move(bytes);
  sections_.clear();
  resources_.clear();
  signed_ = false;
  const std::string_view file = bytes_;
  if (!LooksLikePe(file)) {
    *error = "not a PE file";
    return false;
  }
  const size_t coff = Read(file, 0x3C, 4) + 4;
  if (!Fits(coff, kCoffHeaderSize, file.size())) {
    *error = "the file header is cut off";
    return false;
  }
  const size_t section_count = Read(file, coff + 2, 2);
  const size_t optional_size = Read(file, coff + 16, 2);
  const size_t optional = coff + kCoffHeaderSize;
  if (!Fits(optional, optional_size, file.size()) || optional_size < 2) {
    *error = "the optional header is cut off";
    return false;
  }
  size_t count_offset = 0;
  const uint32_t magic = Read(file, optional, 2);
  if (magic == 0x10B) {
    count_offset = 92;
  } else if (magic == 0x20B) {
    count_offset = 108;
  } else {
    *error = "unknown optional header";
    return false;
  }
  if (optional_size < count_offset + 4) {
    *error = "the optional header is too short";
    return false;
  }
  checksum_offset_ = optional + 64;
  const size_t directories = optional + count_offset + 4;
  const size_t directory_count =
      std::min<size_t>(Read(file, optional + count_offset, 4),
                       (optional_size - count_offset - 4) / kDirectoryEntrySize);
  auto directory = [&](size_t index, uint32_t* address, uint32_t* size) {
    *address = *size = 0;
    if (index >= directory_count) return;
    *address = Read(file, directories + index * 8, 4);
    *size = Read(file, directories + index * 8 + 4, 4);
  };
  uint32_t security_offset, security_size;
  directory(kSecurityDirectoryIndex, &security_offset, &security_size);
  signed_ = security_size != 0;

  const size_t section_table = optional + optional_size;
  if (section_count > kMaxSections ||
      !Fits(section_table, section_count * kSectionHeaderSize, file.size())) {
    *error = "the section table is cut off";
    return false;
  }
  for (size_t i = 0; i < section_count; ++i) {
    const size_t header = section_table + i * kSectionHeaderSize;
    Section section;
    section.virtual_size = Read(file, header + 8, 4);
    section.virtual_address = Read(file, header + 12, 4);
    section.raw_size = Read(file, header + 16, 4);
    section.raw_offset = Read(file, header + 20, 4);
    // Only the bytes that are both in the file and mapped into memory count.
    if (section.virtual_size != 0) section.raw_size = std::min(section.raw_size, section.virtual_size);
    if (!Fits(section.raw_offset, section.raw_size, file.size())) {
      *error = "a section lies past the end of the file";
      return false;
    }
    sections_.push_back(section);
  }

  uint32_t resource_rva, resource_size;
  directory(kResourceDirectoryIndex, &resource_rva, &resource_size);
  if (resource_rva == 0) return true;  // No resources at all.
  for (const Section& section : sections_) {
    if (resource_rva >= section.virtual_address &&
        resource_rva - section.virtual_address < section.raw_size) {
      resource_section_offset_ = section.raw_offset + (resource_rva - section.virtual_address);
      resource_section_end_ = size_t{section.raw_offset} + section.raw_size;
    }
  }
  if (resource_section_end_ == 0) {
    *error = "the resource directory lies outside every section";
    return false;
  }
  return ParseResourceDirectory(error);
}

bool PeResourceFile::RvaToOffset(uint32_t rva, size_t length, size_t* offset) const {
  for (const Section& section : sections_) {
    if (rva < section.virtual_address) continue;
    const size_t inside = rva - section.virtual_address;
    if (!Fits(inside, length, section.raw_size)) continue;
    *offset = section.raw_offset + inside;
    return true;
  }
  return false;
}

bool PeResourceFile::ReadName(size_t offset, std::string* name) const {
  const size_t start = resource_section_offset_ + offset;
  if (!Fits(start, 2, resource_section_end_)) return false;
  const size_t length = Read(bytes_, start, 2);
  if (!Fits(start + 2, length * 2, resource_section_end_)) return false;
  std::u16string text;
  for (size_t i = 0; i < length; ++i) {
    text.push_back(static_cast<char16_t>(Read(bytes_, start + 2 + 2 * i, 2)));
  }
  *name = nbase::Utf16ToUtf8(text);
  return !name->empty() || length == 0;
}

bool PeResourceFile::ParseResourceDirectory(std::string* error) {
  const std::string_view file = bytes_;
  // Starts of every structure of the section: a resource's room ends at the
  // first one after its content.
  std::vector<size_t> starts{resource_section_end_};
  // Reads the directory table at `relative` (to the resource root); calls
  // `visit` with each entry's label and target. False on a damaged table.
  auto read_table = [&](size_t relative, int depth, auto&& visit) -> bool {
    const size_t table = resource_section_offset_ + relative;
    if (!Fits(table, kDirectoryHeaderSize, resource_section_end_)) return false;
    starts.push_back(table);
    const size_t entries = Read(file, table + 12, 2) + Read(file, table + 14, 2);
    const size_t first = table + kDirectoryHeaderSize;
    if (!Fits(first, entries * kDirectoryEntrySize, resource_section_end_)) return false;
    for (size_t i = 0; i < entries; ++i) {
      const uint32_t label = Read(file, first + i * kDirectoryEntrySize, 4);
      const uint32_t target = Read(file, first + i * kDirectoryEntrySize + 4, 4);
      std::string text;
      if (label & kHighBit) {
        if (!ReadName(label & ~kHighBit, &text)) return false;
        starts.push_back(resource_section_offset_ + (label & ~kHighBit));
      } else {
        text = (depth == 0 ? "#" : "") + std::to_string(label & 0xFFFF);
      }
      // Types and names lead to tables, languages to data entries.
      const bool leads_to_table = (target & kHighBit) != 0;
      if (leads_to_table != (depth < 2)) return false;
      if (!visit(text, label & 0xFFFF, target & ~kHighBit)) return false;
    }
    return true;
  };

  bool ok = read_table(0, 0, [&](const std::string& type, uint32_t, uint32_t type_table) {
    return read_table(type_table, 1, [&](const std::string& name, uint32_t, uint32_t name_table) {
      return read_table(name_table, 2, [&](const std::string&, uint32_t language, uint32_t entry) {
        if (resources_.size() >= kMaxResources) return false;
        Resource resource;
        resource.type = type;
        resource.name = name;
        resource.language = static_cast<uint16_t>(language);
        resource.entry_offset = resource_section_offset_ + entry;
        if (!Fits(resource.entry_offset, kDataEntrySize, resource_section_end_)) return false;
        starts.push_back(resource.entry_offset);
        const uint32_t rva = Read(file, resource.entry_offset, 4);
        resource.size = Read(file, resource.entry_offset + 4, 4);
        if (!RvaToOffset(rva, resource.size, &resource.data_offset)) return false;
        starts.push_back(resource.data_offset);
        resources_.push_back(resource);
        return true;
      });
    });
  });
  if (!ok) {
    resources_.clear();
    *error = "the resource directory is damaged";
    return false;
  }
  std::sort(starts.begin(), starts.end());
  for (Resource& resource : resources_) {
    auto next = std::upper_bound(starts.begin(), starts.end(), resource.data_offset);
    // Content outside the resource section has no room to spare.
    const bool in_section = resource.data_offset >= resource_section_offset_ &&
                            resource.data_offset < resource_section_end_;
    resource.room = in_section && next != starts.end()
                        ? std::max<size_t>(resource.size, *next - resource.data_offset)
                        : resource.size;
  }
  return true;
}

const PeResourceFile::Resource* PeResourceFile::Find(std::string_view type,
                                                     std::string_view name) const {
  for (const Resource& resource : resources_) {
    if (resource.type == type && resource.name == name) return &resource;
  }
  return nullptr;
}

std::string_view PeResourceFile::Content(const Resource& resource) const {
  return std::string_view(bytes_).substr(resource.data_offset, resource.size);
}

bool PeResourceFile::Rewrite(std::string_view type, std::string_view name,
                             std::string_view content, std::string* error) {
  auto found = std::find_if(resources_.begin(), resources_.end(), [&](const Resource& resource) {
    return resource.type == type && resource.name == name;
  });
  if (found == resources_.end()) {
    *error = "no resource " + std::string(type) + " " + std::string(name);
    return false;
  }
  if (signed_) {
    *error = "the file is signed; rewrite its resources before signing it";
    return false;
  }
  if (content.size() > found->room) {
    *error = "the new content needs " + std::to_string(content.size()) +
             " bytes; the file has room for " + std::to_string(found->room);
    return false;
  }
  // The old content's tail is cleared so nothing of it stays behind.
  const size_t cleared = std::max<size_t>(found->size, content.size());
  std::fill(bytes_.begin() + found->data_offset, bytes_.begin() + found->data_offset + cleared, '\0');
  std::copy(content.begin(), content.end(), bytes_.begin() + found->data_offset);
  found->size = static_cast<uint32_t>(content.size());
  Write32(&bytes_, found->entry_offset + 4, found->size);
  if (Read(bytes_, checksum_offset_, 4) != 0) Write32(&bytes_, checksum_offset_, ComputeChecksum());
  return true;
}

uint32_t PeResourceFile::ComputeChecksum() const {
  // The checksum field itself counts as zero.
  auto byte_at = [&](size_t offset) -> uint32_t {
    if (offset >= bytes_.size() || (offset >= checksum_offset_ && offset < checksum_offset_ + 4)) {
      return 0;
    }
    return static_cast<unsigned char>(bytes_[offset]);
  };
  uint64_t sum = 0;
  for (size_t offset = 0; offset < bytes_.size(); offset += 2) {
    sum += byte_at(offset) | (byte_at(offset + 1) << 8);
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + bytes_.size());
}

}  // namespace resource_writer
