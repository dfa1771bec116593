// The system message box: a plain question or notice outside any skinned
// window (the second-instance question at start-up, the skin loader's
// error). Callers stay platform-neutral. Windows has the box itself
// (MessageBoxW), used unless a function is installed; on Linux the UI
// backend installs the real box at start-up (SetSystemMessageBoxFunction).
// Tests may install their own answerer.
//
// Promises: ShowSystemMessageBox blocks until the user answers and returns
// the answer (kAnswerOk, kAnswerCancel, kAnswerRetry). Closing the box
// without a button counts as kAnswerCancel. kAnswerNone means no box could
// be shown (no box on this system, or no display): callers treat it as the
// most cautious answer. Call on the UI thread.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Button sets and icon, as the type argument (values of the original API).
inline constexpr int32_t kMessageBoxOk = 0x0;
inline constexpr int32_t kMessageBoxRetryCancel = 0x5;
inline constexpr int32_t kMessageBoxButtonMask = 0xF;
inline constexpr int32_t kMessageBoxIconError = 0x10;

inline constexpr int32_t kAnswerNone = 0;
inline constexpr int32_t kAnswerOk = 1;
inline constexpr int32_t kAnswerCancel = 2;
inline constexpr int32_t kAnswerRetry = 4;

// The box on this system; texts are UTF-16, `type` a button set plus icon.
using SystemMessageBoxFunction = int32_t (*)(std::u16string_view text, std::u16string_view caption,
                                             int32_t type);

// Installs the box (null: none). Any thread; takes effect for the next box.
void SetSystemMessageBoxFunction(SystemMessageBoxFunction function);

// The system's own box: MessageBoxW on Windows, owned by no window and
// topmost; kAnswerNone on Linux, which has no box below the UI backend.
int32_t ShowNativeMessageBox(std::u16string_view text, std::u16string_view caption, int32_t type);

// Shows the box through the installed function, or the system's own box
// when none is installed. When no box could be shown (the answer is
// kAnswerNone) the texts go to the diagnostic output.
int32_t ShowSystemMessageBox(std::u16string_view text, std::u16string_view caption, int32_t type);

}  // namespace platform
