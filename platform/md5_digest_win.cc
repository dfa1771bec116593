#include <windows.h>
#include <bcrypt.h>

#include <cstring>

#include "platform/md5_digest.h"

namespace platform {

bool Md5Digest(std::string_view bytes, uint8_t (&digest)[kMd5DigestBytes]) {
  std::memset(digest, 0, sizeof(digest));
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0) != 0) return false;
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool done = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
  // BCrypt takes the length as a 32-bit count; feed large inputs in pieces.
  while (done && !bytes.empty()) {
    const ULONG piece = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<ULONG>(bytes.size());
    done = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())), piece,
                          0) == 0;
    bytes.remove_prefix(piece);
  }
  done = done && BCryptFinishHash(hash, digest, kMd5DigestBytes, 0) == 0;
  if (hash) BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!done) std::memset(digest, 0, sizeof(digest));
  return done;
}

}  // namespace platform
