#include "app/installer_config.h"

#include "base/thread_registry.h"
#include "platform/embedded_resources.h"
#include "platform/file_system.h"
#include "platform/path_util.h"
#include "platform/product_hosts.h"
#include "platform/product_identity.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"

namespace app {

InstallerConfig InstallerConfig::Compute() {
  std::u16string channel;
  bool found = platform::ReadChannel(&channel);
  return ComputeWithChannel(found, std::move(channel));
}

InstallerConfig InstallerConfig::ComputeWithChannel(bool channel_found, std::u16string channel) {
  return Build(channel_found, std::move(channel), nullptr);
}

InstallerConfig InstallerConfig::ComputeWritingOn(nbase::ThreadId writer) {
  std::u16string channel;
  const bool found = platform::ReadChannel(&channel);
  return Build(found, std::move(channel), &writer);
}

InstallerConfig InstallerConfig::Build(bool channel_found, std::u16string channel,
                                       const nbase::ThreadId* writer) {
  InstallerConfig config;
  config.install_dir = InstallDirFor(platform::GetSpecialFolder(platform::kCsidlProgramFilesX86));

  config.channel = channel_found ? std::move(channel) : std::u16string(kDefaultChannel);
  if (config.channel != kUpgradeChannel && !config.channel.empty()) {
    auto write = [channel = config.channel] {
      platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerChannelValue, channel);
    };
    if (!writer || !nbase::ThreadRegistry::PostTask(*writer, write)) write();
  }

  std::u16string earlier =
      platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerPathValue);
  if (!earlier.empty()) {
    // An earlier folder wins even when the product's files are gone; only the
    // flag tells whether they are still there.
    config.install_dir = earlier;
    config.existing_install =
        platform::PathExists(platform::JoinPath(earlier, platform::kProductAppFileName));
  }

  config.package_url = BuildPackageUrl(platform::GetSiteHost(), config.channel);

  // Without any folder both stay empty and the download fails with its own
  // code; an empty folder must never become the root folder.
  const std::u16string folder = ChooseDownloadDir(DownloadDirCandidates());
  if (!folder.empty()) {
    config.download_dir = platform::WithTrailingSeparator(folder);
    config.installer_file = config.download_dir + kPackageFileName;
  }
  return config;
}

std::vector<std::u16string> InstallerConfig::DownloadDirCandidates() {
  std::vector<std::u16string> candidates = {
      platform::JoinPath(platform::GetSpecialFolder(platform::kCsidlAppData), kDownloadDirSuffix),
      platform::GetSpecialFolder(platform::kCsidlDesktop),
  };
  for (std::u16string& temp : platform::GetTempFolderCandidates()) {
    candidates.push_back(std::move(temp));
  }
  return candidates;
}

std::u16string InstallerConfig::ChooseDownloadDir(const std::vector<std::u16string>& candidates) {
  for (const std::u16string& candidate : candidates) {
    if (!candidate.empty() && platform::IsUsableDownloadDir(candidate)) return candidate;
  }
  // None is usable: the last real candidate is taken, so the download fails
  // there with a clear file error. A refused (empty) entry names no folder.
  for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
    if (!it->empty()) return *it;
  }
  return std::u16string();
}

std::u16string InstallerConfig::BuildPackageUrl(std::u16string_view host,
                                                std::u16string_view channel) {
  std::u16string url = u"http://";
  url += host;
  url += kPackagePathAndQuery;
  url += kChannelQuery;
  url += channel;
  return url;
}

std::u16string InstallerConfig::InstallDirFor(std::u16string_view folder) {
  return platform::JoinPath(folder, kInstallDirSuffix);
}

}  // namespace app
