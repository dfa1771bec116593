// Posts as many reports as its argument says to the loopback server named by
// VARNIK_SERVER_HOST, then ends through the installer's own exit path, so a
// test can see which of them the bounded wait let through.
#include <cstdlib>

#include "app/exit_process.h"
#include "base/misc_thread.h"
#include "base/thread_ids.h"
#include "report/event_reporter.h"

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 0;
  nbase::MiscThread http_thread(nbase::kThreadHttp, "http Thread");
  if (!http_thread.Start()) return 3;
  report::GatherReportProperties(std::u16string(u"probe"));
  for (int i = 0; i < count; ++i) {
    report::EventData data;
    data.SetNumber(u"index", i);
    report::ReportEvent(u"Probe", std::move(data));
  }
  app::ExitProcessAfterFlush();
}
