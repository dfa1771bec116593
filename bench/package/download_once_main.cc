// varnik_download_once: one download through the installer's Windows
// download service (URLDownloadToFileW), for the download benchmark, which
// runs it under Wine beside `curl -o` on the host.
//
//   varnik_download_once URL FILE RESULT
//
// Downloads URL into FILE and writes the transfer's own duration in
// milliseconds to RESULT (the program's and Wine's start-up are not in it).
// Exit code 0 on success, 1 on a usage error, 2 when the download failed.
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/url_download.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: varnik_download_once URL FILE RESULT\n");
    return 1;
  }
  auto text = [](const wchar_t* wide) {
    return std::u16string(reinterpret_cast<const char16_t*>(wide));
  };
  const auto start = std::chrono::steady_clock::now();
  const int32_t code = platform::DownloadUrlToFile(text(argv[1]), text(argv[2]));
  const double milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (code != 0) {
    std::fprintf(stderr, "download failed: %08x\n", static_cast<unsigned>(code));
    return 2;
  }
  FILE* result = _wfopen(argv[3], L"w");
  if (result == nullptr) return 2;
  std::fprintf(result, "%.3f\n", milliseconds);
  return std::fclose(result) == 0 ? 0 : 2;
}
