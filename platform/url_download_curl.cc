#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "base/utf.h"
#include "platform/curl_library.h"
#include "platform/path_util.h"
#include "platform/url_download.h"

namespace platform {
namespace {

struct Transfer {
  int fd = -1;
  int write_errno = 0;
  uint64_t written = 0;
  // The tighter of the two size bounds, and the code that tells which it is.
  uint64_t limit = UINT64_MAX;
  int32_t limit_code = kDownloadTooLarge;
  bool over_limit = false;
  // An address outside loopback was refused (loopback_only).
  bool refused_address = false;
  const DownloadOptions* options = nullptr;
  curl_off_t last_done = -1;
  curl_off_t last_total = -1;
};

size_t WriteToFile(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (bytes > transfer->limit - transfer->written) {
    transfer->over_limit = true;
    return 0;
  }
  transfer->written += bytes;
  size_t written = 0;
  while (written < bytes) {
    ssize_t result = write(transfer->fd, data + written, bytes - written);
    if (result < 0) {
      if (errno == EINTR) continue;
      transfer->write_errno = errno;
      return 0;  // Anything short of `bytes` makes curl stop with a write error.
    }
    written += static_cast<size_t>(result);
  }
  return bytes;
}

int OnProgress(void* user, curl_off_t total, curl_off_t done, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  const DownloadOptions& options = *transfer->options;
  if (options.abort != nullptr && options.abort->load()) return 1;
  if (options.progress && (done != transfer->last_done || total != transfer->last_total)) {
    transfer->last_done = done;
    transfer->last_total = total;
    options.progress(static_cast<uint64_t>(done < 0 ? 0 : done),
                     static_cast<uint64_t>(total < 0 ? 0 : total));
  }
  return 0;
}

bool IsLoopbackAddress(const sockaddr* address) {
  if (address->sa_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
    return (ntohl(v4->sin_addr.s_addr) >> 24) == 127;
  }
  if (address->sa_family == AF_INET6) {
    const in6_addr& v6 = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
    if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
    return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
  }
  return false;
}

// Every connection of a transfer, its redirects' included, is opened here:
// the one place to keep a loopback-only transfer on the machine.
curl_socket_t OpenSocket(void* user, curlsocktype, curl_sockaddr* address) {
  auto* transfer = static_cast<Transfer*>(user);
  if (transfer->options->loopback_only && !IsLoopbackAddress(&address->addr)) {
    transfer->refused_address = true;
    return CURL_SOCKET_BAD;
  }
  return socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

int32_t CodeForCurlResult(CURLcode result, long status, const Transfer& transfer) {
  switch (result) {
    case CURLE_OK:
      return 0;
    case CURLE_URL_MALFORMAT:
      return kDownloadInvalidAddress;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return kDownloadUnknownProtocol;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
      return transfer.refused_address ? kDownloadRedirectFailed : kDownloadCannotConnect;
    case CURLE_HTTP_RETURNED_ERROR:
      return DownloadCodeForHttpStatus(status);
    case CURLE_OPERATION_TIMEDOUT:
      return kDownloadTimeout;
    case CURLE_TOO_MANY_REDIRECTS:
      return kDownloadRedirectFailed;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      return kDownloadDataNotAvailable;
    case CURLE_WRITE_ERROR:
      if (transfer.over_limit) return transfer.limit_code;
      return transfer.write_errno != 0 ? kDownloadWriteError : kDownloadFailure;
    case CURLE_FILESIZE_EXCEEDED:
      return transfer.limit_code;
    case CURLE_ABORTED_BY_CALLBACK:
      return kDownloadAborted;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
      return kDownloadSecurityProblem;
    default:
      return kDownloadFailure;
  }
}

// Removes whatever is at `path` and creates a new file there that only this
// user may touch. A link planted between the two steps makes the open fail
// (O_EXCL with O_NOFOLLOW) instead of being followed.
int OpenFresh(const std::string& path, int* error) {
  if (unlink(path.c_str()) != 0 && errno != ENOENT) {
    // A folder or a file we may not remove: the open below reports it.
  }
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700);
  if (fd < 0) *error = errno;
  return fd;
}

}  // namespace

int32_t DownloadUrlToFile(const std::u16string& url, const std::u16string& path,
                          const DownloadOptions& options) {
  const std::string address = nbase::Utf16ToUtf8(url);
  if (address.empty()) return kDownloadInvalidAddress;
  if (address.compare(0, 7, "http://") != 0 && address.compare(0, 8, "https://") != 0) {
    return kDownloadUnknownProtocol;
  }
  const std::string native_path = ToNativePath(path);
  if (native_path.empty()) return ENOENT;

  const CurlLibrary* lib = CurlLibrary::Get();
  CURL* curl = lib ? lib->easy_init() : nullptr;
  if (curl == nullptr) return kDownloadFailure;

  int open_error = 0;
  Transfer transfer;
  transfer.options = &options;
  transfer.limit = DownloadSizeLimit(options, &transfer.limit_code);
  transfer.fd = OpenFresh(native_path, &open_error);
  if (transfer.fd < 0) {
    lib->easy_cleanup(curl);
    return open_error != 0 ? open_error : kDownloadWriteError;
  }

  curl_slist* headers = nullptr;
  headers = lib->slist_append(headers, "Cache-Control: no-cache");
  headers = lib->slist_append(headers, "Pragma: no-cache");

  lib->easy_setopt(curl, CURLOPT_URL, address.c_str());
  lib->easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  lib->easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  lib->easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  lib->easy_setopt(curl, CURLOPT_MAXREDIRS, options.max_redirects);
  lib->easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  lib->easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  lib->easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  lib->easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, options.connect_timeout_seconds);
  lib->easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, options.low_speed_seconds);
  lib->easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, options.low_speed_bytes_per_second);
  lib->easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  lib->easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  lib->easy_setopt(
      curl, CURLOPT_MAXFILESIZE_LARGE,
      static_cast<curl_off_t>(transfer.limit > INT64_MAX ? INT64_MAX : transfer.limit));
  lib->easy_setopt(curl, CURLOPT_BUFFERSIZE, 512L * 1024L);
  lib->easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
  lib->easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  lib->easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, OpenSocket);
  lib->easy_setopt(curl, CURLOPT_OPENSOCKETDATA, &transfer);
  lib->easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  lib->easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  lib->easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

  const CURLcode result = lib->easy_perform(curl);
  long status = 0;
  lib->easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  int32_t code = CodeForCurlResult(result, status, transfer);
  if (code == 0 && status >= 400) code = DownloadCodeForHttpStatus(status);

  lib->slist_free_all(headers);
  lib->easy_cleanup(curl);
  if (close(transfer.fd) != 0 && code == 0) code = kDownloadWriteError;
  if (code != 0) unlink(native_path.c_str());
  return code;
}

}  // namespace platform
