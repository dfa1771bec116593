#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Holds an exclusive flock for its lifetime.
class LockGuard {
 public:
  explicit LockGuard(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) return;
    while (flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~LockGuard() {
    if (fd_ >= 0) close(fd_);  // closing the last descriptor drops the lock
  }
  bool locked() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace

std::string HiveFile::DefaultPath() {
  std::string config = GetXdgFolder("XDG_CONFIG_HOME", ".config");
  if (config.empty()) return config;
  return config + "/varnik/user.hive";
}

int32_t HiveFile::Read(Hive* hive) const {
  if (path_.empty()) return kErrorFileNotFound;
  std::string content;
  switch (ReadWholeFile(FromNativePath(path_), kMaxHiveFileBytes, &content)) {
    case ReadFileResult::kMissing:
      return kErrorFileNotFound;
    case ReadFileResult::kFailed:
      return kErrorIoFailure;
    case ReadFileResult::kNotRegular:
    case ReadFileResult::kTooLarge:
      return kErrorInvalidData;
    case ReadFileResult::kOk:
      break;
  }
  return Hive::Parse(content, hive) ? kErrorSuccess : kErrorInvalidData;
}

int32_t HiveFile::Update(const std::function<int32_t(Hive*)>& change) {
  if (path_.empty()) return kErrorFileNotFound;
  std::string folder = FolderOf(path_);
  if (!CreateDirectoryTree(FromNativePath(folder))) return kErrorAccessDenied;
  LockGuard lock(path_ + ".lock");
  if (!lock.locked()) return kErrorAccessDenied;

  Hive hive;
  int32_t read = Read(&hive);
  if (read == kErrorIoFailure) return read;
  if (read == kErrorInvalidData) {
    std::string aside = path_ + ".damaged-" + nbase::GetTimeMsText() + "-" +
                        std::to_string(static_cast<long>(getpid()));
    if (rename(path_.c_str(), aside.c_str()) != 0) return kErrorAccessDenied;
    DebugOutput("damaged hive moved aside to " + aside + "\n");
    hive = Hive();
  }
  int32_t changed = change(&hive);
  if (changed != kErrorSuccess) return changed;

  std::string temp = path_ + ".tmp";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return kErrorAccessDenied;
  bool written = WriteAll(fd, hive.Serialize()) && fsync(fd) == 0;
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
