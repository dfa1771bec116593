#include "package/download_progress.h"

#include <atomic>

namespace package {
namespace {

std::atomic<int32_t> download_progress{0};

}  // namespace

void RecordDownloadProgress(uint64_t done, uint64_t total) {
  if (total == 0) {
    download_progress.store(1);
    return;
  }
  double share = static_cast<double>(done) * 900.0 / static_cast<double>(total);
  // A server that sends more than it announced must not push the share past
  // any value the display can show; the display caps it at 900 as well.
  if (share > 2147483647.0) share = 2147483647.0;
  download_progress.store(static_cast<int32_t>(share));
}

int32_t DownloadProgressShare() { return download_progress.load(); }

}  // namespace package
