// TerminationSignalWatcher: turns SIGTERM, SIGINT and SIGHUP (the session
// ending, Ctrl+C in a terminal, a closed terminal) into the installer's
// ordinary end: the bounded wait for queued reports, then exit code 0 (see
// exit_process.h).
//
// The signal handler only writes one byte to a close-on-exec pipe; a
// detached watcher thread reads it and ends the process, so nothing unsafe
// runs inside the handler. Handlers fall back to the default on exec, and
// no signal is blocked, so programs the installer starts are unaffected.
#pragma once

namespace app {

class TerminationSignalWatcher {
 public:
  TerminationSignalWatcher() = delete;

  // Installs the handlers and starts the watcher once per process. False
  // when the pipe, the thread or a handler cannot be set up (the signals
  // then keep their default meaning).
  static bool Start();
};

}  // namespace app
