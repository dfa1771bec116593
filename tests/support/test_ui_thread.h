// TestUiThread: the installer's kind of UI thread for tests. It runs on the
// calling thread (RunOnCurrentThread with the UI loop kind), registers
// itself as thread 0 before it calls the test's `init`, and unregisters when
// its loop ends; the destructor stops it if the test did not.
#pragma once

#include <functional>

#include "base/framework_thread.h"

namespace varnik_test {

class TestUiThread : public nbase::FrameworkThread {
 public:
  explicit TestUiThread(std::function<void()> init);
  ~TestUiThread() override;

 protected:
  void Init() override;
  void Cleanup() override;

 private:
  std::function<void()> init_;
};

}  // namespace varnik_test
