#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <set>

#include "base/system_time.h"
#include "platform/debug_output.h"
#include "platform/error_codes.h"
#include "platform/file_system.h"
#include "platform/hive_file.h"
#include "platform/path_util.h"
#include "platform/shell_folders.h"

namespace platform {
namespace {

// A hive is small; anything larger than this is not ours and counts as damaged.
constexpr size_t kMaxHiveFileBytes = 64u << 20;

// Opens `path` without ever waiting on it (a FIFO, a device) and keeps it
// only when it is a regular file. -1 with errno set otherwise (EINVAL for a
// file of another type).
int OpenRegular(const std::string& path, int flags, mode_t mode = 0) {
  int fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
}

bool WriteAll(int fd, const std::string& content) {
  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t n = write(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Hive paths whose lock was not had in time: this process writes them no more.
class BusyHives {
 public:
  static bool Contains(const std::string& path) {
    std::lock_guard<std::mutex> hold(Mutex());
    return Paths().count(path) != 0;
  }
  static void Add(const std::string& path) {
    std::lock_guard<std::mutex> hold(Mutex());
    Paths().insert(path);
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
  }
  static std::set<std::string>& Paths() {
    static std::set<std::string>* paths = new std::set<std::string>;
    return *paths;
  }
};

// Holds an exclusive flock for its lifetime, taken within `bound`. The lock
// is tried without blocking and tried again after growing pauses: a blocking
// flock could not be given up when its holder never lets go.
class LockGuard {
 public:
  LockGuard(const std::string& path, std::chrono::milliseconds bound) {
    fd_ = OpenRegular(path, O_RDWR | O_CREAT | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
      result_ = kErrorAccessDenied;
      return;
    }
    const auto deadline = std::chrono::steady_clock::now() + bound;
    long pause_ms = 1;
    while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
        result_ = errno == EWOULDBLOCK ? kErrorTimeout : kErrorAccessDenied;
        close(fd_);
        fd_ = -1;
        return;
      }
      const timespec pause{0, pause_ms * 1000000L};
      nanosleep(&pause, nullptr);
      pause_ms = std::min(pause_ms * 2, 50L);
    }
    result_ = kErrorSuccess;
  }
  ~LockGuard() {
    if (fd_ >= 0) close(fd_);  // closing the last descriptor drops the lock
  }
  // kErrorSuccess while the lock is held.
  int32_t result() const { return result_; }

 private:
  int fd_ = -1;
  int32_t result_ = kErrorAccessDenied;
};

}  // namespace

std::string HiveFile::DefaultPath() {
  std::string config = GetXdgFolder("XDG_CONFIG_HOME", ".config");
  if (config.empty()) return config;
  return config + "/varnik/user.hive";
}

int32_t HiveFile::Read(Hive* hive) const {
  std::string ignored;
  return ReadWithText(hive, &ignored);
}

int32_t HiveFile::ReadWithText(Hive* hive, std::string* content) const {
  if (path_.empty()) return kErrorFileNotFound;
  switch (ReadWholeFile(FromNativePath(path_), kMaxHiveFileBytes, content)) {
    case ReadFileResult::kMissing:
      return kErrorFileNotFound;
    case ReadFileResult::kFailed:
      return kErrorIoFailure;
    case ReadFileResult::kTooLarge:
      return kErrorInvalidData;
    case ReadFileResult::kNotRegular:
      // Not ours to read nor to move aside: left as it is.
      return kErrorAccessDenied;
    case ReadFileResult::kOk:
      break;
  }
  return Hive::Parse(*content, hive) ? kErrorSuccess : kErrorInvalidData;
}

int32_t HiveFile::Update(const std::function<int32_t(Hive*)>& change) {
  if (path_.empty()) return kErrorFileNotFound;
  std::string folder = FolderOf(path_);
  if (BusyHives::Contains(path_)) return kErrorTimeout;
  if (!CreateDirectoryTree(FromNativePath(folder))) return kErrorAccessDenied;
  LockGuard lock(path_ + ".lock", kLockWaitBound);
  if (lock.result() == kErrorTimeout) {
    BusyHives::Add(path_);
    DebugOutput("hive lock not had in time; this run goes on without writing " + path_ + "\n");
  }
  if (lock.result() != kErrorSuccess) return lock.result();

  Hive hive;
  std::string stored;
  int32_t read = ReadWithText(&hive, &stored);
  if (read == kErrorIoFailure || read == kErrorAccessDenied) return read;
  if (read == kErrorInvalidData) {
    std::string aside = path_ + ".damaged-" + nbase::GetTimeMsText() + "-" +
                        std::to_string(static_cast<long>(getpid()));
    if (rename(path_.c_str(), aside.c_str()) != 0) return kErrorAccessDenied;
    DebugOutput("damaged hive moved aside to " + aside + "\n");
    hive = Hive();
  }
  int32_t changed = change(&hive);
  if (changed != kErrorSuccess) return changed;

  const std::string text = hive.Serialize();
  // A change that changed nothing (a key that exists, a value written again
  // as it is) leaves the file alone: a rewrite costs two fsyncs, and the
  // installer's start-up makes such writes on the way to its window.
  if (read == kErrorSuccess && text == stored) return kErrorSuccess;

  // Under the lock nobody else writes the temporary file: whatever stands at
  // its name (a leftover, a link, a FIFO) goes, and a new file is made.
  std::string temp = path_ + ".tmp";
  unlink(temp.c_str());
  int fd = OpenRegular(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (fd < 0) return kErrorAccessDenied;
  bool written = WriteAll(fd, text) && fsync(fd) == 0;
  written = close(fd) == 0 && written;
  if (!written || rename(temp.c_str(), path_.c_str()) != 0) {
    unlink(temp.c_str());
    return kErrorIoFailure;
  }
  int dir_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    fsync(dir_fd);  // makes the rename itself durable
    close(dir_fd);
  }
  return kErrorSuccess;
}

}  // namespace platform
