// The blocking transfer of a web address into a file: on Windows the
// system's URL download service (URLDownloadToFileW), on Linux libcurl.
//
// It promises, on both:
// - plain and secure HTTP only; redirects are followed within those two
//   schemes (on Linux at most DownloadOptions::max_redirects of them; on
//   Windows the service keeps its own limit);
// - the newest version always: no cache is used, and proxies are asked not
//   to answer from theirs;
// - an HTTP error status (4xx, 5xx) is a failure, and its page is never kept;
// - certificates of secure addresses are verified (name, date and chain);
// - a server that accepts the connection and then sends nothing, or only a
//   trickle, cannot hold the caller for ever: the connection has a time-out
//   and the transfer fails when it stays below a low speed for a while;
// - the file is created afresh: whatever was at its path (a file, a planted
//   symbolic link) is removed first and never followed or written through;
//   a failed transfer leaves no file behind;
// - an answer larger than DownloadOptions::max_bytes fails instead of
//   filling the disk;
// - progress reaches the caller as (bytes done, bytes total), total 0 while
//   the server has not sent a length;
// - the result is 0 for success, else one of the codes below (or the
//   system's error code when the file cannot be created, or, on Windows, the
//   service's own code for a failure none of ours names), never an
//   exception.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// Result codes of the download service, in the style of the original
// service's codes. DownloadErrorText explains each of them.
inline constexpr int32_t kDownloadInvalidAddress = static_cast<int32_t>(0x800C0002u);
inline constexpr int32_t kDownloadCannotConnect = static_cast<int32_t>(0x800C0004u);
inline constexpr int32_t kDownloadNotFound = static_cast<int32_t>(0x800C0005u);
inline constexpr int32_t kDownloadDataNotAvailable = static_cast<int32_t>(0x800C0007u);
inline constexpr int32_t kDownloadFailure = static_cast<int32_t>(0x800C0008u);
inline constexpr int32_t kDownloadTimeout = static_cast<int32_t>(0x800C000Bu);
inline constexpr int32_t kDownloadUnknownProtocol = static_cast<int32_t>(0x800C000Du);
inline constexpr int32_t kDownloadSecurityProblem = static_cast<int32_t>(0x800C000Eu);
inline constexpr int32_t kDownloadRedirectFailed = static_cast<int32_t>(0x800C0014u);
inline constexpr int32_t kDownloadAccessDenied = static_cast<int32_t>(0x800C0015u);
inline constexpr int32_t kDownloadServerError = static_cast<int32_t>(0x800C0016u);
inline constexpr int32_t kDownloadWriteError = static_cast<int32_t>(0x800C0017u);
inline constexpr int32_t kDownloadTooLarge = static_cast<int32_t>(0x800C0018u);
inline constexpr int32_t kDownloadAborted = static_cast<int32_t>(0x80004004u);

// Receives (bytes done, bytes total); total is 0 while unknown.
using DownloadProgressFn = std::function<void(uint64_t done, uint64_t total)>;

struct DownloadOptions {
  // Time allowed to set up the connection (name lookup and TCP/TLS).
  long connect_timeout_seconds = 30;
  // The transfer fails when it stays below `low_speed_bytes_per_second`
  // for `low_speed_seconds` in a row. A stalled or trickling server thus
  // ends the attempt after about a minute.
  long low_speed_seconds = 60;
  long low_speed_bytes_per_second = 1024;
  long max_redirects = 10;
  // A transfer that announces or delivers more than this fails with
  // kDownloadTooLarge, so an endless answer cannot fill the disk.
  uint64_t max_bytes = uint64_t{4} << 30;
  DownloadProgressFn progress;
  // When set and true, the transfer stops with kDownloadAborted.
  const std::atomic<bool>* abort = nullptr;
  // When set, receives (added to its value) how many times the system's
  // download service asked for a window to show a question on; a service
  // that never asks adds nothing.
  int32_t* window_requests = nullptr;
};

// Downloads `url` (UTF-16, http:// or https://) into the file at `path`.
// Blocks until the transfer ends. 0 on success.
int32_t DownloadUrlToFile(const std::u16string& url, const std::u16string& path,
                          const DownloadOptions& options = DownloadOptions());

// The code of a transfer whose server answered with the HTTP error `status`
// (400 or above).
int32_t DownloadCodeForHttpStatus(long status);

// The text for one of the codes above, empty for any other code.
std::u16string DownloadErrorText(int32_t code);

}  // namespace platform
