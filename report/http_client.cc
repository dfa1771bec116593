#include "report/http_client.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

#include "base/utf.h"
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

}  // namespace

void InitHttpClientLibrary() { platform::HttpTransport::InitializeProcess(); }

HttpClient::HttpClient() = default;

HttpClient::~HttpClient() = default;

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

  // The lines of an earlier attempt are replaced, never extended, so a
  // second attempt carries every header exactly once.
  header_lines_.clear();
  for (const auto& [name, value] : headers_) header_lines_.push_back(name + ": " + value);
}

int32_t HttpClient::PostLog(std::string& response, const std::string& body) {
  int32_t result = 1;
  platform::HttpPostRequest request;
  request.url = ReportingUrl();
  request.body = body;
  request.connect_timeout_seconds = connect_timeout_;
  request.total_timeout_seconds = total_timeout_;
  request.dns_cache_timeout_seconds = dns_cache_timeout_;
  request.proxy = proxy_;
  for (int32_t attempt = 0; attempt < attempts_; ++attempt) {
    if (!transport_.ready()) {
      result = 1;
      continue;
    }
    ApplyHeaders();
    request.header_lines = header_lines_;
    result = transport_.Post(request, &HttpClient::AppendResponseText, &response);
    if (result == platform::kTransferOk) break;
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
