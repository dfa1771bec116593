#include "platform/file_system.h"

namespace platform {

bool IsUsableDownloadDir(std::u16string_view path, uint64_t min_free_bytes) {
  if (!IsDirectory(path)) CreateDirectoryTree(path);
  if (!IsDirectory(path)) return false;
  uint64_t free_bytes = 0;
  if (!GetFreeDiskBytes(path, &free_bytes)) return false;
  return free_bytes >= min_free_bytes;
}

}  // namespace platform
