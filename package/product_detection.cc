#include "package/product_detection.h"

#include <cstring>
#include <string>

#include "package/package_installer.h"
#include "platform/debug_output.h"
#include "platform/file_system.h"
#include "platform/product_identity.h"
#include "platform/reg_key.h"
#include "platform/registry.h"

namespace package {
namespace {

// Reads a text value into a zeroed budget of kDisplayNameBudgetBytes; false
// when it is absent or does not fit.
bool ReadText(const platform::RegKey& key, const char16_t* name, std::u16string* text) {
  char16_t buffer[kDisplayNameBudgetBytes / 2] = {};
  uint32_t bytes = sizeof(buffer);
  if (key.QueryValue(name, nullptr, buffer, &bytes) != 0) return false;
  // The budget is zeroed, so an unterminated value still ends within it
  // unless it fills the budget completely.
  size_t units = 0;
  while (units < kDisplayNameBudgetBytes / 2 && buffer[units] != 0) ++units;
  text->assign(buffer, units);
  return true;
}

}  // namespace

bool IsProductInstalled() {
  const std::u16string folder =
      platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerPathValue);
  if (!folder.empty() && platform::PathExists(ProductAppPath(folder))) return true;
  if (FindUninstallEntry(0)) return true;
  return FindUninstallEntry(platform::kKeyWow64_64Key);
}

bool FindUninstallEntry(uint32_t view_flag) {
  platform::RegKey uninstall;
  const uint32_t access = platform::kKeyRead | view_flag;
  if (uninstall.Open(platform::RegRoot::kLocalMachine, platform::kUninstallKeyPath, access) != 0) {
    return false;
  }
  for (uint32_t index = 0;; ++index) {
    std::u16string name;
    if (uninstall.EnumKey(index, &name) != 0) return false;
    if (name.size() > platform::kMaxKeyNameUnits) continue;
    platform::DebugOutput(name);
    bool match = false;
    platform::RegKey entry;
    if (entry.Open(uninstall, name, access) == 0) {
      std::u16string display_name;
      if (ReadText(entry, u"DisplayName", &display_name)) {
        match = display_name.find(platform::kProductDisplayName) != std::u16string::npos;
        platform::DebugOutput(display_name);
      }
    }
    platform::DebugOutput(u"\n");
    if (match) {
      // The entry's other facts are read as the original did; only the
      // display name decides.
      std::u16string scratch;
      ReadText(entry, u"InstallLocation", &scratch);
      ReadText(entry, u"Publisher", &scratch);
      ReadText(entry, u"InstallDate", &scratch);
      ReadText(entry, u"DisplayVersion", &scratch);
      uint32_t size = 0;
      uint32_t bytes = sizeof(size);
      entry.QueryValue(u"EstimatedSize", nullptr, &size, &bytes);
      return true;
    }
  }
}

}  // namespace package
