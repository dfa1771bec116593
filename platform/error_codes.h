// Result codes of the platform services. Every service returns a 32-bit code,
// 0 for success; the values follow the Windows codes that the layers above
// were designed around, so that their logic compares against the same numbers.
#pragma once

#include <cstdint>

namespace platform {

inline constexpr int32_t kErrorSuccess = 0;
inline constexpr int32_t kErrorFileNotFound = 2;   // key, value, file or resource is absent
inline constexpr int32_t kErrorAccessDenied = 5;   // write to a read-only store
inline constexpr int32_t kErrorInvalidHandle = 6;  // operation on a closed key
inline constexpr int32_t kErrorInvalidData = 13;   // stored data is damaged
inline constexpr int32_t kErrorInvalidParameter = 87;
inline constexpr int32_t kErrorAlreadyExists = 183;  // named mutex held by another process
inline constexpr int32_t kErrorMoreData = 234;       // caller's byte budget too small
inline constexpr int32_t kErrorNoMoreItems = 259;    // enumeration index past the end
inline constexpr int32_t kErrorIoFailure = 1117;     // the system refused a read or write
inline constexpr int32_t kErrorTimeout = 1460;       // a lock was not had within its bound

}  // namespace platform
