#include "package/progress_tracker.h"

#include <algorithm>

#include "base/string_util.h"

namespace package {

std::optional<ProgressView> ProgressTracker::Update(InstallStage stage, int32_t value,
                                                    uint32_t now_ms, int32_t download_share) {
  switch (stage) {
    case InstallStage::kWelcome:
    case InstallStage::kInstalled:
    case InstallStage::kDownloadFailed:
    case InstallStage::kWaitingForApp:
    case InstallStage::kInstallFailed:
      return std::nullopt;
    default:
      break;
  }
  ProgressView view;
  if (value != 0) {
    if (value == kProgressDownloadStart) {
      download_start_ms_ = now_ms;
      slow_hint_shown_ = false;
    }
    progress_ = value;  // Explicit values are taken as they are.
  } else {
    if (stage == InstallStage::kDownloading) {
      if (!slow_hint_shown_ &&
          static_cast<uint32_t>(now_ms - download_start_ms_) > kSlowHintAfterMs) {
        view.show_slow_hint = true;
        slow_hint_shown_ = true;
      }
      progress_ = std::min(download_share, kProgressDownloadDone);
    } else {
      progress_ += progress_ <= 950 ? 3 : 2;
    }
    progress_ = std::min(progress_, 999);
  }
  view.bar_value = progress_ / 10;
  view.label = LabelFor(progress_);
  return view;
}

std::u16string ProgressTracker::LabelFor(int32_t progress) {
  return nbase::FormatText(progress > kProgressDownloadDone ? kInstallingLabel : kDownloadingLabel,
                           {progress / 10.0});
}

}  // namespace package
