#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/error_codes.h"
#include "platform/named_mutex.h"
#include "platform/path_util.h"
#include "platform/shell_folders.h"

namespace platform {

NamedMutex::~NamedMutex() { Release(); }

void NamedMutex::Release() {
  if (handle_ != kNoHandle) close(static_cast<int>(handle_));
  handle_ = kNoHandle;
}

std::string NamedMutex::LockFilePath(std::u16string_view name) {
  std::string folder;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st;
  if (runtime != nullptr && runtime[0] == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) {
    folder = runtime;
  } else {
    folder = ToNativePath(GetPrivateTempFolder(u"/tmp"));
  }
  std::string native_name = ToNativePath(name);
  if (folder.empty() || native_name.empty()) return std::string();
  return folder + "/" + native_name + ".lock";
}

int32_t NamedMutex::Create(std::u16string_view name) {
  Release();
  if (name.empty() || name.find(kPathSeparator) != std::u16string_view::npos) {
    return kErrorInvalidParameter;
  }
  std::string path = LockFilePath(name);
  if (path.empty()) return kErrorFileNotFound;
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return errno == ELOOP ? kErrorAccessDenied : kErrorFileNotFound;
  int rc;
  do {
    rc = flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int error = errno;
    close(fd);
    return error == EWOULDBLOCK ? kErrorAlreadyExists : kErrorAccessDenied;
  }
  handle_ = fd;
  return kErrorSuccess;
}

}  // namespace platform
