#include "report/http_client.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

#include "base/utf.h"
#include "platform/curl_library.h"
#include "platform/product_hosts.h"

namespace report {

const char kReportPathAndQuery[] = "/caller?c=site&a=writelog";

namespace {

// The common properties are written during start-up and then only read by
// the delivery thread. The lock costs nothing measurable per report and keeps
// a late writer (or a test) from racing with a delivery.
std::mutex& CommonPropertiesLock() {
  static std::mutex lock;
  return lock;
}

std::map<std::string, std::string>& CommonPropertiesTable() {
  static std::map<std::string, std::string> table;
  return table;
}

// libcurl's entry points; only called once a handle exists, which needs the
// library loaded.
const platform::CurlLibrary& Curl() { return *platform::CurlLibrary::Get(); }

}  // namespace

void InitHttpClientLibrary() { platform::CurlLibrary::Get(); }

HttpClient::HttpClient() : curl_(platform::CurlLibrary::Get() ? Curl().easy_init() : nullptr) {}

HttpClient::~HttpClient() {
  if (curl_) Curl().easy_cleanup(curl_);
  if (header_list_) Curl().slist_free_all(header_list_);
}

void HttpClient::AddDefaultHeaders() {
  AddHeader("Accept-Charset", "utf-8;q=0.7,*;q=0.3");
  AddHeader("Accept-Language", "en-US,en;q=0.9");
  AddHeader("Accept-Encoding", "deflate");
  AddHeader("Cache-Control", "no-cache");
  AddHeader("Connection", "close");
  AddHeader("User-Agent",
            "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/56.0.2924.90 Safari/537.36 ZorvExplorer/9.3.2.17331");
}

void HttpClient::AddHeader(std::string name, std::string value) {
  headers_.emplace(std::move(name), std::move(value));
}

void HttpClient::SetCommonProperty(std::string name, std::string value) {
  std::lock_guard<std::mutex> hold(CommonPropertiesLock());
  CommonPropertiesTable()[std::move(name)] = std::move(value);
}

void HttpClient::ClearCommonProperties() {
  std::lock_guard<std::mutex> hold(CommonPropertiesLock());
  CommonPropertiesTable().clear();
}

std::map<std::string, std::string> HttpClient::CommonProperties() {
  std::lock_guard<std::mutex> hold(CommonPropertiesLock());
  return CommonPropertiesTable();
}

void HttpClient::ApplyHeaders() {
  {
    std::lock_guard<std::mutex> hold(CommonPropertiesLock());
    for (const auto& entry : CommonPropertiesTable()) cookies_.insert(entry);
  }
  std::string cookie;
  for (const auto& [name, value] : cookies_) {
    cookie.append(name).append("=").append(value).append(";");
  }
  if (!cookie.empty()) AddHeader("Cookie", std::move(cookie));

  // Without libcurl there is no transfer to hand the lines to.
  if (!platform::CurlLibrary::Get()) return;
  // A list from an earlier attempt is replaced, never extended, so a second
  // attempt carries every header exactly once.
  if (header_list_) {
    Curl().slist_free_all(header_list_);
    header_list_ = nullptr;
  }
  for (const auto& [name, value] : headers_) {
    std::string line = name + ": " + value;
    curl_slist* grown = Curl().slist_append(header_list_, line.c_str());
    if (!grown) break;  // Out of memory: send the lines listed so far.
    header_list_ = grown;
  }
  if (curl_) Curl().easy_setopt(curl_, CURLOPT_HTTPHEADER, header_list_);
}

int32_t HttpClient::PostLog(std::string& response, const std::string& body) {
  int32_t result = 1;
  const std::string url = ReportingUrl();
  for (int32_t attempt = 0; attempt < attempts_; ++attempt) {
    if (!curl_) {
      result = 1;
      continue;
    }
    CURLcode code = Curl().easy_setopt(curl_, CURLOPT_URL, url.c_str());
    if (code != CURLE_OK) {
      result = code;
      continue;
    }
    ApplyHeaders();
    Curl().easy_setopt(curl_, CURLOPT_POST, 1L);
    Curl().easy_setopt(curl_, CURLOPT_POSTFIELDS, body.data());
    Curl().easy_setopt(curl_, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    Curl().easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &HttpClient::AppendResponseText);
    Curl().easy_setopt(curl_, CURLOPT_WRITEDATA, &response);
    Curl().easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, static_cast<long>(connect_timeout_));
    Curl().easy_setopt(curl_, CURLOPT_TIMEOUT, static_cast<long>(total_timeout_));
    Curl().easy_setopt(curl_, CURLOPT_DNS_CACHE_TIMEOUT, static_cast<long>(dns_cache_timeout_));
    Curl().easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    Curl().easy_setopt(curl_, CURLOPT_HEADER, 0L);
    if (!proxy_.empty()) Curl().easy_setopt(curl_, CURLOPT_PROXY, proxy_.c_str());
    result = Curl().easy_perform(curl_);
    if (result == CURLE_OK) break;
  }
  return result;
}

size_t HttpClient::AppendResponseText(char* data, size_t size, size_t count, void* response) {
  const size_t total = size * count;
  if (response && data) {
    auto* text = static_cast<std::string*>(response);
    // Nothing reads the answer; keeping only its start bounds the memory a
    // hostile server can make us hold within the time-out.
    if (text->size() < kMaxResponseBytes) {
      const size_t room = kMaxResponseBytes - text->size();
      text->append(data, std::min(strnlen(data, total), room));
    }
  }
  return total;
}

std::string HttpClient::ReportingUrl() {
  return "http://" + nbase::Utf16ToUtf8(platform::GetSiteHost()) + kReportPathAndQuery;
}

}  // namespace report
