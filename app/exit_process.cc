#include "app/exit_process.h"

#include <unistd.h>

#include <cstdio>

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
  _exit(0);
}

}  // namespace app
