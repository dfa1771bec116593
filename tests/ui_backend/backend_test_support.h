// Shared set-up of the backend tests: SDL with the "dummy" video driver (no
// display needed) started once for the test program, an empty SDL queue per
// test, and a watchdog around every loop.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/base/loop_test_support.h"
#include "ui/backend/sdl_backend.h"

namespace ui {
namespace testing_support {

using nbase::testing_support::Watchdog;

// Starts SDL for the whole program, before the first test.
class SdlEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    ASSERT_TRUE(SdlBackend::Initialize()) << SdlBackend::GetLastError();
  }
  void TearDown() override { SdlBackend::Shutdown(); }
};

// A fixture whose tests start with an empty SDL queue and no application
// handler left behind by an earlier test.
class SdlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SdlBackend::SetApplicationEventHandler(nullptr);
  }
  void TearDown() override {
    SdlBackend::SetApplicationEventHandler(nullptr);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }
};

// Pushes a user event of `type` with `code` (the application's own events).
inline void PushUserEvent(uint32_t type, int32_t code) {
  SDL_Event event;
  SDL_zero(event);
  event.type = type;
  event.user.code = code;
  SDL_PushEvent(&event);
}

}  // namespace testing_support
}  // namespace ui
