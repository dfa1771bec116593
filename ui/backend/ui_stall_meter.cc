#include "ui/backend/ui_stall_meter.h"

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

UiStallMeter::UiStallMeter(Sink sink, Clock clock, int64_t period_us)
    : sink_(sink ? std::move(sink) : Sink(&WriteToStandardError)),
      clock_(clock ? std::move(clock) : Clock(&MonotonicMicroseconds)),
      period_us_(period_us) {}

void UiStallMeter::Responsive() {
  const int64_t now = clock_();
  if (mark_us_ >= 0) {
    const int64_t stretch = now - mark_us_;
    if (stretch > longest_us_) longest_us_ = stretch;
    ++stretches_;
    MaybeWriteLine(now);
  }
  mark_us_ = now;
}

void UiStallMeter::Resumed() {
  const int64_t now = clock_();
  // Stretches measured before a wait are written on the first wake-up after
  // the period, so the last busy moments before an idle time are not lost.
  if (stretches_ > 0) MaybeWriteLine(now);
  mark_us_ = now;
}

void UiStallMeter::MaybeWriteLine(int64_t now) {
  if (last_line_us_ < 0) last_line_us_ = now - period_us_;  // the first stretch reports at once
  if (now - last_line_us_ < period_us_) return;
  char line[128];
  std::snprintf(line, sizeof line, "ui-stall at=%.3f longest=%.3f stretches=%lld\n", now / 1000.0,
                longest_us_ / 1000.0, static_cast<long long>(stretches_));
  sink_(line);
  last_line_us_ = now;
  longest_us_ = 0;
  stretches_ = 0;
}

}  // namespace ui
