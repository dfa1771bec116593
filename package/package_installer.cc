#include "package/package_installer.h"

#include <string>

#include "base/system_time.h"
#include "base/utf.h"
#include "platform/command_line.h"
#include "platform/path_util.h"
#include "platform/process_launcher.h"
#include "platform/product_identity.h"
#include "report/event_reporter.h"

namespace package {
std::u16string BuildInstallCommandLine(const std::u16string& installer_file,
                                       const std::u16string& install_dir) {
  return platform::QuoteCommandLineArgument(installer_file) + u" /S" + u" /D=" + install_dir;
}

InstallOutcome InstallPackage(const std::u16string& installer_file,
                              const std::u16string& install_dir) {
  InstallOutcome outcome;
  const uint64_t start = nbase::GetTimeMs();
  const std::u16string command_line = BuildInstallCommandLine(installer_file, install_dir);
  int run = 0;
  for (; run < kInstallRuns; ++run) {
    outcome.install_code = platform::RunAndWait(command_line);
    if (outcome.install_code == 0) break;
  }
  outcome.retry_time = run;
  outcome.cost_seconds = nbase::SecondsSinceTimeMs(start);

  report::EventData data;
  data.SetNumber(u"cost", outcome.cost_seconds);
  data.SetNumber(u"ret", outcome.install_code);
  data.SetNumber(u"retryTime", outcome.retry_time);
  report::ReportEvent(u"InstallTimeCost", std::move(data));
  return outcome;
}

std::u16string InstallFailureText(int32_t install_code) {
  return kInstallFailurePrefix + nbase::Utf8ToUtf16(std::to_string(install_code));
}

std::u16string ProductAppPath(const std::u16string& install_dir) {
  return platform::JoinPath(install_dir, platform::kProductAppFileName);
}

std::u16string BuildLaunchCommandLine(const std::u16string& install_dir) {
  return platform::QuoteCommandLineArgument(ProductAppPath(install_dir)) + u" --install";
}

int32_t LaunchApp(const std::u16string& install_dir) {
  return platform::LaunchDetached(BuildLaunchCommandLine(install_dir));
}

}  // namespace package
