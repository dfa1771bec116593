#include "package/package_file_check.h"

#include "platform/file_system.h"

namespace package {

bool CheckPackageFile(const std::u16string& path) {
  std::string head;
  uint64_t size = 0;
  if (!platform::ReadFileHead(path, kPackageHeadBytes, &head, &size)) return false;
  return size >= static_cast<uint64_t>(kMinPackageBytes) && head.size() == kPackageHeadBytes &&
         head[0] == 'M' && head[1] == 'Z';
}

}  // namespace package
