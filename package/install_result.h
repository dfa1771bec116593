// The end of the flow: the records written after a successful installation,
// the reason line of the failure page, and the "InstallResultReport" event
// of either outcome. The window switches pages and raises itself around
// these calls; nothing here touches a window.
#pragma once

#include <cstdint>
#include <string>

namespace package {

inline constexpr char16_t kReasonLinePrefix[] = u"失败原因：";
inline constexpr char16_t kDownloadReasonEnding[] = u"(下载)";
inline constexpr char16_t kInstallReasonEnding[] = u"(安装)";

enum class FailureKind { kDownload, kInstall };

// InstallerChannel = `channel`, InstallerPath = `install_dir`; failures are
// ignored. The writes wait for the disk: call them off the UI thread.
void WriteInstallRecords(const std::u16string& channel, const std::u16string& install_dir);

// "InstallResultReport" with "result" = "success".
void ReportInstallSucceeded();

// "InstallResultReport" with "result" = "faild" and "errorMsg" = the text.
void ReportInstallFailed(const std::u16string& failure_text);

// The system's text for a code of a download or an installation run, on one
// line: errno-style texts, the download service's own texts, or empty for a
// code that has none (for example a package's own exit code).
std::u16string ErrorCodeText(int32_t code);

// "失败原因：" + ErrorCodeText(code) + "(下载)" or "(安装)", on one line.
std::u16string FailureReasonLine(int32_t code, FailureKind kind);

}  // namespace package
