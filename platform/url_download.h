// The blocking transfer of a web address into a file: on Windows the
// system's URL download service (URLDownloadToFileW), on Linux libcurl.
//
// It promises, on both:
// - plain and secure HTTP only; redirects are followed within those two
//   schemes (on Linux at most DownloadOptions::max_redirects of them; on
//   Windows the service keeps its own limit), and only to loopback
//   addresses when DownloadOptions::loopback_only is set;
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
// - an answer larger than DownloadOptions::max_bytes (a ceiling for what
//   the file may be) fails with kDownloadTooLarge, and one larger than
//   DownloadOptions::disk_budget_bytes (what the disk can spare) with
//   kDownloadDiskFull, in both cases as soon as the server announces such a
//   length or delivers one byte too many;
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
// The system's own codes for "path not found" and "disk full": no download
// folder was given, or the file would leave too little space on its disk.
inline constexpr int32_t kDownloadNoFolder = static_cast<int32_t>(0x80070003u);
inline constexpr int32_t kDownloadDiskFull = static_cast<int32_t>(0x80070070u);

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
  // Only loopback addresses may be connected to (the first address and every
  // redirect): a transfer aimed at a test server never leaves the machine. A
  // redirect elsewhere fails with kDownloadRedirectFailed before connecting.
  bool loopback_only = false;
  // A transfer that announces or delivers more than this fails with
  // kDownloadTooLarge: no answer is taken for more than the file can be.
  uint64_t max_bytes = uint64_t{4} << 30;
  // The most the file may take of its disk; more fails with
  // kDownloadDiskFull, so an endless answer cannot fill the disk. The caller
  // works it out from the folder's free space.
  uint64_t disk_budget_bytes = UINT64_MAX;
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

// The tighter of the two size bounds of `options` (max_bytes,
// disk_budget_bytes); `*code` is what a transfer past it ends with
// (kDownloadTooLarge or kDownloadDiskFull).
uint64_t DownloadSizeLimit(const DownloadOptions& options, int32_t* code);

// The code of a transfer whose server answered with the HTTP error `status`
// (400 or above).
int32_t DownloadCodeForHttpStatus(long status);

// The text for one of the codes above, empty for any other code.
std::u16string DownloadErrorText(int32_t code);

}  // namespace platform
