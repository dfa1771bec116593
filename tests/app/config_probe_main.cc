// Prints the installer's configuration, one "name=value" line each (UTF-8),
// so tests can run it as a real executable carrying a real resource table.
#include <cstdio>

#include "app/installer_config.h"
#include "base/utf.h"

int main() {
  app::InstallerConfig config = app::InstallerConfig::Compute();
  auto print = [](const char* name, const std::u16string& value) {
    std::printf("%s=%s\n", name, nbase::Utf16ToUtf8(value).c_str());
  };
  print("package_url", config.package_url);
  print("download_dir", config.download_dir);
  print("installer_file", config.installer_file);
  print("install_dir", config.install_dir);
  print("channel", config.channel);
  std::printf("existing_install=%d\n", config.existing_install ? 1 : 0);
  return 0;
}
