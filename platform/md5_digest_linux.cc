#include <md5.h>

#include <cstring>

#include "platform/md5_digest.h"

namespace platform {

static_assert(MD5_DIGEST_LENGTH == kMd5DigestBytes, "MD5 digests are 16 bytes");

bool Md5Digest(std::string_view bytes, uint8_t (&digest)[kMd5DigestBytes]) {
  MD5_CTX context;
  MD5Init(&context);
  MD5Update(&context, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  MD5Final(digest, &context);
  return true;
}

}  // namespace platform
