// The installer's configuration: where the product goes, where the package
// is downloaded to and from, and the channel of this build. Computed once,
// on the UI thread, by the main window's constructor; afterwards only
// install_dir changes (the user's choice of folder).
//
// This header includes nothing above platform/, so the window layer may use
// it while the arrows stay one-way.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/thread_ids.h"

namespace app {

// Appended to the program-files folder, or to a folder the user picks.
inline constexpr char16_t kInstallDirSuffix[] = u"zorv/dudIdiruvovo";
// Appended to the application-data folder: the first download folder.
inline constexpr char16_t kDownloadDirSuffix[] = u"zorv/DudIdiruvovo/Files";
inline constexpr char16_t kPackageFileName[] = u"DudIdiruvovoInstaller.exe";
inline constexpr char16_t kDefaultChannel[] = u"default";
inline constexpr char16_t kUpgradeChannel[] = u"upgrade";
inline constexpr char16_t kPackagePathAndQuery[] = u"/caller?c=site&a=downloadPackage&coopcom=zorv";
inline constexpr char16_t kChannelQuery[] = u"&channel=";

class InstallerConfig {
 public:
  std::u16string package_url;
  // Ends with exactly one separator; both are empty when the candidate list
  // names no folder at all.
  std::u16string download_dir;
  std::u16string installer_file;  // download_dir + kPackageFileName
  std::u16string install_dir;
  std::u16string channel;
  bool existing_install = false;

  // Computes every value in this order, with the side effects that belong to
  // it: install folder, channel (from the executable's resource, "default"
  // when missing), the InstallerChannel record (unless the channel is
  // "upgrade" or empty), an earlier installation from InstallerPath, the
  // package address, and the first usable download folder (created on disk).
  static InstallerConfig Compute();

  // The same with the channel resource given: `channel_found` false stands
  // for a missing resource.
  static InstallerConfig ComputeWithChannel(bool channel_found, std::u16string channel);

  // Compute() for the start-up, whose window should not wait for a disk: the
  // InstallerChannel record is written by a task posted to `writer` (at once,
  // on this thread, when that thread is not there).
  static InstallerConfig ComputeWritingOn(nbase::ThreadId writer);

  // The download folder candidates in the order they are tried: the
  // application-data folder + kDownloadDirSuffix, the desktop, and the two
  // temporary folders of the system ("d:\Temp" and "c:\Temp" on Windows;
  // on Linux the user's private folders under /var/tmp and /tmp, where a
  // refused private folder stays in the list as an empty, never usable,
  // entry).
  static std::vector<std::u16string> DownloadDirCandidates();

  // The first usable candidate. When none is usable the list is not tried
  // again: the last non-empty candidate is taken, so the download fails
  // there with a clear file error instead of the installer hanging at start;
  // empty when every entry is empty.
  static std::u16string ChooseDownloadDir(const std::vector<std::u16string>& candidates);

  // "http://" + host + kPackagePathAndQuery + kChannelQuery + channel, the
  // channel appended as it is.
  static std::u16string BuildPackageUrl(std::u16string_view host, std::u16string_view channel);

  // A folder the user picked, made into an installation folder.
  static std::u16string InstallDirFor(std::u16string_view folder);

 private:
  // Compute's work; the channel record is written on `*writer` when given.
  static InstallerConfig Build(bool channel_found, std::u16string channel,
                               const nbase::ThreadId* writer);
};

}  // namespace app
