#include "platform/curl_library.h"
#include "platform/http_transport.h"

namespace platform {

void HttpTransport::InitializeProcess() { CurlLibrary::Get(); }

HttpTransport::HttpTransport() {
  if (const CurlLibrary* lib = CurlLibrary::Get()) handle_ = lib->easy_init();
}

HttpTransport::~HttpTransport() {
  // A handle exists only when the library was loaded.
  if (handle_) CurlLibrary::Get()->easy_cleanup(static_cast<CURL*>(handle_));
}

int32_t HttpTransport::Post(const HttpPostRequest& request, HttpDataSink sink,
                            void* sink_context) {
  CURL* curl = static_cast<CURL*>(handle_);
  if (!curl) return kTransferFailedInit;
  const CurlLibrary* lib = CurlLibrary::Get();
  CURLcode code = lib->easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  if (code != CURLE_OK) return code;

  curl_slist* headers = nullptr;
  for (const std::string& line : request.header_lines) {
    curl_slist* grown = lib->slist_append(headers, line.c_str());
    if (!grown) break;  // Out of memory: send the lines listed so far.
    headers = grown;
  }
  lib->easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  lib->easy_setopt(curl, CURLOPT_POST, 1L);
  lib->easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
  lib->easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
  lib->easy_setopt(curl, CURLOPT_WRITEFUNCTION, sink);
  lib->easy_setopt(curl, CURLOPT_WRITEDATA, sink_context);
  lib->easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(request.connect_timeout_seconds));
  lib->easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(request.total_timeout_seconds));
  lib->easy_setopt(curl, CURLOPT_DNS_CACHE_TIMEOUT,
                   static_cast<long>(request.dns_cache_timeout_seconds));
  // No signals for the time-outs: this runs on a worker thread.
  lib->easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  lib->easy_setopt(curl, CURLOPT_HEADER, 0L);
  if (!request.proxy.empty()) lib->easy_setopt(curl, CURLOPT_PROXY, request.proxy.c_str());
  const int32_t result = lib->easy_perform(curl);
  // The list is the transfer's until it ends; the next attempt gets its own.
  lib->easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
  lib->slist_free_all(headers);
  return result;
}

}  // namespace platform
