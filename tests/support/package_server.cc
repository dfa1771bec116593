#include "tests/support/package_server.h"

#include <algorithm>

namespace testsupport {
namespace {

constexpr char kRedirectedPath[] = "/files/DudIdiruvovoInstaller.exe";
constexpr char kLoopPath[] = "/loop";
constexpr size_t kPieceBytes = 1 << 20;

}  // namespace

PackageServer::PackageServer()
    : default_package_(std::make_shared<std::string>(MakePackageBytes(10485760))),
      package_(default_package_) {
  auto& routes = server_.routes();
  routes.Get(kSitePath, [this](const httplib::Request& request, httplib::Response& response) {
    if (request.get_param_value("a") != "downloadPackage") {
      response.status = 404;
      return;
    }
    int number = ++site_requests_;
    EndpointPlan plan;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      plan = site_plan_;
    }
    AnswerPackage(plan, "site", number, response);
  });
  routes.Get(kCdnPath, [this](const httplib::Request&, httplib::Response& response) {
    int number = ++cdn_requests_;
    EndpointPlan plan;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      plan = cdn_plan_;
    }
    AnswerPackage(plan, "cdn", number, response);
  });
  routes.Get(kRedirectedPath, [this](const httplib::Request& request, httplib::Response& response) {
    // The target of a redirect answers with the fault of the plan that sent
    // the client here ("from" names it).
    EndpointPlan plan;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      plan = request.get_param_value("from") == "cdn" ? cdn_plan_ : site_plan_;
    }
    ServeFault(plan.fault, response);
  });
  routes.Get(kLoopPath, [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect(kLoopPath);
  });
  routes.Post(kSitePath, [this](const httplib::Request& request, httplib::Response& response) {
    std::string envelope;
    if (request.get_param_value("a") != "writelog" || !DecodeLogBody(request.body, &envelope)) {
      response.status = 400;
      return;
    }
    {
      std::lock_guard<std::mutex> hold(reports_mutex_);
      reports_.push_back(envelope);
    }
    report_arrived_.notify_all();
    if (printer_) printer_(envelope);
    response.set_content("ok", "text/plain");
  });
  routes.Get(kAgreementPath, [](const httplib::Request&, httplib::Response& response) {
    response.set_content(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>用户协议</title></head>"
        "<body><h1>VarnikPDF转换器 用户协议</h1><p>Demo agreement page.</p></body></html>",
        "text/html; charset=utf-8");
  });
  routes.Get(kOfflinePath, [](const httplib::Request&, httplib::Response& response) {
    response.set_content(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>下载完整安装包</title></head>"
        "<body><h1>VarnikPDF转换器</h1><p><a href=\"/dudidiruvovo/ZorvZuvAdorizodeZadaz.exe\">"
        "下载完整安装包</a></p></body></html>",
        "text/html; charset=utf-8");
  });
}

PackageServer::~PackageServer() { Stop(); }

bool PackageServer::Start() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    stopping_ = false;
  }
  return server_.Start();
}

void PackageServer::Stop() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    stopping_ = true;
    ++generation_;
  }
  released_.notify_all();
  server_.Stop();
}

void PackageServer::SetPackage(std::shared_ptr<const std::string> bytes) {
  std::lock_guard<std::mutex> hold(mutex_);
  package_ = std::move(bytes);
}

void PackageServer::SetSitePlan(const EndpointPlan& plan) {
  std::lock_guard<std::mutex> hold(mutex_);
  site_plan_ = plan;
}

void PackageServer::SetCdnPlan(const EndpointPlan& plan) {
  std::lock_guard<std::mutex> hold(mutex_);
  cdn_plan_ = plan;
}

void PackageServer::Reset() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    site_plan_ = EndpointPlan();
    cdn_plan_ = EndpointPlan();
    package_ = default_package_;
    ++generation_;
  }
  released_.notify_all();
  site_requests_ = 0;
  cdn_requests_ = 0;
  server_.set_mode(LoopbackServer::Mode::kServe);
  server_.ReleaseStalled();
  server_.ClearRequests();
  std::lock_guard<std::mutex> hold(reports_mutex_);
  reports_.clear();
}

std::vector<std::string> PackageServer::ReportEnvelopes() const {
  std::lock_guard<std::mutex> hold(reports_mutex_);
  return reports_;
}

bool PackageServer::WaitForReports(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(reports_mutex_);
  return report_arrived_.wait_for(lock, timeout, [&] { return reports_.size() >= count; });
}

