#include "platform/product_hosts.h"

#include <cstdlib>

#include "base/utf.h"

#ifndef VARNIK_SITE_HOST
#define VARNIK_SITE_HOST "www.varnikpdf.com"
#endif
#ifndef VARNIK_CDN_HOST
#define VARNIK_CDN_HOST "cdn.varnikpdf.com"
#endif
#ifndef VARNIK_AGREEMENT_HOST
#define VARNIK_AGREEMENT_HOST "www.varnikpdf.com"
#endif
#ifndef VARNIK_DOWNLOAD_SERVER_HOST
#define VARNIK_DOWNLOAD_SERVER_HOST "download.varnikpdf.com"
#endif

namespace platform {
namespace {

bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsLoopbackIpv4(std::string_view host) {
  int parts = 0;
  size_t start = 0;
  while (true) {
    size_t dot = host.find('.', start);
    std::string_view part =
        host.substr(start, dot == std::string_view::npos ? host.npos : dot - start);
    if (!IsDigits(part) || part.size() > 3 || std::atoi(std::string(part).c_str()) > 255) {
      return false;
    }
    if (parts == 0 && part != "127") return false;
    ++parts;
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  return parts == 4;
}

// The test server's "host:port" when one is named and accepted, else null.
const char* PinnedServer() {
  const char* value = std::getenv(kServerHostVariable);
  return value != nullptr && IsLoopbackHostPort(value) ? value : nullptr;
}

std::u16string HostOr(const char* built_in) {
  const char* pinned = PinnedServer();
  return nbase::Utf8ToUtf16(pinned != nullptr ? pinned : built_in);
}

}  // namespace

bool IsLoopbackHostPort(std::string_view value) {
  size_t colon = value.rfind(':');
  if (colon == std::string_view::npos) return false;
  std::string_view host = value.substr(0, colon);
  std::string_view port = value.substr(colon + 1);
  if (!IsDigits(port) || port.size() > 5) return false;
  long port_number = std::atol(std::string(port).c_str());
  if (port_number < 1 || port_number > 65535) return false;
  return host == "localhost" || host == "[::1]" || IsLoopbackIpv4(host);
}

bool IsServerHostPinned() { return PinnedServer() != nullptr; }

std::u16string GetSiteHost() { return HostOr(VARNIK_SITE_HOST); }
std::u16string GetCdnHost() { return HostOr(VARNIK_CDN_HOST); }
std::u16string GetAgreementHost() { return HostOr(VARNIK_AGREEMENT_HOST); }
std::u16string GetOfflinePageHost() { return HostOr(VARNIK_DOWNLOAD_SERVER_HOST); }

}  // namespace platform
