#include <windows.h>
#include <objbase.h>

#include <cstring>

#include "platform/random_guid.h"

namespace platform {

static_assert(sizeof(GUID) == 16, "a GUID is 16 bytes");

bool NewRandomGuid(uint8_t (&bytes)[16]) {
  GUID guid = {};
  if (FAILED(CoCreateGuid(&guid))) return false;
  std::memcpy(bytes, &guid, sizeof(bytes));
  return true;
}

}  // namespace platform
