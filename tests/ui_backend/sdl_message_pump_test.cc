#include "ui/backend/sdl_message_pump.h"

#include <limits>

#include "tests/ui_backend/backend_test_support.h"
#include "tests/ui_backend/ui_message_pump_suite.h"

namespace ui {
namespace {

using testing_support::PushUserEvent;
using testing_support::Watchdog;

int PendingSdlWakeUps() {
  const uint32_t type = SdlMessagePump::WakeUpEventType();
  return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, type, type);
}

// The SDL side of the shared pump suite: input is an SDL user event of a
// type of the test's own, routed through the backend's application handler.
struct SdlPumpHarness {
  using Pump = SdlMessagePump;
  static uint32_t InputEventType() {
    static const uint32_t type = SDL_RegisterEvents(1);
    return type;
  }
  static void SetUp() {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SdlBackend::SetApplicationEventHandler(nullptr);
  }
  static void TearDown() { SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); }
  static int PendingWakeUps(Pump*) { return PendingSdlWakeUps(); }
  static void SetInputHandler(std::function<void(int)> handler) {
    if (!handler) {
      SdlBackend::SetApplicationEventHandler(nullptr);
      return;
    }
    SdlBackend::SetApplicationEventHandler([handler](const SDL_Event& event) {
      if (event.type == InputEventType()) handler(event.user.code);
    });
  }
  static void PushInput(int code) { PushUserEvent(InputEventType(), code); }
};

}  // namespace

namespace testing_support {
INSTANTIATE_TYPED_TEST_SUITE_P(Sdl, UiMessagePumpTest, SdlPumpHarness);
}  // namespace testing_support

namespace {

TEST(SdlMessagePumpWaitTest, DelayedWaitsShorterThanTenMsAreRaisedToTen) {
  const struct {
    int64_t delay_ms;
    int wait_ms;
  } cases[] = {{1, 10}, {9, 10}, {10, 10}, {11, 11}, {250, 250}};
  for (const auto& c : cases) {
    EXPECT_EQ(SdlMessagePump::DelayedWaitMs(c.delay_ms), c.wait_ms) << c.delay_ms;
  }
  // Far delays wait in steps SDL's int timeout can hold.
  EXPECT_GT(SdlMessagePump::DelayedWaitMs(int64_t{1} << 40), 1000000);
  EXPECT_LT(SdlMessagePump::DelayedWaitMs(int64_t{1} << 40), std::numeric_limits<int>::max());
}

class SdlMessagePumpTest : public testing_support::SdlTest {};

TEST_F(SdlMessagePumpTest, StaleWakeUpOfAGonePumpIsDropped) {
  Watchdog watchdog;
  {
    nbase::MessageLoop old_loop(nbase::MessageLoop::kUI);
    old_loop.pump()->WakeUp();
  }
  ASSERT_EQ(PendingSdlWakeUps(), 1);
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);
  int events_seen = 0;
  SdlBackend::SetApplicationEventHandler([&](const SDL_Event&) { ++events_seen; });
  loop.PostTask([&] { loop.QuitWhenIdle(); });
  loop.Run();
  EXPECT_EQ(events_seen, 0);
  EXPECT_EQ(PendingSdlWakeUps(), 0);
}

}  // namespace
}  // namespace ui
