// Download throughput of the installer's URL download against Debian's curl
// command (`curl -o`) fetching the same 256 MiB file from the same loopback
// package server in the same run. Prints MB/s for both (best of the rounds)
// and the ratio; the installer's download should reach 0.95 x curl or more.
// Built with a Windows build folder (VARNIK_WINDOWS_BUILD_DIR), it also runs
// the Windows download (URLDownloadToFileW) under Wine against the same
// server in the same rounds; that program times its own transfer, so Wine's
// start-up is not counted.
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "base/utf.h"
#include "bench/common/bench_metric.h"
#include "platform/url_download.h"
#include "tests/support/package_server.h"

extern char** environ;

namespace {

constexpr size_t kPackageBytes = 256u << 20;
constexpr int kRounds = 3;

double MegabytesPerSecond(std::chrono::steady_clock::duration took) {
  const double seconds = std::chrono::duration<double>(took).count();
  return static_cast<double>(kPackageBytes) / 1e6 / seconds;
}

bool FileHasPackageSize(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && static_cast<size_t>(info.st_size) == kPackageBytes;
}

// Runs `argv` (a program found on PATH or by its path) and waits for it;
// true when it exited with 0.
bool RunProgram(const char* const* argv) {
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ) !=
      0) {
    return false;
  }
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// One `curl -s -o file url` run; false when curl is missing or fails.
bool RunCurl(const std::string& url, const std::string& file) {
  const char* argv[] = {"curl", "-s", "-o", file.c_str(), url.c_str(), nullptr};
  return RunProgram(argv);
}

#ifdef VARNIK_WINDOWS_DOWNLOADER
// The Windows path of a file of the host: Wine's drive Z: is the root.
std::string WinePath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}

// One download by the Windows program under Wine; the transfer's own
// duration in seconds, or 0 when it failed.
double RunWindowsDownload(const std::string& url, const std::string& file,
                          const std::string& result) {
  unlink(result.c_str());
  const std::string wine_file = WinePath(file);
  const std::string wine_result = WinePath(result);
  const char* argv[] = {VARNIK_WINE_RUN, VARNIK_WINE_PREFIX, VARNIK_WINDOWS_DOWNLOADER,
                        url.c_str(), wine_file.c_str(), wine_result.c_str(), nullptr};
  if (!RunProgram(argv)) return 0;
  double milliseconds = 0;
  std::ifstream(result) >> milliseconds;
  return milliseconds / 1000;
}
#endif

}  // namespace

int main() {
  char folder_pattern[] = "/tmp/download_bench.XXXXXX";
  if (mkdtemp(folder_pattern) == nullptr) return 1;
  const std::string folder = folder_pattern;
  const std::string ours_file = folder + "/ours.exe";
  const std::string curl_file = folder + "/curl.exe";
  const std::string wine_file = folder + "/wine.exe";
  const std::string wine_result = folder + "/wine-result.txt";

  testsupport::PackageServer server;
  server.SetPackage(
      std::make_shared<std::string>(testsupport::PackageServer::MakePackageBytes(kPackageBytes)));
  if (!server.Start()) return 1;
  const std::string url = "http://" + server.host_port() + testsupport::PackageServer::kCdnPath;

  double best_ours = 0;
  double best_curl = 0;
  double best_wine = 0;
  bool curl_ran = true;
  for (int round = 0; round < kRounds; ++round) {
#ifdef VARNIK_WINDOWS_DOWNLOADER
    unlink(wine_file.c_str());
    const double wine_seconds = RunWindowsDownload(url, wine_file, wine_result);
    if (wine_seconds > 0 && FileHasPackageSize(wine_file)) {
      best_wine = std::max(best_wine, static_cast<double>(kPackageBytes) / 1e6 / wine_seconds);
    }
#endif
    // Alternate the order so neither side always runs on a warmer cache.
    for (int side = 0; side < 2; ++side) {
      const bool ours = (round + side) % 2 == 0;
      const std::string& file = ours ? ours_file : curl_file;
      unlink(file.c_str());
      const auto start = std::chrono::steady_clock::now();
      bool ok;
      if (ours) {
        ok = platform::DownloadUrlToFile(nbase::Utf8ToUtf16(url), nbase::Utf8ToUtf16(file)) == 0;
      } else {
        ok = RunCurl(url, file);
        curl_ran = curl_ran && ok;
      }
      const auto took = std::chrono::steady_clock::now() - start;
      if (ok && FileHasPackageSize(file)) {
        double rate = MegabytesPerSecond(took);
        (ours ? best_ours : best_curl) = std::max(ours ? best_ours : best_curl, rate);
      } else if (ours) {
        std::fprintf(stderr, "the installer's download failed\n");
        return 1;
      }
    }
  }
  unlink(ours_file.c_str());
  unlink(curl_file.c_str());
  unlink(wine_file.c_str());
  unlink(wine_result.c_str());
  rmdir(folder.c_str());
  server.Stop();

  std::printf("download of %zu MiB from a loopback server, best of %d rounds\n",
              kPackageBytes >> 20, kRounds);
  bench::PrintMetric("download_ours_mb_per_s", best_ours);
  std::printf("  installer download  %8.1f MB/s\n", best_ours);
  if (!curl_ran || best_curl <= 0) {
    std::printf("  curl -o             unavailable (no curl command)\n");
    return 0;
  }
  std::printf("  curl -o             %8.1f MB/s\n", best_curl);
  bench::PrintMetric("download_curl_mb_per_s", best_curl);
  std::printf("  ratio installer/curl %7.2f (aim: 0.95 or more)\n", best_ours / best_curl);
  if (best_wine > 0) {
    bench::PrintMetric("download_wine_mb_per_s", best_wine);
    std::printf("  Windows download under Wine (URLDownloadToFileW) %8.1f MB/s, ratio to curl %.2f\n",
                best_wine, best_wine / best_curl);
  }
  return 0;
}
