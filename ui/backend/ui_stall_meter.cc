#include "ui/backend/ui_stall_meter.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ui {

namespace {

int64_t MonotonicMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// The second field of the thread's schedstat: nanoseconds spent waiting on
// a run queue. Read with one call on a descriptor kept open.
int64_t CoreWaitMicroseconds(int fd) {
  char text[128];
  const ssize_t n = fd < 0 ? -1 : pread(fd, text, sizeof text - 1, 0);
  if (n <= 0) return 0;
  text[n] = '\0';
  unsigned long long on_cpu = 0;
  unsigned long long waiting = 0;
  if (std::sscanf(text, "%llu %llu", &on_cpu, &waiting) != 2) return 0;
  return static_cast<int64_t>(waiting / 1000);
}

void WriteToStandardError(const std::string& line) {
  // One write per line, so lines of other threads never cut into it.
  ssize_t ignored = write(STDERR_FILENO, line.data(), line.size());
  (void)ignored;
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
        schedstat_fd_ = open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
      }
      return CoreWaitMicroseconds(schedstat_fd_);
    };
  }
}

UiStallMeter::~UiStallMeter() {
  if (schedstat_fd_ >= 0) close(schedstat_fd_);
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
