// A download folder on a file system too small for the package: the transfer
// must end with a write error (or, for the package download, stop at the
// disk's reserve), the half-written file must go, and the space must come
// back. Each case runs in a forked child with its own mount
// namespace, so the small tmpfs vanishes with the child; the package server
// keeps running in this process.
#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "base/utf.h"
#include "package/package_downloader.h"
#include "platform/url_download.h"
#include "tests/package/package_test_env.h"
#include "tests/platform/test_support.h"

namespace package {
namespace {

using packagetest::Server;
using testsupport::EndpointPlan;

constexpr unsigned long kSmallKib = 2048;  // Far below the 10 MiB package.

class FullDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    packagetest::ResetWorld();
    folder_ = dir_.path() + "/small";
    file_ = folder_ + "/DudIdiruvovoInstaller.exe";
  }

  // Runs `body` in a child with a kSmallKib tmpfs at folder_. The child
  // returns "<body result> <entries left in the folder> <free KiB>".
  // Empty output means the machine cannot mount (the test skips).
  std::string InSmallFolder(const std::function<std::string()>& body,
                            unsigned long kib = kSmallKib) {
    auto result = varnik_test::RunInChild(
        [&]() -> std::string {
          if (!varnik_test::EnterPrivateMountNamespace()) _exit(varnik_test::kChildCannotRun);
          if (!varnik_test::MountTmpfs(folder_, kib)) _exit(varnik_test::kChildCannotRun);
          std::string outcome = body();
          size_t entries = 0;
          for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_)) {
            ++entries;
          }
          struct statvfs info;
          unsigned long long free_kib = 0;
          if (statvfs(folder_.c_str(), &info) == 0) {
            free_kib = static_cast<unsigned long long>(info.f_bavail) * info.f_frsize / 1024;
          }
          return outcome + " " + std::to_string(entries) + " " + std::to_string(free_kib);
        },
        90);
    if (result.exit_code == varnik_test::kChildCannotRun) return std::string();
    EXPECT_EQ(result.exit_code, 0) << "signal " << result.signal;
    return result.output;
  }

  static platform::DownloadOptions Quick() {
    platform::DownloadOptions options;
    options.connect_timeout_seconds = 5;
    options.low_speed_seconds = 2;
    return options;
  }

  varnik_test::ScopedTempDir dir_;
  std::string folder_;
  std::string file_;
};

TEST_F(FullDiskTest, TransferIntoAFullFolderIsAWriteErrorAndLeavesNothing) {
  const std::u16string url =
      nbase::Utf8ToUtf16("http://" + Server().host_port() + testsupport::PackageServer::kCdnPath);
  const std::string output = InSmallFolder([&] {
    const int32_t code = platform::DownloadUrlToFile(url, nbase::Utf8ToUtf16(file_), Quick());
    return std::to_string(code) + " " +
           std::to_string(platform::DownloadErrorText(code).empty() ? 0 : 1);
  });
  if (output.empty()) GTEST_SKIP() << "no mount namespaces here";
  int32_t code = 0;
  int has_text = 0;
  size_t entries = 99;
  unsigned long long free_kib = 0;
  ASSERT_EQ(sscanf(output.c_str(), "%d %d %zu %llu", &code, &has_text, &entries, &free_kib), 4)
      << output;
  EXPECT_EQ(code, platform::kDownloadWriteError);
  EXPECT_EQ(has_text, 1) << "the failure has a text for the user";
  EXPECT_EQ(entries, 0u) << "the partial package is removed";
  EXPECT_GE(free_kib, kSmallKib - 64) << "the space it took is given back";
}

