#include "ui/backend/ui_stall_meter.h"

#ifdef __linux__
#include <fcntl.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ui {

namespace {

int64_t MonotonicMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The calling thread's schedstat, opened for CoreWaitMicroseconds; -1
// where the system has none.
int OpenThreadSchedstat() {
#ifdef __linux__
  return open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
#else
  return -1;
#endif
}

void CloseThreadSchedstat(int fd) {
#ifdef __linux__
  if (fd >= 0) close(fd);
#else
  (void)fd;
#endif
}

// The second field of the thread's schedstat: nanoseconds spent waiting on
// a run queue. Read with one call on a descriptor kept open; 0 where the
// system does not say.
int64_t CoreWaitMicroseconds(int fd) {
#ifndef __linux__
  (void)fd;
  return 0;
#else
  char text[128];
  const ssize_t n = fd < 0 ? -1 : pread(fd, text, sizeof text - 1, 0);
  if (n <= 0) return 0;
  text[n] = '\0';
  unsigned long long on_cpu = 0;
  unsigned long long waiting = 0;
  if (std::sscanf(text, "%llu %llu", &on_cpu, &waiting) != 2) return 0;
  return static_cast<int64_t>(waiting / 1000);
#endif
}

void WriteToStandardError(const std::string& line) {
  // One call per line on the unbuffered stream, so lines of other threads
  // never cut into it.
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace

bool UiStallMeter::IsEnabledByEnvironment() {
  const char* value = std::getenv(kVariable);
  return value && std::strcmp(value, "1") == 0;
}

UiStallMeter::UiStallMeter(Sink sink, Clock clock, int64_t period_us, Clock core_wait)
    : sink_(sink ? std::move(sink) : Sink(&WriteToStandardError)),
      clock_(clock ? std::move(clock) : Clock(&MonotonicMicroseconds)),
      period_us_(period_us),
      core_wait_(std::move(core_wait)) {
  if (!core_wait_) {
    // Opened lazily: "thread-self" must be the pump's thread, the one that
    // calls Responsive and Resumed.
    core_wait_ = [this] {
      if (schedstat_fd_ < 0) {
        schedstat_fd_ = OpenThreadSchedstat();
      }
      return CoreWaitMicroseconds(schedstat_fd_);
    };
  }
}

UiStallMeter::~UiStallMeter() {
  CloseThreadSchedstat(schedstat_fd_);
}

void UiStallMeter::Responsive() {
  const int64_t now = clock_();
  const int64_t waited = core_wait_();
  if (mark_us_ >= 0) {
    const int64_t stretch = now - mark_us_;
    if (stretch > longest_us_) longest_us_ = stretch;
    const int64_t own = stretch - (waited - mark_wait_us_);
    if (own > longest_own_us_) longest_own_us_ = own;
    ++stretches_;
    MaybeWriteLine(now);
  }
  mark_us_ = now;
  mark_wait_us_ = waited;
}

void UiStallMeter::Resumed() {
  const int64_t now = clock_();
  // Stretches measured before a wait are written on the first wake-up after
  // the period, so the last busy moments before an idle time are not lost.
  if (stretches_ > 0) MaybeWriteLine(now);
  mark_us_ = now;
  mark_wait_us_ = core_wait_();
}

void UiStallMeter::MaybeWriteLine(int64_t now) {
  if (last_line_us_ < 0) last_line_us_ = now - period_us_;  // the first stretch reports at once
  if (now - last_line_us_ < period_us_) return;
  char line[128];
  std::snprintf(line, sizeof line, "ui-stall at=%.3f longest=%.3f stretches=%lld own=%.3f\n",
                now / 1000.0, longest_us_ / 1000.0, static_cast<long long>(stretches_),
                longest_own_us_ / 1000.0);
  sink_(line);
  last_line_us_ = now;
  longest_us_ = 0;
  longest_own_us_ = 0;
  stretches_ = 0;
}

}  // namespace ui
