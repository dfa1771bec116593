// The share of the current package transfer, on a scale of 0 to 900, as one
// process-wide atomic integer: written by the download on the worker
// thread, read by the progress display on the UI thread without a lock. It
// starts at 0 and is never reset; a new transfer simply overwrites it.
#pragma once

#include <cstdint>

namespace package {

// Records a progress report of the transfer: 1 while the total is unknown
// (0), else done * 900 / total, truncated toward zero (a complete transfer
// gives 900). Any thread.
void RecordDownloadProgress(uint64_t done, uint64_t total);

// The last recorded share. Any thread.
int32_t DownloadProgressShare();

}  // namespace package
