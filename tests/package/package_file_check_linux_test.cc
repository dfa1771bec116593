// A named pipe in the package's place is no package, and the check must not
// wait for a writer that never comes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "base/utf.h"
#include "package/package_file_check.h"
#include "tests/platform/test_support.h"

namespace package {
namespace {

TEST(CheckPackageFileLinuxTest, AFifoIsNoPackageAndDoesNotBlock) {
  varnik_test::ScopedTempDir dir;
  const std::string fifo = dir.path() + "/fifo.exe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(CheckPackageFile(nbase::Utf8ToUtf16(fifo)));
}

}  // namespace
}  // namespace package
