// A thread's message loop: immediate, delayed and non-nestable tasks run on
// the loop's thread in a fixed order, driven by a MessagePump.
//
// Ordering promises:
//  - immediate tasks posted to one loop run in posting order;
//  - delayed tasks run in order of due time, equal due times in the order in
//    which they reached the delayed queue (posting order from one thread);
//  - one pump cycle runs at most one immediate and one delayed task, in turn;
//  - a non-nestable task runs only in the outermost run (run depth 1); met in
//    a nested run it waits in the deferred queue until the outer run is idle;
//  - while a task runs, the loop runs no other task, even if the task spins a
//    nested run, unless the task allows it with SetNestableTasksAllowed(true).
//
// Posting is thread-safe; everything else belongs to the loop's thread. Other
// threads should post through the loop's MessageLoopProxy, which may outlive
// the loop. Posting wakes the pump only when the incoming queue turns from
// empty to non-empty; incoming tasks move to the work queue by a swap.
//
// Destroying the loop discards every task left (callables are destroyed, never
// called), in rounds while discarding finds more (a task's destructor may post
// again), at most 100 rounds.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "base/closure.h"
#include "base/lock.h"
#include "base/message_pump.h"
#include "base/queued_task.h"
#include "base/tick_clock.h"
#include "base/time_delta.h"

namespace nbase {

class MessageLoopProxy;

class MessageLoop : public MessagePump::Delegate {
 public:
  // The loop kinds share their behaviour and differ only in their pump. There
  // are no completion ports here: kIO gets the default pump. kCustom is only a
  // FrameworkThread kind (the thread's factory makes the loop).
  enum Type { kDefault = 0, kUI = 1, kIO = 2, kCustom = 3 };

  using PumpFactory = std::function<std::shared_ptr<MessagePump>()>;

  class TaskObserver {
   public:
    virtual void WillProcessTask() = 0;
    virtual void DidProcessTask() = 0;

   protected:
    virtual ~TaskObserver() = default;
  };

  class DestructionObserver {
   public:
    virtual void WillDestroyCurrentMessageLoop() = 0;

   protected:
    virtual ~DestructionObserver() = default;
  };

  // Creates the loop of `type` with the pump CreatePump(type) makes, and makes
  // it the current thread's loop.
  explicit MessageLoop(Type type = kDefault);
  // Creates a loop with the given pump (a custom kind), current on this thread.
  MessageLoop(Type type, std::shared_ptr<MessagePump> pump);
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;
  ~MessageLoop() override;

  // The calling thread's loop, or null.
  static MessageLoop* current();

  // The pump that UI loops are made with, registered once by the UI layer
  // before its thread starts. The factory is called on the thread that
  // creates the loop (for a FrameworkThread: the new thread itself, before
  // Init). An empty factory (the default), or one that returns null, gives UI
  // loops the default pump, so that headless programs and tests run.
  static void SetUIPumpFactory(PumpFactory factory);
  static std::shared_ptr<MessagePump> CreatePump(Type type);

  // Posting, from any thread while the loop lives.
  void PostTask(StdClosure task);
  void PostDelayedTask(StdClosure task, TimeDelta delay);
  void PostNonNestableTask(StdClosure task);
  void PostNonNestableDelayedTask(StdClosure task, TimeDelta delay);

  // Runs the loop on its thread until QuitWhenIdle is called for this run.
  // Called from inside a task or an event handler it runs nested (run depth
  // one more than the enclosing run).
  void Run();
  // Ends the innermost current run as soon as no immediately runnable work is
  // left. Loop thread only. Called before the loop runs (for example from a
  // thread's Init), it ends the next run once that run is idle.
  void QuitWhenIdle();

  // 0 when not running, 1 for the outermost run.
  int run_depth() const;
  bool is_running() const { return state_ != nullptr; }

  bool nestable_tasks_allowed() const { return nestable_tasks_allowed_; }
  // Lets a task that opens a nested run have other tasks run inside it.
  void SetNestableTasksAllowed(bool allowed) { nestable_tasks_allowed_ = allowed; }
  // Set by a UI pump while the thread is inside a system modal loop.
  bool in_modal_loop() const { return in_modal_loop_; }
  void set_in_modal_loop(bool value) { in_modal_loop_ = value; }

  Type type() const { return type_; }
  MessagePump* pump() const { return pump_.get(); }
  // The thread-safe handle to this loop; outlives it.
  const std::shared_ptr<MessageLoopProxy>& proxy() const { return proxy_; }

  // Loop thread only; the observer must outlive its registration.
  void AddTaskObserver(TaskObserver* observer);
  void RemoveTaskObserver(TaskObserver* observer);
  void AddDestructionObserver(DestructionObserver* observer);
  void RemoveDestructionObserver(DestructionObserver* observer);

 protected:
  // Appends a task to the incoming queue and wakes the pump when the queue
  // was empty. Any thread.
  virtual void EnqueueIncoming(QueuedTask task);

 private:
  struct LoopRunState {
    int run_depth = 0;
    bool quit_received = false;
  };

  bool RunWork() override;
  bool RunDelayedWork(TickClock* next_delayed_time) override;
  bool RunIdleWork() override;

  void ReloadWorkQueue();
  void AddToDelayedQueue(QueuedTask task);
  // Both take the task over: it is run (and destroyed) or moved on.
  bool RunOrDefer(QueuedTask& task);
  void RunTask(QueuedTask& task);
  // Discards every task held by the loop's thread; true when any was found.
  bool DeletePendingTasks();

  Type type_;
  LoopRunState* state_ = nullptr;
  std::shared_ptr<MessagePump> pump_;
  bool in_modal_loop_ = false;
  bool nestable_tasks_allowed_ = true;
  bool quit_before_run_ = false;

  Lock incoming_mutex_;
  std::deque<QueuedTask> incoming_queue_;

  std::deque<QueuedTask> work_queue_;
  std::deque<QueuedTask> deferred_queue_;
  // A binary heap: the front is the earliest due time, then the smallest
  // sequence number.
  std::vector<QueuedTask> delayed_queue_;
  int32_t next_sequence_num_ = 0;
  TickClock recent_time_;

  std::vector<TaskObserver*> task_observers_;
  std::vector<DestructionObserver*> destruction_observers_;

  MessageLoop* previous_current_ = nullptr;
  std::shared_ptr<MessageLoopProxy> proxy_;
};

}  // namespace nbase