TEST_F(FullDiskTest, EveryAttemptFailsTheSameWayAndTheDownloadEndsBounded) {
  const std::u16string site =
      nbase::Utf8ToUtf16("http://" + Server().host_port() +
                         "/caller?c=site&a=downloadPackage&coopcom=zorv&channel=test");
  const std::string output = InSmallFolder([&] {
    PackageDownloader downloader(site, nbase::Utf8ToUtf16(file_), Quick());
    const DownloadOutcome outcome = downloader.DownloadPackage();
    return std::to_string(outcome.result) + " " + std::to_string(outcome.retry_time) + " " +
           std::to_string(outcome.download_hr) + " " + std::to_string(outcome.file_size);
  });
  if (output.empty()) GTEST_SKIP() << "no mount namespaces here";
  int result = 0, retry_time = 0;
  int32_t download_hr = 0;
  long long file_size = 0;
  size_t entries = 99;
  unsigned long long free_kib = 0;
  ASSERT_EQ(sscanf(output.c_str(), "%d %d %d %lld %zu %llu", &result, &retry_time, &download_hr,
                   &file_size, &entries, &free_kib),
            6)
      << output;
  EXPECT_EQ(result, 1);
  EXPECT_EQ(retry_time, 6);
  // The folder has less free space than the reserve: no attempt may take any of it.
  EXPECT_EQ(download_hr, platform::kDownloadDiskFull);
  EXPECT_EQ(file_size, -1) << "no package file is left to run";
  EXPECT_EQ(entries, 0u);
  EXPECT_GE(free_kib, kSmallKib - 64);
  // Six real transfers reached the server, alternating its two addresses.
  EXPECT_EQ(Server().site_requests(), 3);
  EXPECT_EQ(Server().cdn_requests(), 3);
}

// A server whose answer never ends, on a disk with room for the package and
// the reserve: each attempt stops where the reserve begins, says why, and
// gives its space back before the next one starts.
TEST_F(FullDiskTest, EndlessAnswerStopsAtTheReserveSixTimes) {
  constexpr unsigned long kReserveKib = kDiskReserveBytes / 1024;
  constexpr unsigned long kRoomKib = 4 * 1024;
  EndpointPlan endless;
  endless.fault = testsupport::PackageFault::kEndless;
  Server().SetSitePlan(endless);
  Server().SetCdnPlan(endless);
  const std::string output = InSmallFolder(
      [&] {
        PackageDownloader downloader(
            nbase::Utf8ToUtf16("http://" + Server().host_port() +
                               testsupport::PackageServer::kSitePath + "?c=site&a=downloadPackage"),
            nbase::Utf8ToUtf16(file_), Quick());
        const DownloadOutcome outcome = downloader.DownloadPackage();
        return std::to_string(outcome.download_hr) + " " + std::to_string(outcome.retry_time) +
               " " + std::to_string(outcome.file_size);
      },
      kReserveKib + kRoomKib);
  if (output.empty()) GTEST_SKIP() << "no mount namespaces here";
  int32_t download_hr = 0;
  int retry_time = 0;
  long long file_size = 0;
  size_t entries = 99;
  unsigned long long free_kib = 0;
  ASSERT_EQ(sscanf(output.c_str(), "%d %d %lld %zu %llu", &download_hr, &retry_time, &file_size,
                   &entries, &free_kib),
            5)
      << output;
  EXPECT_EQ(download_hr, platform::kDownloadDiskFull);
  EXPECT_FALSE(platform::DownloadErrorText(download_hr).empty());
  EXPECT_EQ(retry_time, 6);
  EXPECT_EQ(file_size, -1) << "the partial file is deleted";
  EXPECT_EQ(entries, 0u);
  EXPECT_GE(free_kib, kReserveKib + kRoomKib - 64);
  EXPECT_EQ(Server().site_requests() + Server().cdn_requests(), 6);
}

// Without any download folder (every candidate refused) the package path is
// empty: nothing is sent, nothing lands in the root folder, and each attempt
// fails with its own code.
TEST_F(FullDiskTest, NoDownloadFolderFailsEveryAttemptWithoutATransfer) {
  PackageDownloader downloader(
      nbase::Utf8ToUtf16("http://" + Server().host_port() + testsupport::PackageServer::kCdnPath),
      u"", Quick());
  const DownloadOutcome outcome = downloader.DownloadPackage();
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(outcome.retry_time, 6);
  EXPECT_EQ(outcome.download_hr, platform::kDownloadNoFolder);
  EXPECT_FALSE(platform::DownloadErrorText(outcome.download_hr).empty());
  EXPECT_EQ(Server().site_requests() + Server().cdn_requests(), 0);
}

}  // namespace
}  // namespace package
