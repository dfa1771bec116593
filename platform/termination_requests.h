// Requests from outside the program to end it, turned into one ordinary
// call: on Linux the signals SIGTERM, SIGINT and SIGHUP (the session ending,
// Ctrl+C in a terminal, a closed terminal); on Windows the console's control
// events (Ctrl+C, Ctrl+Break, a closed console, log-off, shut-down).
//
// The handler runs on a thread of its own, never inside a signal handler,
// once per request; it is expected to end the process. On Linux the signal
// handler only writes one byte to a close-on-exec pipe that a detached
// watcher thread reads; handlers fall back to the default on exec and no
// signal is blocked, so programs the installer starts are unaffected.
#pragma once

namespace platform {

using TerminationHandler = void (*)();

// Starts watching once per process; later calls do nothing and give the
// first result. False when the watch cannot be set up (the requests then
// keep the system's default meaning).
bool WatchTerminationRequests(TerminationHandler handler);

}  // namespace platform
