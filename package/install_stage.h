// The flow stage of the installer's main window. The window owns and
// changes it; the package logic reads it to decide what the progress display
// does (progress_tracker.h).
#pragma once

#include <cstdint>

namespace package {

enum class InstallStage : int32_t {
  kWelcome = 0,
  kDownloading = 1,
  kInstalling = 2,
  kInstalled = 3,
  kDownloadFailed = 4,
  kWaitingForApp = 5,
  kInstallFailed = 6,
  kRetention = 7,
};

}  // namespace package
