#include "report/machine_identity.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "base/system_time.h"
#include "base/thread_registry.h"
#include "base/utf.h"
#include "platform/embedded_resources.h"
#include "platform/md5_digest.h"
#include "platform/random_guid.h"
#include "platform/registry.h"

namespace report {

namespace {

const char16_t kDefaultVersion[] = u"1.0.0.0";

// The caches are filled during start-up on the UI thread and read afterwards
// from any thread; the lock keeps an early reader on another thread safe.
struct IdentityCache {
  std::mutex lock;
  std::u16string version;
  std::u16string machine_id;
};

IdentityCache& Cache() {
  static IdentityCache cache;
  return cache;
}

// "a.b.c.d" with four decimal numbers of at most 65535, reformatted as
// "%d.%d.%d.%d"; empty for anything else.
std::u16string ParseVersionRecord(const std::string& record) {
  unsigned parts[4] = {0, 0, 0, 0};
  size_t index = 0;
  size_t digits = 0;
  for (char c : record) {
    if (c >= '0' && c <= '9') {
      parts[index] = parts[index] * 10 + static_cast<unsigned>(c - '0');
      if (++digits > 5 || parts[index] > 0xFFFF) return std::u16string();
    } else if (c == '.' && digits > 0 && index < 3) {
      ++index;
      digits = 0;
    } else {
      return std::u16string();
    }
  }
  if (index != 3 || digits == 0) return std::u16string();
  char text[64];
  std::snprintf(text, sizeof(text), "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
  return nbase::Utf8ToUtf16(text);
}

}  // namespace

std::u16string GetFileVersionText(std::u16string path) {
  IdentityCache& cache = Cache();
  std::lock_guard<std::mutex> hold(cache.lock);
  if (!cache.version.empty()) return cache.version;
  cache.version = kDefaultVersion;
  std::string record;
  const bool found =
      path.empty()
          ? platform::LoadEmbeddedResource(platform::kVersionResourceType,
                                           platform::kVersionResourceId, &record)
          : platform::LoadResourceFromFile(nbase::Utf16ToUtf8(path), platform::kVersionResourceType,
                                           platform::kVersionResourceId, &record);
  if (found) {
    std::u16string version = ParseVersionRecord(record);
    if (!version.empty()) cache.version = version;
  }
  return cache.version;
}

std::string FormatGuidText(const uint8_t (&bytes)[16]) {
  uint32_t data1;
  uint16_t data2, data3;
  std::memcpy(&data1, bytes, sizeof(data1));
  std::memcpy(&data2, bytes + 4, sizeof(data2));
  std::memcpy(&data3, bytes + 6, sizeof(data3));
  char text[128] = {0};
  std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(data1), static_cast<unsigned>(data2),
                static_cast<unsigned>(data3), bytes[8], bytes[9], bytes[10], bytes[11], bytes[12],
                bytes[13], bytes[14], bytes[15]);
  return text;
}

std::u16string NewMachineIdentifier(std::string* guid_text) {
  uint8_t bytes[16];
  std::u16string text;
  std::string narrow;
  if (platform::NewRandomGuid(bytes)) {
    narrow = FormatGuidText(bytes);
    text = nbase::Utf8ToUtf16(narrow);
  }
  if (text.empty()) {
    narrow = nbase::GetTimeMsText();
    text = nbase::Utf8ToUtf16(narrow);
  }
  if (guid_text) *guid_text = narrow;
  return Md5Hex(text);
}

namespace {

// The cached identifier; a new one is made when nothing is cached or stored,
// and then `*made` is set.
std::u16string MachineId(bool* made) {
  IdentityCache& cache = Cache();
  std::lock_guard<std::mutex> hold(cache.lock);
  *made = false;
  if (!cache.machine_id.empty()) return cache.machine_id;
  std::u16string stored = platform::ReadRegString(platform::kAppInfoKey, platform::kUniqueIdValue);
  if (!stored.empty()) {
    cache.machine_id = stored;
    return cache.machine_id;
  }
  cache.machine_id = NewMachineIdentifier();
  *made = true;
  return cache.machine_id;
}

void WriteMachineId(const std::u16string& id) {
  platform::WriteRegString(platform::kAppInfoKey, platform::kUniqueIdValue, id);
}

}  // namespace

std::u16string GetMachineId() {
  bool made = false;
  const std::u16string id = MachineId(&made);
  if (made) WriteMachineId(id);
  return id;
}

std::u16string GetMachineIdWrittenOn(nbase::ThreadId writer) {
  bool made = false;
  const std::u16string id = MachineId(&made);
  if (made && !nbase::ThreadRegistry::PostTask(writer, [id] { WriteMachineId(id); })) {
    WriteMachineId(id);
  }
  return id;
}

std::u16string Md5Hex(std::u16string text) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  const std::string utf8 = nbase::Utf16ToUtf8(text);
  uint8_t digest[platform::kMd5DigestBytes];
  platform::Md5Digest(std::string_view(utf8.data(), strnlen(utf8.data(), utf8.size())), digest);
  std::u16string hex;
  hex.reserve(2 * platform::kMd5DigestBytes);
  for (uint8_t byte : digest) {
    hex += static_cast<char16_t>(kHexDigits[byte >> 4]);
    hex += static_cast<char16_t>(kHexDigits[byte & 0xF]);
  }
  return hex;
}

void ResetIdentityCachesForTesting() {
  IdentityCache& cache = Cache();
  std::lock_guard<std::mutex> hold(cache.lock);
  cache.version.clear();
  cache.machine_id.clear();
}

}  // namespace report
