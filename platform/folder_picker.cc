#include "platform/folder_picker.h"

#include "base/utf.h"
#include "platform/path_util.h"

namespace platform {

bool ParseFolderAnswer(const std::string& output, std::u16string* folder) {
  std::string line = output.substr(0, output.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::u16string text = nbase::Utf8ToUtf16(line);
  if (text.empty() || text[0] != kPathSeparator) return false;
  *folder = std::move(text);
  return true;
}

}  // namespace platform
