#include "platform/folder_picker.h"

#include "base/utf.h"
#include "platform/path_util.h"

namespace platform {
namespace {

// An absolute path of this system: "/..." on Linux; a drive path "C:\..."
// (or "C:/...") or a network path "\\server\..." on Windows.
bool IsAbsoluteFolder(std::u16string_view text) {
#if defined(_WIN32)
  const char16_t letter = text.empty() ? 0 : static_cast<char16_t>(text[0] | 0x20);
  const bool drive = text.size() >= 3 && letter >= u'a' && letter <= u'z' && text[1] == u':' &&
                     IsPathSeparator(text[2]);
  const bool network = text.size() >= 3 && IsPathSeparator(text[0]) && IsPathSeparator(text[1]);
  return drive || network;
#else
  return !text.empty() && text[0] == u'/';
#endif
}

}  // namespace

bool ParseFolderAnswer(const std::string& output, std::u16string* folder) {
  std::string line = output.substr(0, output.find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::u16string text = nbase::Utf8ToUtf16(line);
  if (!IsAbsoluteFolder(text)) return false;
  *folder = std::move(text);
  return true;
}

}  // namespace platform
