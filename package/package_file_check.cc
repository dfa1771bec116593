#include "package/package_file_check.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/path_util.h"

namespace package {

bool CheckPackageFile(const std::u16string& path) {
  const std::string native = platform::ToNativePath(path);
  if (native.empty()) return false;
  // O_NONBLOCK so that a planted FIFO cannot block the test.
  int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  bool plausible = false;
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= kMinPackageBytes) {
    unsigned char head[kPackageHeadBytes];
    size_t got = 0;
    while (got < sizeof(head)) {
      ssize_t result = read(fd, head + got, sizeof(head) - got);
      if (result < 0 && errno == EINTR) continue;
      if (result <= 0) break;
      got += static_cast<size_t>(result);
    }
    plausible = got == sizeof(head) && head[0] == 'M' && head[1] == 'Z';
  }
  close(fd);
  return plausible;
}

}  // namespace package
