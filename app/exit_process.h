// The end of the installer: every close of the main window (its own
// buttons, the window manager's close, Alt+F4) and the session's
// termination signals end the process here, with exit code 0, at once.
//
// Reports posted just before the close (the exit-retention answers) are
// still in the "http Thread"'s queue at that moment. ExitProcessAfterFlush
// waits for them, but never longer than kReportFlushBound: long enough for
// a few reports to a reachable server on an ordinary connection, short
// enough that a window that was asked to close does not seem to hang when
// the server is slow or unreachable. Then the process ends without
// destructors or worker shutdown: tasks left on the workers are dropped, and
// a package that was already started keeps running on its own.
#pragma once

#include <chrono>

namespace app {

inline constexpr std::chrono::milliseconds kReportFlushBound{2000};

// Callable from any thread but the "http Thread" (there it skips the wait).
[[noreturn]] void ExitProcessAfterFlush();

}  // namespace app