std::string PackageServer::MakePackageBytes(size_t size, bool mz) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + 7) & 0xff);
  if (size >= 2) {
    bytes[0] = mz ? 'M' : 'Z';
    bytes[1] = mz ? 'Z' : 'M';
  }
  return bytes;
}

bool PackageServer::Hold(uint64_t generation, std::chrono::milliseconds duration) {
  std::unique_lock<std::mutex> lock(mutex_);
  released_.wait_for(lock, duration, [&] { return stopping_ || generation_ != generation; });
  return !stopping_ && generation_ == generation;
}

void PackageServer::AnswerPackage(const EndpointPlan& plan, const char* endpoint,
                                  int request_number, httplib::Response& response) {
  if (request_number <= plan.fail_first) {
    response.status = 500;
    response.set_content("failing on request", "text/plain");
    return;
  }
  if (plan.fault == PackageFault::kRedirectLoop) {
    response.set_redirect(kLoopPath);
    return;
  }
  if (plan.redirect) {
    response.set_redirect(std::string(kRedirectedPath) + "?from=" + endpoint);
    return;
  }
  ServeFault(plan.fault, response);
}

void PackageServer::ServeFault(PackageFault fault, httplib::Response& response) {
  std::shared_ptr<const std::string> package;
  uint64_t generation;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    package = package_;
    generation = generation_;
  }
  const size_t size = package->size();
  switch (fault) {
    case PackageFault::kNotFound:
      response.status = 404;
      response.set_content("<html><body>404 Not Found</body></html>", "text/html");
      return;
    case PackageFault::kServerError:
      response.status = 500;
      response.set_content("<html><body>500 Internal Server Error</body></html>", "text/html");
      return;
    case PackageFault::kStall:
      response.set_content_provider(size, "application/octet-stream",
                                    [this, generation](size_t, size_t, httplib::DataSink& sink) {
                                      const auto deadline =
                                          std::chrono::steady_clock::now() + kLongestHold;
                                      while (std::chrono::steady_clock::now() < deadline) {
                                        if (!Hold(generation, std::chrono::milliseconds(100)))
                                          return false;
                                        if (!sink.is_writable()) return false;
                                      }
                                      return false;
                                    });
      return;
    case PackageFault::kTrickle:
      response.set_content_provider(
          size, "application/octet-stream",
          [this, package, generation](size_t offset, size_t, httplib::DataSink& sink) {
            if (!Hold(generation, std::chrono::milliseconds(trickle_ms_.load()))) return false;
            return sink.write(package->data() + offset, 1);
          });
      return;
    case PackageFault::kCloseEarly:
      response.set_content_provider(
          size, "application/octet-stream",
          [package, size](size_t offset, size_t length, httplib::DataSink& sink) {
            const size_t half = size / 2;
            if (offset >= half) return false;  // Ends the connection mid-answer.
            return sink.write(package->data() + offset,
                              std::min({length, kPieceBytes, half - offset}));
          });
      return;
    case PackageFault::kEndless:
      response.set_chunked_content_provider(
          "application/octet-stream", [this, generation](size_t offset, httplib::DataSink& sink) {
            static const std::string piece = "MZ" + std::string(kPieceBytes - 2, 'x');
            // Ends only when the client leaves, or on reset or stop.
            if (!Hold(generation, std::chrono::milliseconds(0))) return false;
            return sink.write(piece.data() + (offset == 0 ? 0 : 2), kPieceBytes - 2);
          });
      return;
    case PackageFault::kNoLength:
      response.set_chunked_content_provider(
          "application/octet-stream", [package, size](size_t offset, httplib::DataSink& sink) {
            if (offset >= size) {
              sink.done();
              return true;
            }
            return sink.write(package->data() + offset, std::min(size - offset, kPieceBytes));
          });
      return;
    case PackageFault::kShort:
    case PackageFault::kNotMz:
    case PackageFault::kNone:
    case PackageFault::kRedirectLoop:
      break;
  }
  size_t served = fault == PackageFault::kShort && size > 0 ? size - 1 : size;
  const bool swap_head = fault == PackageFault::kNotMz;
  response.set_content_provider(
      served, "application/octet-stream",
      [package, swap_head](size_t offset, size_t length, httplib::DataSink& sink) {
        size_t piece = std::min(length, kPieceBytes);
        if (swap_head && offset < 2) {
          char head[2] = {'Z', 'M'};
          size_t head_bytes = std::min<size_t>(2 - offset, piece);
          if (!sink.write(head + offset, head_bytes)) return false;
          return true;
        }
        return sink.write(package->data() + offset, piece);
      });
}

}  // namespace testsupport
