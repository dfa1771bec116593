#include "platform/registry.h"

#include "platform/error_codes.h"
#include "platform/reg_key.h"

namespace platform {

std::string EncodeRegSz(std::u16string_view text) {
  std::string bytes;
  bytes.reserve((text.size() + 1) * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xff));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  bytes.append(2, '\0');
  return bytes;
}

int32_t WriteRegString(std::u16string_view key, std::u16string_view name,
                       std::u16string_view value) {
  RegKey reg_key;
  if (reg_key.Open(RegRoot::kCurrentUser, key, kKeyRead | kKeyWrite) != kErrorSuccess &&
      reg_key.Create(RegRoot::kCurrentUser, key, kKeyRead | kKeyWrite) != kErrorSuccess) {
    return 1;
  }
  const std::string bytes = EncodeRegSz(value);
  int32_t rc = reg_key.SetValue(name, kRegSz, bytes.data(), static_cast<uint32_t>(bytes.size()));
  return rc == kErrorSuccess ? 0 : 1;
}

std::u16string ReadRegString(std::u16string_view key, std::u16string_view name) {
  RegKey reg_key;
  if (reg_key.Open(RegRoot::kCurrentUser, key, kKeyRead) != kErrorSuccess) return u"";
  unsigned char buffer[kRegStringBudgetBytes] = {};
  uint32_t byte_count = sizeof(buffer);
  if (reg_key.QueryValue(name, nullptr, buffer, &byte_count) != kErrorSuccess) return u"";
  std::u16string text;
  for (size_t i = 0; i + 1 < sizeof(buffer); i += 2) {
    char16_t c = static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

}  // namespace platform
