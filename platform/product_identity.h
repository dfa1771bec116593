// The product the installer installs, as every layer names it: its display
// name (shown on the pages and in questions, and looked for in the list of
// installed programs) and the file name of its program (looked for in an
// earlier installation folder and among the running processes, and started
// after the installation). Defined here once, below every user.
#pragma once

namespace platform {

inline constexpr char16_t kProductDisplayName[] = u"VarnikPDF转换器";
inline constexpr char16_t kProductAppFileName[] = u"vidIvurodezirarod.exe";

}  // namespace platform
