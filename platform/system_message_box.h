// The system message box: a plain question or notice outside any skinned
// window (the second-instance question at start-up, the skin loader's
// error). Callers stay platform-neutral. Windows has the box itself
// (MessageBoxW), used unless boxes are installed; on Linux start-up installs
// a chain of boxes (SetSystemMessageBoxFunctions) - the toolkit's own, then
// the desktop's dialog programs, then a window of the installer's own - and
// tests may install their own answerer.
//
// Promises: ShowSystemMessageBox tries the installed boxes in order until
// one could be shown, blocks until the user answers it and returns the
// answer (kAnswerOk, kAnswerCancel, kAnswerRetry). Closing the box without
// a button counts as kAnswerCancel. kAnswerNone means no box could be shown
// (none of the chain, no box on this system, or no display): callers treat
// it as the most cautious answer. Call on the UI thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
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

// The most boxes a chain holds.
inline constexpr size_t kMaxSystemMessageBoxes = 4;

// Installs the chain, tried in the given order (an empty list: none; more
// than kMaxSystemMessageBoxes: the first ones). Any thread; takes effect for
// the next box.
void SetSystemMessageBoxFunctions(std::initializer_list<SystemMessageBoxFunction> functions);
// A chain of one box (null: none).
void SetSystemMessageBoxFunction(SystemMessageBoxFunction function);

// The system's own box: MessageBoxW on Windows, owned by no window and
// topmost; kAnswerNone on Linux, which has no box below the UI backend.
int32_t ShowNativeMessageBox(std::u16string_view text, std::u16string_view caption, int32_t type);

// Shows the question through the first box of the chain that can show it,
// or through the system's own box when no chain is installed. When none
// could (each answered kAnswerNone) the texts go to the diagnostic output
// and the answer is kAnswerNone.
int32_t ShowSystemMessageBox(std::u16string_view text, std::u16string_view caption, int32_t type);

}  // namespace platform
