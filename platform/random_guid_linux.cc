#include <sys/random.h>

#include <cerrno>
#include <cstring>

#include "platform/random_guid.h"

namespace platform {

bool NewRandomGuid(uint8_t (&bytes)[16]) {
  size_t filled = 0;
  while (filled < sizeof(bytes)) {
    ssize_t n = getrandom(bytes + filled, sizeof(bytes) - filled, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    filled += static_cast<size_t>(n);
  }
  // Data3's high nibble is the version; Data4[0]'s top bits the variant.
  uint16_t data3;
  std::memcpy(&data3, bytes + 6, sizeof(data3));
  data3 = static_cast<uint16_t>((data3 & 0x0FFF) | 0x4000);
  std::memcpy(bytes + 6, &data3, sizeof(data3));
  bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
  return true;
}

}  // namespace platform
