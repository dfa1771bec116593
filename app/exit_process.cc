#include "app/exit_process.h"

#include <cstdio>
#include <cstdlib>

#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "report/event_reporter.h"

namespace app {

void ExitProcessAfterFlush() {
  // On thread 6 the wait could never end early: the queue it waits for is
  // its own.
  if (nbase::ThreadRegistry::CurrentThreadId() != nbase::kThreadHttp) {
    report::FlushPendingReports(kReportFlushBound);
  }
  std::fflush(nullptr);
  // No destructors, no exit handlers: work left on the workers is dropped.
  std::_Exit(0);
}

}  // namespace app
