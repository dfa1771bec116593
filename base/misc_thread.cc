#include "base/misc_thread.h"

#include <utility>

#include "base/thread_registry.h"

namespace nbase {

MiscThread::MiscThread(ThreadId id, std::string name) : FrameworkThread(std::move(name)), id_(id) {}

MiscThread::~MiscThread() { Stop(); }

void MiscThread::Init() {
  if (id_ >= 0) ThreadRegistry::RegisterThread(id_);
}

void MiscThread::Cleanup() { ThreadRegistry::UnregisterThread(); }

}  // namespace nbase
