// Registers the SDL environment for every test of this program.
#include "tests/ui_backend/backend_test_support.h"

namespace {
::testing::Environment* const g_sdl_environment =
    ::testing::AddGlobalTestEnvironment(new ui::testing_support::SdlEnvironment);
}  // namespace
