#include "platform/resource_table.h"

#include <zlib.h>

#include <cstring>

#include "platform/elf_section_file.h"

namespace platform {
namespace {

constexpr char kMagic[8] = {'V', 'R', 'N', 'K', 'R', 'E', 'S', '1'};

uint64_t ReadLe(std::string_view data, size_t offset, size_t width) {
  uint64_t value = 0;
  for (size_t i = 0; i < width; ++i) {
    value |= static_cast<uint64_t>(static_cast<unsigned char>(data[offset + i])) << (8 * i);
  }
  return value;
}

void AppendLe(std::string* out, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

uint32_t Crc(std::string_view data) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes the length as uInt; feed large inputs in pieces.
  while (!data.empty()) {
    size_t piece = data.size() > (1u << 30) ? (1u << 30) : data.size();
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(piece));
    data.remove_prefix(piece);
  }
  return static_cast<uint32_t>(crc);
}

}  // namespace

bool ResourceTable::Parse(std::string_view file, ResourceTable* table, size_t* program_size) {
  *program_size = file.size();
  if (file.size() < kFooterSize) return false;
  std::string_view footer = file.substr(file.size() - kFooterSize);
  if (std::memcmp(footer.data() + 16, kMagic, sizeof(kMagic)) != 0) return false;
  uint64_t table_size = ReadLe(footer, 0, 8);
  uint64_t count = ReadLe(footer, 8, 4);
  uint32_t crc = static_cast<uint32_t>(ReadLe(footer, 12, 4));
  if (table_size > file.size() - kFooterSize) return false;
  std::string_view data = file.substr(file.size() - kFooterSize - table_size, table_size);
  if (Crc(data) != crc) return false;
  std::vector<Entry> entries;
  size_t pos = 0;
  for (uint64_t i = 0; i < count; ++i) {
    if (data.size() - pos < 4) return false;
    uint64_t type_size = ReadLe(data, pos, 4);
    pos += 4;
    if (data.size() - pos < type_size + 12) return false;
    Entry entry;
    entry.type.assign(data.substr(pos, type_size));
    pos += type_size;
    entry.id = static_cast<int32_t>(static_cast<uint32_t>(ReadLe(data, pos, 4)));
    uint64_t size = ReadLe(data, pos + 4, 8);
    pos += 12;
    if (data.size() - pos < size) return false;
    entry.bytes.assign(data.substr(pos, size));
    pos += size;
    entries.push_back(std::move(entry));
  }
  if (pos != data.size()) return false;
  table->entries_ = std::move(entries);
  *program_size = file.size() - kFooterSize - table_size;
  return true;
}

bool ResourceTable::ReadFromFile(const std::string& path, ResourceTable* table) {
  std::string content;
  if (!ElfSectionFile::ReadSection(path, kSectionName, &content)) return false;
  size_t program_size = 0;
  return Parse(content, table, &program_size);
}

std::string ResourceTable::Serialize() const {
  std::string data;
  for (const Entry& entry : entries_) {
    AppendLe(&data, entry.type.size(), 4);
    data += entry.type;
    AppendLe(&data, static_cast<uint32_t>(entry.id), 4);
    AppendLe(&data, entry.bytes.size(), 8);
    data += entry.bytes;
  }
  std::string out = data;
  AppendLe(&out, data.size(), 8);
  AppendLe(&out, entries_.size(), 4);
  AppendLe(&out, Crc(data), 4);
  out.append(kMagic, sizeof(kMagic));
  return out;
}

int ResourceTable::WriteToFile(const std::string& path) const {
  return ElfSectionFile::ReplaceSection(path, kSectionName, Serialize());
}

const ResourceTable::Entry* ResourceTable::Find(std::string_view type, int32_t id) const {
  for (const Entry& entry : entries_) {
    if (entry.id == id && entry.type == type) return &entry;
  }
  return nullptr;
}

bool ResourceTable::Take(std::string_view type, int32_t id, std::string* bytes) {
  for (Entry& entry : entries_) {
    if (entry.id == id && entry.type == type) {
      *bytes = std::move(entry.bytes);
      entry.bytes.clear();
      return true;
    }
  }
  return false;
}

void ResourceTable::Set(std::string_view type, int32_t id, std::string bytes) {
  for (Entry& entry : entries_) {
    if (entry.id == id && entry.type == type) {
      entry.bytes = std::move(bytes);
      return;
    }
  }
  entries_.push_back(Entry{std::string(type), id, std::move(bytes)});
}

}  // namespace platform
