#include "ui/backend/ui_stall_meter.h"

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
