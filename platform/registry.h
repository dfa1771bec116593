// The installer's per-user registry key and the two string calls the layers
// use on it. Both work under the current user's root (reg_key.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

inline constexpr char16_t kAppInfoKey[] = u"Software\\Zorv\\dudidiruvovo\\AppInfo";
inline constexpr char16_t kInstallerChannelValue[] = u"InstallerChannel";
inline constexpr char16_t kInstallerPathValue[] = u"InstallerPath";
inline constexpr char16_t kUniqueIdValue[] = u"UniqueId";

// The budget a string read gets: 260 UTF-16 units including the terminator.
inline constexpr uint32_t kRegStringBudgetBytes = 520;

// The bytes of a REG_SZ value: UTF-16LE with the terminating NUL.
std::string EncodeRegSz(std::u16string_view text);

// Stores `value` as REG_SZ with its terminating NUL ((length + 1) * 2
// bytes), opening or creating the key. 0 on success, 1 on any failure.
int32_t WriteRegString(std::u16string_view key, std::u16string_view name,
                       std::u16string_view value);

// The value's text up to its first NUL, read within kRegStringBudgetBytes;
// the value's type is not looked at. Empty on any failure, also when the
// value is longer than the budget.
std::u16string ReadRegString(std::u16string_view key, std::u16string_view name);

}  // namespace platform
