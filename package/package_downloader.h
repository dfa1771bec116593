// The download of the full installation package: up to six attempts that
// alternate between the site's package address and the fixed CDN address,
// each into a fresh file and each checked with CheckPackageFile. Runs on the
// misc worker thread and blocks it for the whole download; reports
// "DownloadTimeCost" at the end. The window posts the outcome back to its
// own thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/url_download.h"

namespace package {

inline constexpr int kDownloadAttempts = 6;
// The package's path on the CDN; the fixed address is plain HTTP on the CDN
// host with this path.
inline constexpr char16_t kCdnPackagePath[] = u"/dudidiruvovo/ZorvZuvAdorizodeZadaz.exe";
inline constexpr char16_t kDownloadFailurePrefix[] = u"Download Faild :";
// Whatever a server sends, the package file never grows past this ceiling,
// and never takes its disk below this much free space (room the system and
// the installed product still need).
inline constexpr uint64_t kMaxPackageBytes = uint64_t{2} << 30;
inline constexpr uint64_t kDiskReserveBytes = uint64_t{128} << 20;

struct DownloadOutcome {
  int32_t result = 1;             // 0 success, 1 failure.
  int32_t download_hr = 0;        // Code of the last transfer.
  std::u16string download_error;  // Diagnostic of the last failed attempt; empty on success.
  int32_t retry_time = 0;         // Failed attempts before the success; 6 when all failed.
  int64_t file_size = -1;         // Size of the package file after the last attempt, -1 if absent.
  int64_t cost_seconds = 0;
};

class PackageDownloader {
 public:
  // `transfer` carries the time-outs and an abort flag; its progress
  // receiver is replaced by RecordDownloadProgress.
  PackageDownloader(std::u16string package_url, std::u16string installer_file,
                    platform::DownloadOptions transfer = platform::DownloadOptions());

  // The download with its retries and its report. Worker thread. Each
  // attempt is bounded by the ceiling and by the folder's free space as it
  // is when the attempt starts; without a package path every attempt fails
  // with platform::kDownloadNoFolder and nothing is sent.
  DownloadOutcome DownloadPackage();

  // The address of attempt `attempt` (0-based): package_url for even
  // attempts, the CDN address for odd ones.
  std::u16string AddressForAttempt(int attempt) const;

  // What the package file may take of a disk with `free_bytes` available:
  // all of it above kDiskReserveBytes, nothing when there is no more.
  static uint64_t DiskBudget(uint64_t free_bytes);

  // "http://" + CDN host + kCdnPackagePath.
  static std::u16string CdnPackageUrl();

  // "URLDownloadToFile hr = %08x size %d windows pop time = %d".
  static std::u16string FormatDownloadError(int32_t download_hr, int64_t file_size,
                                            int32_t window_requests);

  // kDownloadFailurePrefix + the diagnostic.
  static std::u16string FailureText(const std::u16string& download_error);

 private:
  // One transfer into the package file, bounded as DownloadPackage says;
  // the service's window requests are added to `*window_requests`.
  int32_t RunAttempt(int attempt, int32_t* window_requests);

  std::u16string package_url_;
  std::u16string cdn_url_;
  std::u16string installer_file_;
  platform::DownloadOptions transfer_;
};

// The size of the file at `path`, -1 when there is none.
int64_t PackageFileSize(const std::u16string& path);

}  // namespace package
