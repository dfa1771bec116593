#include "tests/support/test_ui_thread.h"

#include <utility>

#include "base/thread_ids.h"
#include "base/thread_registry.h"

namespace varnik_test {

TestUiThread::TestUiThread(std::function<void()> init)
    : FrameworkThread("MainThread"), init_(std::move(init)) {}

TestUiThread::~TestUiThread() { Stop(); }

void TestUiThread::Init() {
  nbase::ThreadRegistry::RegisterThread(nbase::kThreadUI);
  if (init_) init_();
}

void TestUiThread::Cleanup() { nbase::ThreadRegistry::UnregisterThread(); }

}  // namespace varnik_test
