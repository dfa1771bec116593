// TerminationSignalWatcher: turns the system's requests to end the program
// (SIGTERM, SIGINT and SIGHUP on Linux; the console's control events on
// Windows; see platform/termination_requests.h) into the installer's
// ordinary end: the bounded wait for queued reports, then exit code 0 (see
// exit_process.h).
#pragma once

namespace app {

class TerminationSignalWatcher {
 public:
  TerminationSignalWatcher() = delete;

  // Starts the watch once per process. False when it cannot be set up (the
  // requests then keep their default meaning).
  static bool Start();
};

}  // namespace app
