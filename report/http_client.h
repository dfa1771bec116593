// The HTTP client that carries one statistics report to the reporting server.
//
// One object per report: construct, AddDefaultHeaders(), one PostLog(), destroy.
// It promises that every attempt sends the standard headers and the Cookie
// header exactly once each, in name order, that any complete HTTP answer
// (whatever its status) counts as success, and that a dead or silent server
// costs at most `attempts` times the total time-out. It never throws and never
// uses signals, so it is safe on a worker thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/http_transport.h"

namespace report {

// The fixed path and query of the reporting endpoint.
extern const char kReportPathAndQuery[];

// Starts the system's HTTP library process-wide now, rather than at the
// first HttpClient (which starts it by itself, on the thread that makes it);
// later calls do nothing. A failed start shows up as failed posts.
void InitHttpClientLibrary();

class HttpClient {
 public:
  HttpClient();
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Adds the six standard request headers.
  void AddDefaultHeaders();

  // Inserts a request header unless a header of that name is already present:
  // the first value wins.
  void AddHeader(std::string name, std::string value);

  // Process-wide table of properties sent as the Cookie header of every
  // request. A name set again replaces the earlier value.
  static void SetCommonProperty(std::string name, std::string value);
  // Empties the table (start-up of tests; the product never clears it).
  static void ClearCommonProperties();
  static std::map<std::string, std::string> CommonProperties();

  // Prepares the header lines of one attempt (header_lines()), built anew.
  void ApplyHeaders();

  // POSTs `body` to the reporting server, up to attempts() times. Returns 0
  // when a transfer completed, otherwise the transport's code of the last
  // attempt (platform/http_transport.h), or 1 when the client has no
  // transfer handle. `response` receives the
  // answer's text (a failed attempt's partial text stays and is appended to).
  int32_t PostLog(std::string& response, const std::string& body);

  // The answer text kept per client; the rest is received and dropped.
  static constexpr size_t kMaxResponseBytes = 64 * 1024;

  // The transport's receive callback: appends the chunk (up to its first NUL byte) to
  // the std::string at `response`, up to kMaxResponseBytes in all, and always
  // claims the whole chunk, so the transfer never stops on its account.
  static size_t AppendResponseText(char* data, size_t size, size_t count, void* response);

  // The address every attempt posts to: "http://" + reporting host + path.
  static std::string ReportingUrl();

  int32_t dns_cache_timeout() const { return dns_cache_timeout_; }
  int32_t connect_timeout() const { return connect_timeout_; }
  int32_t attempts() const { return attempts_; }
  int32_t total_timeout() const { return total_timeout_; }
  const std::string& proxy() const { return proxy_; }
  void set_dns_cache_timeout(int32_t seconds) { dns_cache_timeout_ = seconds; }
  void set_connect_timeout(int32_t seconds) { connect_timeout_ = seconds; }
  void set_attempts(int32_t attempts) { attempts_ = attempts; }
  void set_total_timeout(int32_t seconds) { total_timeout_ = seconds; }
  void set_proxy(std::string proxy) { proxy_ = std::move(proxy); }

  const std::map<std::string, std::string>& headers() const { return headers_; }
  // The lines the last ApplyHeaders prepared, in wire order.
  const std::vector<std::string>& header_lines() const { return header_lines_; }

 private:
  platform::HttpTransport transport_;
  int32_t dns_cache_timeout_ = 60;
  int32_t connect_timeout_ = 15;
  int32_t attempts_ = 2;
  int32_t total_timeout_ = 15;
  std::map<std::string, std::string> headers_;
  std::map<std::string, std::string> cookies_;
  std::vector<std::string> header_lines_;
  std::string proxy_;
};

}  // namespace report
