#include "package/install_result.h"

#include "base/string_util.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/url_download.h"
#include "report/event_reporter.h"

namespace package {

void WriteInstallRecords(const std::u16string& channel, const std::u16string& install_dir) {
  platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerChannelValue, channel);
  platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue, install_dir);
}

void ReportInstallSucceeded() {
  report::ReportEvent(u"InstallResultReport", report::EventData{{u"result", u"success"}});
}

void ReportInstallFailed(const std::u16string& failure_text) {
  report::ReportEvent(u"InstallResultReport",
                      report::EventData{{u"result", u"faild"}, {u"errorMsg", failure_text}});
}

std::u16string ErrorCodeText(int32_t code) {
  std::u16string text = platform::DownloadErrorText(code);
  if (text.empty()) text = platform::SystemErrorText(code);
  nbase::ReplaceAll(text, u"\r", u"");
  nbase::ReplaceAll(text, u"\n", u"");
  return text;
}

std::u16string FailureReasonLine(int32_t code, FailureKind kind) {
  return kReasonLinePrefix + ErrorCodeText(code) +
         (kind == FailureKind::kDownload ? kDownloadReasonEnding : kInstallReasonEnding);
}

}  // namespace package
