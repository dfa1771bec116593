// The package server for tests, benchmarks and the demo: a LoopbackServer
// that answers the installer's package address ("/caller?...a=downloadPackage"),
// the fixed CDN address, the statistics reports ("/caller?c=site&a=writelog",
// decoded) and the agreement and offline pages, with faults on request.
//
// Each of the two package addresses follows its own plan: the first
// `fail_first` requests answer 500, every later one answers with `fault`
// (kNone: the package). With `redirect`, the address answers 302 to a
// second path that then answers as the plan says. Stalls and trickles end
// when the client leaves, on Reset() or on Stop(), never later than
// kLongestHold.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/loopback_server.h"

namespace testsupport {

enum class PackageFault {
  kNone,          // The package, with its length.
  kNotFound,      // 404.
  kServerError,   // 500.
  kStall,         // Headers with the length, then nothing.
  kTrickle,       // One byte per trickle interval.
  kCloseEarly,    // Half the package, then the connection closes.
  kShort,         // The package less its last byte, as a complete answer.
  kNotMz,         // The package with its first two bytes changed.
  kNoLength,      // The package without a length (chunked).
  kRedirectLoop,  // A redirect to a path that redirects to itself.
  kEndless,       // "MZ" and then bytes without end, without a length.
};

struct EndpointPlan {
  int fail_first = 0;
  PackageFault fault = PackageFault::kNone;
  bool redirect = false;
};

class PackageServer {
 public:
  static constexpr char kSitePath[] = "/caller";
  static constexpr char kCdnPath[] = "/dudidiruvovo/ZorvZuvAdorizodeZadaz.exe";
  static constexpr char kAgreementPath[] = "/privacy/p1.html";
  static constexpr char kOfflinePath[] = "/offline/pdf.html";
  static constexpr std::chrono::seconds kLongestHold{120};

  PackageServer();
  ~PackageServer();
  PackageServer(const PackageServer&) = delete;
  PackageServer& operator=(const PackageServer&) = delete;

  bool Start();
  void Stop();
  std::string host_port() const { return server_.host_port(); }
  int port() const { return server_.port(); }
  LoopbackServer& loopback() { return server_; }

  // The bytes served as the package (at first 10 MiB starting with "MZ").
  void SetPackage(std::shared_ptr<const std::string> bytes);
  void SetSitePlan(const EndpointPlan& plan);
  void SetCdnPlan(const EndpointPlan& plan);
  void set_trickle_interval(std::chrono::milliseconds interval) { trickle_ms_ = interval.count(); }

  // Plans back to kNone, the package back to 10 MiB starting with "MZ",
  // counters to 0, stalls released, requests and reports cleared.
  void Reset();

  int site_requests() const { return site_requests_; }
  int cdn_requests() const { return cdn_requests_; }

  // Each report's JSON envelope, in arrival order.
  std::vector<std::string> ReportEnvelopes() const;
  // Waits until at least `count` reports arrived, at most `timeout`.
  bool WaitForReports(size_t count, std::chrono::milliseconds timeout) const;
  // Called on the server's thread with each report's envelope.
  void set_report_printer(std::function<void(const std::string&)> printer) {
    printer_ = std::move(printer);
  }

  // `size` bytes that start with "MZ" (or "ZM" when `mz` is false).
  static std::string MakePackageBytes(size_t size, bool mz = true);

 private:
  // `endpoint` is "site" or "cdn"; a redirect carries it to its target.
  void AnswerPackage(const EndpointPlan& plan, const char* endpoint, int request_number,
                     httplib::Response& response);
  void ServeFault(PackageFault fault, httplib::Response& response);
  // Waits up to `duration`; false when the hold must end (reset or stop).
  bool Hold(uint64_t generation, std::chrono::milliseconds duration);

  LoopbackServer server_;
  mutable std::mutex mutex_;
  std::condition_variable released_;
  uint64_t generation_ = 0;
  bool stopping_ = false;
  std::shared_ptr<const std::string> default_package_;
  std::shared_ptr<const std::string> package_;
  EndpointPlan site_plan_;
  EndpointPlan cdn_plan_;
  std::atomic<int> site_requests_{0};
  std::atomic<int> cdn_requests_{0};
  std::atomic<int64_t> trickle_ms_{250};
  std::function<void(const std::string&)> printer_;
  mutable std::mutex reports_mutex_;
  mutable std::condition_variable report_arrived_;
  std::vector<std::string> reports_;
};

}  // namespace testsupport
