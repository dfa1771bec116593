// A new random GUID from the system: CoCreateGuid on Windows; on Linux 16
// bytes of the kernel's random source shaped as a version-4 GUID (the kind
// CoCreateGuid makes). The bytes are the GUID struct's memory: a 32-bit
// field, two 16-bit fields in the machine's byte order, then eight bytes.
#pragma once

#include <cstdint>

namespace platform {

// False when the system's source fails.
bool NewRandomGuid(uint8_t (&bytes)[16]);

}  // namespace platform
