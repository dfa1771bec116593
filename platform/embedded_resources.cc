#include "platform/embedded_resources.h"

#include "base/utf.h"

namespace platform {

std::u16string DecodeChannel(std::string_view bytes) {
  if (bytes.size() > kMaxChannelBytes) bytes = bytes.substr(0, kMaxChannelBytes);
  return nbase::Utf8ToUtf16(bytes);
}

bool ReadChannel(std::u16string* channel) {
  std::string bytes;
  if (!LoadEmbeddedResource(kChannelResourceType, kChannelResourceId, &bytes)) return false;
  *channel = DecodeChannel(bytes);
  return true;
}

}  // namespace platform
