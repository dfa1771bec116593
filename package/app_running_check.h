// The test whether the product application runs before the package is run
// over it, and the question the window asks when it does. The window shows
// the question; these calls only look and, when told, end the application.
#pragma once

#include <cstdint>
#include <string>

namespace package {

inline constexpr char16_t kAppRunningQuestionPattern[] =
    u"应用程序 \"%s\" 正在运行，是否强制关闭？";
inline constexpr char16_t kAppRunningTitle[] = u"提示";
inline constexpr char16_t kRetryButtonText[] = u"重试";
inline constexpr char16_t kForceCloseButtonText[] = u"强制关闭";

// The question's content with the product's display name filled in.
std::u16string AppRunningQuestion();

// How many instances of the product application run now.
int32_t CountRunningProductApps();

// Ends every running instance of the product application (SIGKILL) and
// waits until they are gone, at most `max_wait_ms`. Returns how many were
// found; instances that may not be ended are counted and left running.
int32_t ForceCloseProductApps(uint32_t max_wait_ms = 100);

}  // namespace package
