#include <windows.h>
// windows.h first: the headers below build on its types.
#include <urlmon.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/cbs_callback_impl_win.h"
#include "platform/url_download.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// The service reports byte counts as 32-bit numbers; a count that falls by
// more than half the range has wrapped past 4 GiB.
class ByteCount {
 public:
  uint64_t Update(ULONG reported) {
    if (reported < last_ && last_ - reported > 0x80000000u) high_ += uint64_t{1} << 32;
    last_ = reported;
    return high_ + reported;
  }

 private:
  ULONG last_ = 0;
  uint64_t high_ = 0;
};

// Decides when a running transfer must end before the service ends it: the
// caller's abort flag, a connection that is not set up in time, a transfer
// that stays below the low speed, an answer larger than allowed. Fed by the
// progress calls on the download thread and asked by the watchdog thread.
class TransferMonitor {
 public:
  explicit TransferMonitor(const DownloadOptions& options)
      : options_(options), started_(Clock::now()) {
    // The monitor is made on the thread that runs the download.
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(),
                         &download_thread_, THREAD_QUERY_LIMITED_INFORMATION, FALSE, 0)) {
      download_thread_ = nullptr;
    }
  }
  ~TransferMonitor() {
    if (download_thread_ != nullptr) CloseHandle(download_thread_);
  }
  TransferMonitor(const TransferMonitor&) = delete;
  TransferMonitor& operator=(const TransferMonitor&) = delete;

  void OnProgress(ULONG done, ULONG total, ULONG status, LPCWSTR text) {
    std::lock_guard<std::mutex> hold(lock_);
    if (status == BINDSTATUS_SENDINGREQUEST || status == BINDSTATUS_BEGINDOWNLOADDATA) {
      connected_ = true;
    }
    if (status == BINDSTATUS_CACHEFILENAMEAVAILABLE && text != nullptr) cache_file_ = text;
    // Only the body's own statuses count bytes; a new body (after a
    // redirect) starts from zero.
    if (status == BINDSTATUS_BEGINDOWNLOADDATA) {
      done_count_ = ByteCount();
      done_ = 0;
      window_bytes_ = 0;
    }
    if (status == BINDSTATUS_BEGINDOWNLOADDATA || status == BINDSTATUS_DOWNLOADINGDATA ||
        status == BINDSTATUS_ENDDOWNLOADDATA) {
      done_ = std::max(done_, done_count_.Update(done));
      total_ = total;
    }
  }

  // 0 while the transfer may go on, else the code it ends with.
  int32_t Check() {
    if (options_.abort != nullptr && options_.abort->load()) return kDownloadAborted;
    std::lock_guard<std::mutex> hold(lock_);
    // The service writes into its cache file first and may report progress
    // only at the end: the file's growth counts as progress too.
    done_ = std::max(done_, CacheFileSize());
    int32_t limit_code = 0;
    const uint64_t limit = DownloadSizeLimit(options_, &limit_code);
    if (done_ > limit || total_ > limit) return limit_code;
    const Clock::time_point now = Clock::now();
    if (!connected_) {
      return now - started_ > std::chrono::seconds(options_.connect_timeout_seconds)
                 ? kDownloadTimeout
                 : 0;
    }
    if (window_start_ == Clock::time_point()) StartWindow(now);
    const std::chrono::milliseconds window = std::chrono::seconds(options_.low_speed_seconds);
    if (now - window_start_ >= window) {
      const uint64_t wanted = static_cast<uint64_t>(options_.low_speed_bytes_per_second) *
                              static_cast<uint64_t>(options_.low_speed_seconds);
      // The service may read for a long while before it reports anything
      // (Wine's reads all that is at hand first): a download thread that
      // kept working for a tenth of the window is not stalled.
      const bool reading = DownloadThreadTime() - window_thread_time_ >= window / 10;
      if (done_ - window_bytes_ < wanted && !reading) return kDownloadTimeout;
      StartWindow(now);
    }
    return 0;
  }

  uint64_t done() {
    std::lock_guard<std::mutex> hold(lock_);
    return done_;
  }
  uint64_t total() {
    std::lock_guard<std::mutex> hold(lock_);
    return total_;
  }

 private:
  void StartWindow(Clock::time_point now) {
    window_start_ = now;
    window_bytes_ = done_;
    window_thread_time_ = DownloadThreadTime();
  }

  // The processor time the download thread has used so far.
  Clock::duration DownloadThreadTime() const {
    FILETIME created, exited, kernel, user;
    if (download_thread_ == nullptr ||
        !GetThreadTimes(download_thread_, &created, &exited, &kernel, &user)) {
      return Clock::duration::zero();
    }
    auto ticks = [](const FILETIME& time) {
      return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    };
    // FILETIME counts in units of 100 ns.
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds((ticks(kernel) + ticks(user)) * 100));
  }

  uint64_t CacheFileSize() const {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (cache_file_.empty() ||
        !GetFileAttributesExW(cache_file_.c_str(), GetFileExInfoStandard, &data)) {
      return 0;
    }
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  }

  const DownloadOptions& options_;
  const Clock::time_point started_;
  std::mutex lock_;
  bool connected_ = false;
  std::wstring cache_file_;
  ByteCount done_count_;
  uint64_t done_ = 0;
  uint64_t total_ = 0;
  HANDLE download_thread_ = nullptr;
  Clock::time_point window_start_;
  uint64_t window_bytes_ = 0;
  Clock::duration window_thread_time_{};
};

