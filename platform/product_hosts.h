// The hosts of the product's servers. They are fixed when the installer is
// built (CMake cache variables VARNIK_SITE_HOST, VARNIK_CDN_HOST,
// VARNIK_AGREEMENT_HOST, VARNIK_DOWNLOAD_SERVER_HOST). One environment variable,
// VARNIK_SERVER_HOST="host:port", replaces every one of them at once so that
// tests and the demo talk to a server on this machine; it is honoured only for
// a loopback host (127.0.0.0/8, "localhost", "[::1]") with a port, and
// ignored otherwise. Nothing else differs between tests and production.
#pragma once

#include <string>
#include <string_view>

namespace platform {

inline constexpr char kServerHostVariable[] = "VARNIK_SERVER_HOST";

// The site server: statistics reports and the package address ("/caller").
std::u16string GetSiteHost();
// The content server that carries the fixed second package address.
std::u16string GetCdnHost();
// The product's web server: the user agreement page.
std::u16string GetAgreementHost();
// The product's download server: the offline package page.
std::u16string GetOfflinePageHost();

// True while VARNIK_SERVER_HOST points every host at a loopback test
// server. Transfers then stay on loopback: a redirect elsewhere is refused.
bool IsServerHostPinned();

// True when `value` is "host:port" with a loopback host and a port 1..65535.
bool IsLoopbackHostPort(std::string_view value);

}  // namespace platform
