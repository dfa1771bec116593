#include "ui/backend/ui_message_pump.h"

#include <algorithm>
#include <limits>

namespace ui {

namespace {

// Window systems take an int of milliseconds; anything longer waits in steps.
constexpr int64_t kMaxWaitMs = std::numeric_limits<int>::max() / 2;

}  // namespace

UiMessagePump::UiMessagePump() {
  if (UiStallMeter::IsEnabledByEnvironment()) stall_meter_ = std::make_unique<UiStallMeter>();
}

UiMessagePump::~UiMessagePump() = default;

int UiMessagePump::DelayedWaitMs(int64_t delay_ms) {
  return static_cast<int>(std::clamp<int64_t>(delay_ms, kMinDelayedWaitMs, kMaxWaitMs));
}

void UiMessagePump::Run(Delegate* delegate) {
  RunState state;
  state.depth = state_ ? state_->depth + 1 : 1;
  state.delegate = delegate;
  RunState* previous = state_;
  state_ = &state;
  PumpLoop(&state);
  state_ = previous;
}

void UiMessagePump::Quit() {
  if (state_) state_->should_quit = true;
}

void UiMessagePump::WakeUp() {
  // Only the transition 0 -> 1 queues: at most one wake-up is pending.
  if (have_work_.exchange(1, std::memory_order_acq_rel) != 0) return;
  if (QueueWakeUp()) {
    wake_ups_pushed_.fetch_add(1, std::memory_order_relaxed);
  } else {
    // The queue refused (full or filtered): let the next post try again.
    have_work_.store(0, std::memory_order_release);
  }
}

void UiMessagePump::WakeUpAt(nbase::TickClock time) {
  // Called on the pump's thread from inside Run: the next wait is computed
  // from it.
  next_delayed_time_ = time;
}

void UiMessagePump::PumpLoop(RunState* state) {
  Delegate* delegate = state->delegate;
  for (;;) {
    if (stall_meter_) stall_meter_->Responsive();
    bool more = ProcessTaken(TakeEvent());
    if (state->should_quit) break;

    more |= delegate->RunWork();
    if (state->should_quit) break;

    more |= delegate->RunDelayedWork(&next_delayed_time_);
    if (state->should_quit) break;
    if (more) continue;

    more = delegate->RunIdleWork();
    if (state->should_quit) break;
    if (more) continue;

    WaitForWork();
  }
}

bool UiMessagePump::ProcessTaken(Taken taken) {
  switch (taken) {
    case Taken::kNothing:
      return false;
    case Taken::kEvent:
      HandleTakenEvent();
      return true;
    case Taken::kOwnWakeUp:
      break;
  }
  // Let one more event through so that a stream of tasks, each waking the
  // pump again, never starves input and painting.
  const Taken next = TakeEvent();
  WakeUpConsumed();
  if (next == Taken::kNothing) return false;  // the loop runs RunWork next anyway
  WakeUp();
  if (next == Taken::kEvent) HandleTakenEvent();
  return true;
}

void UiMessagePump::WaitForWork() {
  int timeout_ms = -1;
  if (!next_delayed_time_.is_null()) {
    const int64_t delay = (next_delayed_time_ - nbase::TickClock::Now()).ToMillisecondsRoundedUp();
    if (delay <= 0) {
      // The delayed work is due: run it without waiting.
      next_delayed_time_ = nbase::TickClock();
      return;
    }
    timeout_ms = DelayedWaitMs(delay);
  }
  if (will_wait_hook_) will_wait_hook_();
  if (stall_meter_) stall_meter_->Responsive();
  const Taken taken = WaitForEvent(timeout_ms);
  if (stall_meter_) stall_meter_->Resumed();
  ProcessTaken(taken);
}

}  // namespace ui
