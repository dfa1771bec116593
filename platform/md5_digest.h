// The MD5 digest (RFC 1321) of a byte string, from the system's own
// implementation: libmd on Linux, the Windows cryptography API (BCrypt) on
// Windows. Both give the standard digest.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

inline constexpr size_t kMd5DigestBytes = 16;

// False only when the system's implementation cannot be had (the digest is
// then all zero).
bool Md5Digest(std::string_view bytes, uint8_t (&digest)[kMd5DigestBytes]);

}  // namespace platform
