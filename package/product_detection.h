// Whether the product is installed on this machine: from the installer's own
// record (InstallerPath holding the product application) or from the
// machine's list of installed programs in either of its two views. Reads the
// registry and the file system at every call; keeps no state.
#pragma once

#include <cstdint>

namespace package {

// A DisplayName longer than this many bytes (UTF-16 with its terminator)
// does not fit the read and counts as no match.
inline constexpr uint32_t kDisplayNameBudgetBytes = 512;

// True when InstallerPath names a folder holding the product application,
// or FindUninstallEntry finds the product in the default view, or in the
// 64-bit view (platform::kKeyWow64_64Key), tested in that order.
bool IsProductInstalled();

// True when an entry of the installed-program list in the view `view_flag`
// (0 or platform::kKeyWow64_64Key) has a DisplayName that contains the
// product's display name. Entries that cannot be read are skipped.
bool FindUninstallEntry(uint32_t view_flag);

}  // namespace package