// A thread that asks the monitor a few times a second and stops the binding
// once it says so. The service's own wait does not dispatch our timers, so
// the watch needs a thread of its own.
class Watchdog {
 public:
  Watchdog(TransferMonitor* monitor, CBSCallbackImpl* callback)
      : monitor_(monitor), callback_(callback), thread_([this] { Run(); }) {}

  ~Watchdog() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      finished_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

  // The code that made the watchdog stop the transfer; 0 when it did not.
  int32_t reason() {
    std::lock_guard<std::mutex> hold(lock_);
    return reason_;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(lock_);
    while (!finished_) {
      wake_.wait_for(lock, std::chrono::milliseconds(200));
      if (finished_) break;
      lock.unlock();
      const int32_t code = monitor_->Check();
      if (code != 0) callback_->AbortBinding();  // Again at every round until it ends.
      lock.lock();
      if (code != 0 && reason_ == 0) reason_ = code;
    }
  }

  TransferMonitor* monitor_;
  CBSCallbackImpl* callback_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool finished_ = false;
  int32_t reason_ = 0;
  std::thread thread_;  // Last: starts once everything above is ready.
};

// The service's result as one of our codes where one says the same; any
// other failure keeps the service's own code.
int32_t CodeForServiceResult(HRESULT result, DWORD http_status) {
  switch (static_cast<uint32_t>(result)) {
    case 0x800C0004u:  // INET_E_CANNOT_CONNECT
    case 0x800C0005u:  // INET_E_RESOURCE_NOT_FOUND
    case 0x800C0008u:  // INET_E_DOWNLOAD_FAILURE
      // Before any answer, the server could not be reached; after one, the
      // answer broke off.
      if (http_status == 0) return kDownloadCannotConnect;
      return result == static_cast<HRESULT>(0x800C0005u) ? kDownloadNotFound
                                                         : kDownloadDataNotAvailable;
    case 0x800C0019u:  // INET_E_INVALID_CERTIFICATE
    case 0x800C000Eu:  // INET_E_SECURITY_PROBLEM
      return kDownloadSecurityProblem;
    case 0x800C0011u:  // INET_E_UNKNOWN_PROTOCOL
    case 0x800C000Du:
      return kDownloadUnknownProtocol;
    case static_cast<uint32_t>(E_ABORT):
      return kDownloadAborted;
    default:
      return static_cast<int32_t>(result);
  }
}

uint64_t FileSize(const std::wstring& path, bool* exists) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  *exists = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != 0;
  if (!*exists) return 0;
  return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// COM for the calling thread for the length of one download, when the
// thread has not set it up itself.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }

 private:
  HRESULT result_;
};

}  // namespace

int32_t DownloadUrlToFile(const std::u16string& url, const std::u16string& path,
                          const DownloadOptions& options) {
  if (url.empty()) return kDownloadInvalidAddress;
  if (url.compare(0, 7, u"http://") != 0 && url.compare(0, 8, u"https://") != 0) {
    return kDownloadUnknownProtocol;
  }
  const std::wstring wide_url = ToWide(url);
  const std::wstring wide_path = ToWidePath(path);
  if (wide_path.empty()) return ERROR_PATH_NOT_FOUND;

  // The file is made afresh: whatever was there goes first (a link goes as
  // a link; its target is never written).
  bool exists = false;
  if (!DeleteFileW(wide_path.c_str())) {
    const DWORD error = GetLastError();
    FileSize(wide_path, &exists);
    if (exists) return static_cast<int32_t>(error);
  }
  DeleteUrlCacheEntryW(wide_url.c_str());

  ComScope com;
  TransferMonitor monitor(options);
  CBSCallbackImpl callback([&](ULONG done, ULONG total, ULONG status, LPCWSTR text) {
    monitor.OnProgress(done, total, status, text);
    if (options.progress && status != BINDSTATUS_CACHEFILENAMEAVAILABLE) {
      options.progress(monitor.done(), monitor.total());
    }
    return monitor.Check() == 0;
  });
  HRESULT result;
  int32_t watchdog_reason;
  {
    Watchdog watchdog(&monitor, &callback);
    result = URLDownloadToFileW(nullptr, wide_url.c_str(), wide_path.c_str(), 0, &callback);
    watchdog_reason = watchdog.reason();
  }
  if (options.window_requests != nullptr) *options.window_requests += callback.window_requests();

  const uint64_t size = FileSize(wide_path, &exists);
  int32_t code = 0;
  if (watchdog_reason != 0) {
    code = watchdog_reason;
  } else if (callback.http_status() >= 400) {
    code = DownloadCodeForHttpStatus(callback.http_status());
  } else if (result != S_OK) {
    code = result == E_ABORT ? monitor.Check() : 0;  // Stopped from the progress call.
    if (code == 0) code = CodeForServiceResult(result, callback.http_status());
  } else if (!exists) {
    code = kDownloadWriteError;
  } else if (int32_t limit_code = 0; size > DownloadSizeLimit(options, &limit_code)) {
    code = limit_code;
  } else if (monitor.total() != 0 && size % (uint64_t{1} << 32) != monitor.total()) {
    // Fewer bytes than the server announced: the connection ended early.
    code = kDownloadDataNotAvailable;
  }
  if (code != 0) {
    DeleteFileW(wide_path.c_str());
    DeleteUrlCacheEntryW(wide_url.c_str());
  }
  return code;
}

}  // namespace platform
