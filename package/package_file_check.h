// The plausibility test of a downloaded package file: long enough to be the
// full package and starting with the executable signature. An error page,
// a truncated transfer or an unrelated file fails it.
#pragma once

#include <cstdint>
#include <string>

namespace package {

// The least size of a package: 10 MiB.
inline constexpr int64_t kMinPackageBytes = 10485760;
// How many bytes of the head are read; fewer than this fails the test.
inline constexpr size_t kPackageHeadBytes = 2048;

// True when the file at `path` is at least kMinPackageBytes long, its first
// kPackageHeadBytes can be read, and it starts with the letters M and Z.
// A path that is not a regular file (a folder, a device) is not a package.
bool CheckPackageFile(const std::u16string& path);

}  // namespace package
