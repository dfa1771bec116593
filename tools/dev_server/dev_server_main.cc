// The development server: everything the installer talks to, on 127.0.0.1.
// It serves the package address (directly or through a redirect), the CDN
// address, the report endpoint (each report's decoded JSON envelope printed
// as one line on standard output) and the agreement and offline pages, with
// faults on request. Point the installer at it with the printed
// VARNIK_SERVER_HOST value. Runs until SIGINT or SIGTERM.
//
// Usage: varnik_dev_server [--package FILE] [--redirect]
//          [--site-fault F] [--cdn-fault F] [--fail-first N] [--trickle-ms N]
// F is one of: none not-found server-error stall trickle close-early short
// not-mz no-length redirect-loop. --fail-first makes the first N requests of
// both package addresses answer 500.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "tests/support/package_server.h"

namespace {

using testsupport::PackageFault;

bool ParseFault(const std::string& name, PackageFault* fault) {
  static const std::map<std::string, PackageFault> kFaults = {
      {"none", PackageFault::kNone},
      {"not-found", PackageFault::kNotFound},
      {"server-error", PackageFault::kServerError},
      {"stall", PackageFault::kStall},
      {"trickle", PackageFault::kTrickle},
      {"close-early", PackageFault::kCloseEarly},
      {"short", PackageFault::kShort},
      {"not-mz", PackageFault::kNotMz},
      {"no-length", PackageFault::kNoLength},
      {"redirect-loop", PackageFault::kRedirectLoop},
  };
  auto found = kFaults.find(name);
  if (found == kFaults.end()) return false;
  *fault = found->second;
  return true;
}

int Usage(const char* program) {
  std::cerr << "usage: " << program
            << " [--package FILE] [--redirect] [--site-fault F] [--cdn-fault F]"
               " [--fail-first N] [--trickle-ms N]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string package_path = VARNIK_DEMO_PACKAGE;
  testsupport::EndpointPlan site;
  testsupport::EndpointPlan cdn;
  long trickle_ms = 250;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const bool has_value = i + 1 < argc;
    if (option == "--package" && has_value) {
      package_path = argv[++i];
    } else if (option == "--redirect") {
      site.redirect = true;
    } else if (option == "--site-fault" && has_value) {
      if (!ParseFault(argv[++i], &site.fault)) return Usage(argv[0]);
    } else if (option == "--cdn-fault" && has_value) {
      if (!ParseFault(argv[++i], &cdn.fault)) return Usage(argv[0]);
    } else if (option == "--fail-first" && has_value) {
      site.fail_first = cdn.fail_first = std::atoi(argv[++i]);
    } else if (option == "--trickle-ms" && has_value) {
      trickle_ms = std::atol(argv[++i]);
    } else {
      return Usage(argv[0]);
    }
  }

  std::ifstream in(package_path, std::ios::binary);
  if (!in) {
    std::cerr << "cannot read the package " << package_path << "\n";
    return 1;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();

  // Signals are taken by sigwait below, never by the server's threads.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  testsupport::PackageServer server;
  server.SetPackage(std::make_shared<std::string>(bytes.str()));
  server.SetSitePlan(site);
  server.SetCdnPlan(cdn);
  server.set_trickle_interval(std::chrono::milliseconds(trickle_ms));
  server.set_report_printer([](const std::string& envelope) {
    std::printf("%s\n", envelope.c_str());
    std::fflush(stdout);
  });
  if (!server.Start()) {
    std::cerr << "cannot listen on 127.0.0.1\n";
    return 1;
  }
  std::fprintf(stderr,
               "development server on http://%s\n"
               "  package  http://%s/caller?c=site&a=downloadPackage&coopcom=zorv\n"
               "  CDN      http://%s%s\n"
               "  pages    %s %s\n"
               "run the installer with VARNIK_SERVER_HOST=%s; reports follow on stdout\n",
               server.host_port().c_str(), server.host_port().c_str(), server.host_port().c_str(),
               testsupport::PackageServer::kCdnPath, testsupport::PackageServer::kAgreementPath,
               testsupport::PackageServer::kOfflinePath, server.host_port().c_str());
  int received = 0;
  sigwait(&stop_signals, &received);
  server.Stop();
  return 0;
}
