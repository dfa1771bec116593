#include "package/package_downloader.h"

#include <algorithm>
#include <cstdio>

#include "base/system_time.h"
#include "base/utf.h"
#include "package/download_progress.h"
#include "package/package_file_check.h"
#include "platform/file_system.h"
#include "platform/path_util.h"
#include "platform/product_hosts.h"
#include "report/event_reporter.h"

namespace package {
int64_t PackageFileSize(const std::u16string& path) { return platform::GetFileSize(path); }

PackageDownloader::PackageDownloader(std::u16string package_url, std::u16string installer_file,
                                     platform::DownloadOptions transfer)
    : package_url_(std::move(package_url)),
      cdn_url_(CdnPackageUrl()),
      installer_file_(std::move(installer_file)),
      transfer_(std::move(transfer)) {
  transfer_.progress = [](uint64_t done, uint64_t total) { RecordDownloadProgress(done, total); };
  // Pointed at a test server, the package never comes from anywhere else.
  if (platform::IsServerHostPinned()) transfer_.loopback_only = true;
}

std::u16string PackageDownloader::CdnPackageUrl() {
  return u"http://" + platform::GetCdnHost() + kCdnPackagePath;
}

std::u16string PackageDownloader::AddressForAttempt(int attempt) const {
  return attempt % 2 == 0 ? package_url_ : cdn_url_;
}

std::u16string PackageDownloader::FormatDownloadError(int32_t download_hr, int64_t file_size,
                                                      int32_t window_requests) {
  char text[128];
  std::snprintf(text, sizeof(text), "URLDownloadToFile hr = %08x size %d windows pop time = %d",
                static_cast<uint32_t>(download_hr), static_cast<int32_t>(file_size),
                window_requests);
  return nbase::Utf8ToUtf16(text);
}

uint64_t PackageDownloader::DiskBudget(uint64_t free_bytes) {
  return free_bytes > kDiskReserveBytes ? free_bytes - kDiskReserveBytes : 0;
}

int32_t PackageDownloader::RunAttempt(int attempt, int32_t* window_requests) {
  if (installer_file_.empty()) return platform::kDownloadNoFolder;
  platform::RemoveFile(installer_file_);  // A failure is ignored.
  platform::DownloadOptions options = transfer_;
  options.window_requests = window_requests;
  options.max_bytes = std::min(options.max_bytes, kMaxPackageBytes);
  // Measured after the last attempt's file is gone, so its space counts.
  uint64_t free_bytes = 0;
  if (platform::GetFreeDiskBytes(platform::FolderOfPath(installer_file_), &free_bytes)) {
    options.disk_budget_bytes = std::min(options.disk_budget_bytes, DiskBudget(free_bytes));
  }
  return platform::DownloadUrlToFile(AddressForAttempt(attempt), installer_file_, options);
}

std::u16string PackageDownloader::FailureText(const std::u16string& download_error) {
  return kDownloadFailurePrefix + download_error;
}

DownloadOutcome PackageDownloader::DownloadPackage() {
  DownloadOutcome outcome;
  const uint64_t start = nbase::GetTimeMs();
  // The times the system's download service asked for a window to show a
  // question on, over all attempts (the Linux download never asks).
  int32_t window_requests = 0;
  int attempt = 0;
  for (; attempt < kDownloadAttempts; ++attempt) {
    outcome.download_error.clear();
    outcome.download_hr = RunAttempt(attempt, &window_requests);
    outcome.file_size = PackageFileSize(installer_file_);
    if (outcome.download_hr == 0 && CheckPackageFile(installer_file_)) {
      outcome.result = 0;
      break;
    }
    outcome.result = 1;
    outcome.download_error =
        FormatDownloadError(outcome.download_hr, outcome.file_size, window_requests);
  }
  outcome.retry_time = attempt;
  outcome.cost_seconds = nbase::SecondsSinceTimeMs(start);

  report::EventData data;
  data.SetNumber(u"cost", outcome.cost_seconds);
  data.SetNumber(u"ret", outcome.result);
  data.SetNumber(u"retryTime", outcome.retry_time);
  if (outcome.result == 0) data.SetNumber(u"fileSize", outcome.file_size);
  report::ReportEvent(u"DownloadTimeCost", std::move(data));
  return outcome;
}

}  // namespace package
