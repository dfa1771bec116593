#include <mutex>

#include "base/utf.h"
#include "platform/embedded_resources.h"
#include "platform/resource_table.h"

// The resource section of every program that reads its own resources: one
// zero byte (the linker drops an empty section) until the tool writes a
// table into it after linking. Not allocated, so never loaded, and kept by
// strip and objcopy.
asm(".pushsection " VARNIK_RESOURCE_SECTION
    ",\"\",@progbits\n"
    ".byte 0\n"
    ".popsection\n");

namespace platform {
namespace {

const ResourceTable& OwnTable() {
  static const ResourceTable* table = [] {
    auto* loaded = new ResourceTable();
    if (!ResourceTable::ReadFromFile("/proc/self/exe", loaded)) *loaded = ResourceTable();
    return loaded;
  }();
  return *table;
}

bool Lookup(const ResourceTable& table, std::u16string_view type, int32_t id, std::string* bytes) {
  const ResourceTable::Entry* entry = table.Find(nbase::Utf16ToUtf8(type), id);
  if (entry == nullptr) return false;
  *bytes = entry->bytes;
  return true;
}

}  // namespace

bool LoadEmbeddedResource(std::u16string_view type, int32_t id, std::string* bytes) {
  return Lookup(OwnTable(), type, id, bytes);
}

bool LoadResourceFromFile(const std::string& path, std::u16string_view type, int32_t id,
                          std::string* bytes) {
  ResourceTable table;
  if (!ResourceTable::ReadFromFile(path, &table)) return false;
  return Lookup(table, type, id, bytes);
}

}  // namespace platform
