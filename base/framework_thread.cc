#include "base/framework_thread.h"

#include <utility>

#include "base/message_loop_proxy.h"
#include "base/thread_registry.h"

namespace nbase {
namespace {

thread_local ThreadLocalRecord* g_record = nullptr;

}  // namespace

FrameworkThread::FrameworkThread(std::string name) : name_(std::move(name)) {}

FrameworkThread::~FrameworkThread() { Stop(); }

ThreadLocalRecord* FrameworkThread::CurrentRecord() { return g_record; }

FrameworkThread* FrameworkThread::Current() {
  return g_record ? g_record->framework_thread : nullptr;
}

bool FrameworkThread::Start(MessageLoop::Type kind) {
  if (running() || has_os_thread()) return false;
  loop_kind_ = kind;
  signal_started_ = true;
  if (!Create()) return false;
  started_event_.Wait();
  running_.store(true, std::memory_order_release);
  return true;
}

void FrameworkThread::RunOnCurrentThread(MessageLoop::Type kind) {
  if (running()) return;
  loop_kind_ = kind;
  signal_started_ = false;
  running_.store(true, std::memory_order_release);
  Run();
  running_.store(false, std::memory_order_release);
  stopping_ = false;
}

void FrameworkThread::Stop() {
  if (running() && !stopping_) {
    std::lock_guard<std::mutex> lock(loop_mutex_);
    if (loop_) {
      stopping_ = true;
      loop_->PostNonNestableTask(ToWeakCallback([this] { OnStopRequest(); }));
    }
  }
  if (Current() == this) return;  // joining itself would never end
  if (running() && has_os_thread()) {
    Join();
    running_.store(false, std::memory_order_release);
    stopping_ = false;
  }
}

std::shared_ptr<MessageLoopProxy> FrameworkThread::message_loop_proxy() {
  std::lock_guard<std::mutex> lock(loop_mutex_);
  return proxy_;
}

void FrameworkThread::OnStopRequest() {
  if (MessageLoop* loop = MessageLoop::current()) loop->QuitWhenIdle();
  if (g_record) g_record->quit_properly = true;
}

void FrameworkThread::Run() {
  ThreadLocalRecord record;
  ThreadLocalRecord* previous_record = g_record;
  if (!g_record) {
    record.framework_thread = this;
    g_record = &record;
  }
  g_record->quit_properly = false;
  SetCurrentThreadId(true);

  std::unique_ptr<MessageLoop> loop;
  if (loop_kind_ == MessageLoop::kCustom && custom_loop_factory_) loop = custom_loop_factory_();
  if (!loop) loop = std::make_unique<MessageLoop>(loop_kind_);
  {
    std::lock_guard<std::mutex> lock(loop_mutex_);
    loop_ = loop.get();
    proxy_ = loop->proxy();
  }

  Init();
  if (signal_started_) started_event_.Signal();
  loop->Run();
  Cleanup();

  // A registration that Cleanup left behind would point the registry at an
  // object that may die; remove it while the object is certainly alive.
  while (g_record == &record && record.managed_count > 0) ThreadRegistry::UnregisterThread();

  {
    std::lock_guard<std::mutex> lock(loop_mutex_);
    loop_ = nullptr;
    proxy_.reset();
  }
  loop.reset();
  SetCurrentThreadId(false);
  g_record = previous_record;
}

}  // namespace nbase
