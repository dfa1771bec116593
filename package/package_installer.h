// The silent run of the downloaded package into the installation folder, up
// to three runs, and the start of the installed product afterwards. The
// runs happen on the misc worker thread and block it until the package
// exits (there is no time limit); "InstallTimeCost" is reported at the end.
#pragma once

#include <cstdint>
#include <string>

namespace package {

inline constexpr int kInstallRuns = 3;
inline constexpr char16_t kInstallFailurePrefix[] = u"Install Faild errorCode:";

struct InstallOutcome {
  int32_t install_code = 0;  // 0, the package's exit code, a start error or -10002.
  int32_t retry_time = 0;    // Failed runs before the success; 3 when all failed.
  int64_t cost_seconds = 0;
};

// The package path, " /S", " /D=" and the folder. The package path is quoted
// when it holds a blank, a tab or a double quote (an unquoted path with a
// blank would start the wrong program); the folder follows "/D=" unquoted
// as the last part, because the package takes everything after "/D=" to the
// end of the text as the folder.
std::u16string BuildInstallCommandLine(const std::u16string& installer_file,
                                       const std::u16string& install_dir);

// Runs the package up to kInstallRuns times until one exits with 0, then
// reports "InstallTimeCost". Worker thread.
InstallOutcome InstallPackage(const std::u16string& installer_file,
                              const std::u16string& install_dir);

// kInstallFailurePrefix + the code in signed decimal.
std::u16string InstallFailureText(int32_t install_code);

// The product application in the installation folder.
std::u16string ProductAppPath(const std::u16string& install_dir);

// The application's path (quoted when needed, as above) and " --install".
std::u16string BuildLaunchCommandLine(const std::u16string& install_dir);

// Starts the installed product with "--install", detached from the
// installer. The result (0 or a start error) is for diagnostics only; the
// window closes either way.
int32_t LaunchApp(const std::u16string& install_dir);

}  // namespace package
