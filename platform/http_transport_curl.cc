#include <curl/curl.h>

#include <mutex>

#include "platform/http_transport.h"

namespace platform {

void HttpTransport::InitializeProcess() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

HttpTransport::HttpTransport() : handle_(curl_easy_init()) {}

HttpTransport::~HttpTransport() {
  if (handle_) curl_easy_cleanup(static_cast<CURL*>(handle_));
}

int32_t HttpTransport::Post(const HttpPostRequest& request, HttpDataSink sink,
                            void* sink_context) {
  CURL* curl = static_cast<CURL*>(handle_);
  if (!curl) return kTransferFailedInit;
  CURLcode code = curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  if (code != CURLE_OK) return code;

  curl_slist* headers = nullptr;
  for (const std::string& line : request.header_lines) {
    curl_slist* grown = curl_slist_append(headers, line.c_str());
    if (!grown) break;  // Out of memory: send the lines listed so far.
    headers = grown;
  }
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, sink);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, sink_context);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(request.connect_timeout_seconds));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(request.total_timeout_seconds));
  curl_easy_setopt(curl, CURLOPT_DNS_CACHE_TIMEOUT,
                   static_cast<long>(request.dns_cache_timeout_seconds));
  // No signals for the time-outs: this runs on a worker thread.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_HEADER, 0L);
  if (!request.proxy.empty()) curl_easy_setopt(curl, CURLOPT_PROXY, request.proxy.c_str());
  const int32_t result = curl_easy_perform(curl);
  // The list is the transfer's until it ends; the next attempt gets its own.
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(headers);
  return result;
}

}  // namespace platform
