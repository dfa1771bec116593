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

// Resources larger than this are not kept: the skin package (the one large
// resource) is asked for once, at start-up, and then lives in the skin
// loader; a copy here would hold it twice for the life of the process.
constexpr size_t kMaxKeptBytes = 64 * 1024;

constexpr char kOwnExecutable[] = "/proc/self/exe";

struct OwnTable {
  ResourceTable small;       // the resources kept, each at most kMaxKeptBytes
  ResourceTable large_ones;  // the others, present but without their bytes
};

const OwnTable& Own() {
  static const OwnTable* own = [] {
    auto* loaded = new OwnTable();
    ResourceTable read;
    if (ResourceTable::ReadFromFile(kOwnExecutable, &read)) {
      for (const ResourceTable::Entry& entry : read.entries()) {
        const bool keep = entry.bytes.size() <= kMaxKeptBytes;
        (keep ? loaded->small : loaded->large_ones)
            .Set(entry.type, entry.id, keep ? entry.bytes : std::string());
      }
    }
    return loaded;
  }();
  return *own;
}

bool Lookup(const ResourceTable& table, std::u16string_view type, int32_t id, std::string* bytes) {
  const ResourceTable::Entry* entry = table.Find(nbase::Utf16ToUtf8(type), id);
  if (entry == nullptr) return false;
  *bytes = entry->bytes;
  return true;
}

}  // namespace

bool LoadEmbeddedResource(std::u16string_view type, int32_t id, std::string* bytes) {
  const OwnTable& own = Own();
  if (Lookup(own.small, type, id, bytes)) return true;
  const std::string narrow_type = nbase::Utf16ToUtf8(type);
  if (own.large_ones.Find(narrow_type, id) == nullptr) return false;
  // A large one is read again (only the table at the end of the file).
  ResourceTable read;
  return ResourceTable::ReadFromFile(kOwnExecutable, &read) && read.Take(narrow_type, id, bytes);
}

bool LoadResourceFromFile(const std::string& path, std::u16string_view type, int32_t id,
                          std::string* bytes) {
  ResourceTable table;
  if (!ResourceTable::ReadFromFile(path, &table)) return false;
  return Lookup(table, type, id, bytes);
}

}  // namespace platform
