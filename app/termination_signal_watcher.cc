#include "app/termination_signal_watcher.h"

#include "app/exit_process.h"
#include "platform/termination_requests.h"

namespace app {

bool TerminationSignalWatcher::Start() {
  return platform::WatchTerminationRequests(&ExitProcessAfterFlush);
}

}  // namespace app
