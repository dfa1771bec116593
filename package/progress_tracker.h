// The installation page's progress display as numbers: what the bar and its
// label show at each turning point of the flow and at each 200 ms tick. It
// holds the progress in tenths of a percent and the slow-download clock; the
// window applies the returned view to its controls. UI thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "package/install_stage.h"

namespace package {

inline constexpr char16_t kDownloadingLabel[] = u"正在下载，请不要关闭：%0.1f%%";
inline constexpr char16_t kInstallingLabel[] = u"下载完成，正在安装，请不要关闭：%0.1f%%";

// The value a download starts the display with, and the one a finished
// download sets (both explicit values of Update).
inline constexpr int32_t kProgressDownloadStart = 10;
inline constexpr int32_t kProgressDownloadDone = 900;
// After this long in a download the slow-download hint appears.
inline constexpr uint32_t kSlowHintAfterMs = 10000;

struct ProgressView {
  int32_t bar_value = 0;        // The bar's value, 0..100.
  std::u16string label;         // The text under the bar.
  bool show_slow_hint = false;  // Make the slow-download hint visible now.
};

class ProgressTracker {
 public:
  // One step of the display. `value` is 0 for a tick or an explicit
  // progress in tenths of a percent; `now_ms` is the millisecond tick;
  // `download_share` the transfer's share (download_progress.h). Nothing
  // changes, and nullopt comes back, in the stages that leave the display
  // alone (welcome, installed, both failures, waiting for the application).
  std::optional<ProgressView> Update(InstallStage stage, int32_t value, uint32_t now_ms,
                                     int32_t download_share);

  int32_t progress() const { return progress_; }
  bool slow_hint_shown() const { return slow_hint_shown_; }

  // The label for a progress in tenths of a percent.
  static std::u16string LabelFor(int32_t progress);

 private:
  int32_t progress_ = 0;
  uint32_t download_start_ms_ = 0;
  bool slow_hint_shown_ = false;
};

}  // namespace package
