#include "package/package_file_check.h"

#include <gtest/gtest.h>

#include <string>

#include "base/utf.h"
#include "tests/platform/test_support.h"

namespace package {
namespace {

// `size` bytes that start with "MZ" (or "ZM" when `mz` is false).
std::string PackageBytes(size_t size, bool mz = true) {
  std::string bytes(size, 'x');
  if (size >= 2) {
    bytes[0] = mz ? 'M' : 'Z';
    bytes[1] = mz ? 'Z' : 'M';
  }
  return bytes;
}

TEST(CheckPackageFileTest, SizeAndSignature) {
  varnik_test::ScopedTempDir dir;
  struct Case {
    size_t size;
    bool mz;
    bool plausible;
  };
  const Case cases[] = {
      {10485760, true, true},                             // Exactly the least size.
      {10485761, true, true},   {10485759, true, false},  // One byte short.
      {10485760, false, false},                           // No signature.
      {0, true, false},         {2047, true, false},
  };
  const std::string path = dir.path() + "/package.exe";
  for (const auto& c : cases) {
    varnik_test::WriteFile(path, PackageBytes(c.size, c.mz));
    EXPECT_EQ(CheckPackageFile(nbase::Utf8ToUtf16(path)), c.plausible) << c.size << " " << c.mz;
  }
}

TEST(CheckPackageFileTest, OnlyTheFirstTwoBytesMatter) {
  varnik_test::ScopedTempDir dir;
  const std::string path = dir.path() + "/package.exe";
  std::string bytes(10485760, 'x');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  varnik_test::WriteFile(path, bytes);
  EXPECT_TRUE(CheckPackageFile(nbase::Utf8ToUtf16(path)));
  bytes[1] = 'z';  // Case matters.
  varnik_test::WriteFile(path, bytes);
  EXPECT_FALSE(CheckPackageFile(nbase::Utf8ToUtf16(path)));
}

TEST(CheckPackageFileTest, MissingFilesFoldersAndOddNames) {
  varnik_test::ScopedTempDir dir;
  EXPECT_FALSE(CheckPackageFile(nbase::Utf8ToUtf16(dir.path() + "/missing.exe")));
  EXPECT_FALSE(CheckPackageFile(nbase::Utf8ToUtf16(dir.path())));
  EXPECT_FALSE(CheckPackageFile(u""));
  // A lone surrogate cannot name a file.
  EXPECT_FALSE(CheckPackageFile(nbase::Utf8ToUtf16(dir.path()) + u"/\xD800.exe"));
  const std::string odd = dir.path() + "/中文 $(x) `y`.exe";
  varnik_test::WriteFile(odd, PackageBytes(10485760));
  EXPECT_TRUE(CheckPackageFile(nbase::Utf8ToUtf16(odd)));
}

}  // namespace
}  // namespace package
