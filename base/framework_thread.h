// A thread that owns a message loop. Start creates the OS thread; on it the
// thread body makes the loop of the requested kind, calls Init, reports
// itself started, runs the loop, and after the loop ends calls Cleanup and
// destroys the loop (discarding what is left in it).
//
// Stop asks the loop to quit as soon as it is idle (tasks posted before the
// request still run; delayed tasks not yet due are discarded) and joins the
// thread. A subclass that overrides Init or Cleanup must call Stop in its own
// destructor: once the subclass part is destroyed its Cleanup can no longer
// run, and the base destructor's Stop would race with the thread on the
// object's type.
//
// The process's initial thread runs a FrameworkThread without an OS thread of
// its own through RunOnCurrentThread (the UI thread of the installer).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/message_loop.h"
#include "base/thread.h"
#include "base/thread_local_record.h"
#include "base/waitable_event.h"
#include "base/weak_callback.h"

namespace nbase {

class MessageLoopProxy;

class FrameworkThread : public Thread, public virtual SupportWeakCallback {
 public:
  // Makes the loop of the kCustom kind, on the new thread.
  using LoopFactory = std::function<std::unique_ptr<MessageLoop>()>;

  explicit FrameworkThread(std::string name);
  ~FrameworkThread() override;

  // Starts the thread with a loop of `kind` and waits until its Init has run.
  // False when the system refuses a thread (the object stays without a loop)
  // or when the thread already runs.
  bool Start(MessageLoop::Type kind = MessageLoop::kDefault);
  // Requests the loop to quit when idle and waits for the thread to end.
  // Called on the thread itself it only makes the request.
  void Stop();

  // Runs the thread body on the calling thread and returns when the loop has
  // ended (by QuitWhenIdle or a stop request posted from another thread).
  void RunOnCurrentThread(MessageLoop::Type kind);

  // Used by the kCustom kind; set before Start.
  void SetCustomLoopFactory(LoopFactory factory) { custom_loop_factory_ = std::move(factory); }

  const std::string& name() const { return name_; }
  MessageLoop::Type loop_kind() const { return loop_kind_; }
  bool running() const { return running_.load(std::memory_order_acquire); }
  // The thread's loop; use only on the thread itself.
  MessageLoop* message_loop() const { return loop_; }
  // A handle for posting to the thread's loop, null while there is no loop.
  // Any thread.
  std::shared_ptr<MessageLoopProxy> message_loop_proxy();

  // The record of the calling thread, null outside a framework thread body.
  static ThreadLocalRecord* CurrentRecord();
  static FrameworkThread* Current();

 protected:
  // Run on the thread, after the loop exists and before Start returns.
  virtual void Init() {}
  // Run on the thread after the loop has ended, before it is destroyed.
  virtual void Cleanup() {}

 private:
  void Run() final;
  void OnStopRequest();

  const std::string name_;
  MessageLoop::Type loop_kind_ = MessageLoop::kDefault;
  LoopFactory custom_loop_factory_;
  std::atomic<bool> running_{false};
  std::atomic<bool> stopping_{false};
  WaitableEvent started_event_;
  // Whether a Start call waits for started_event_ (not so for a body run by
  // RunOnCurrentThread, which must not leave the event signalled).
  bool signal_started_ = false;

  std::mutex loop_mutex_;  // guards loop_ and proxy_ for other threads
  MessageLoop* loop_ = nullptr;
  std::shared_ptr<MessageLoopProxy> proxy_;
};

}  // namespace nbase
