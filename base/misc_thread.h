// The installer's worker thread: a framework thread with the default loop
// that registers itself under its identifier while it runs ("Global Misc
// Thread" as 2, "http Thread" as 6).
#pragma once

#include <string>

#include "base/framework_thread.h"
#include "base/thread_ids.h"

namespace nbase {

class MiscThread : public FrameworkThread {
 public:
  MiscThread(ThreadId id, std::string name);
  // Stops and joins the thread while its Cleanup can still run.
  ~MiscThread() override;

  ThreadId id() const { return id_; }

 protected:
  // Registers the thread under its identifier (when >= 0).
  void Init() override;
  // Undoes the registration.
  void Cleanup() override;

 private:
  const ThreadId id_;
};

}  // namespace nbase
