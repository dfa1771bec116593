#include "base/message_loop.h"

#include <algorithm>
#include <utility>

#include "base/default_message_pump.h"
#include "base/message_loop_proxy.h"

namespace nbase {
namespace {

thread_local MessageLoop* g_current_loop = nullptr;

std::mutex& UIPumpFactoryMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}

MessageLoop::PumpFactory& UIPumpFactory() {
  static MessageLoop::PumpFactory* factory = new MessageLoop::PumpFactory;
  return *factory;
}

// Heap order for std::push_heap/pop_heap: the front is the earliest due time,
// among equal due times the smallest sequence number (signed comparison).
bool LaterThan(const QueuedTask& a, const QueuedTask& b) {
  if (a.due_time != b.due_time) return a.due_time > b.due_time;
  return a.sequence_num > b.sequence_num;
}

// Destroys queued callables outside every lock: a callable's destructor may
// post again.
template <typename Queue>
bool DiscardQueue(Queue& queue) {
  if (queue.empty()) return false;
  Queue doomed;
  doomed.swap(queue);
  return true;
}

}  // namespace

MessageLoop::MessageLoop(Type type) : MessageLoop(type, CreatePump(type)) {}

MessageLoop::MessageLoop(Type type, std::shared_ptr<MessagePump> pump)
    : type_(type), pump_(pump ? std::move(pump) : std::make_shared<DefaultMessagePump>()) {
  previous_current_ = g_current_loop;
  g_current_loop = this;
  proxy_.reset(new MessageLoopProxy(this));
}

MessageLoop::~MessageLoop() {
  // Discarding may run destructors that post new tasks: go round while the
  // last round found anything, bounded so that a task re-posting itself from
  // its destructor cannot keep the loop alive.
  for (int round = 0; round < 100; ++round) {
    bool found = DeletePendingTasks();
    ReloadWorkQueue();
    found |= DeletePendingTasks();
    if (!found) break;
  }
  std::vector<DestructionObserver*> observers = destruction_observers_;
  for (DestructionObserver* observer : observers) observer->WillDestroyCurrentMessageLoop();

  proxy_->DetachFromLoop();
  proxy_.reset();
  // Only direct posts can reach the loop now (from discarded tasks'
  // destructors, or racing with the end: a caller's fault); drop them too.
  for (int round = 0; round < 100; ++round) {
    ReloadWorkQueue();
    if (!DeletePendingTasks()) break;
  }
  if (g_current_loop == this) g_current_loop = previous_current_;
}

MessageLoop* MessageLoop::current() { return g_current_loop; }

void MessageLoop::SetUIPumpFactory(PumpFactory factory) {
  std::lock_guard<std::mutex> lock(UIPumpFactoryMutex());
  UIPumpFactory() = std::move(factory);
}

std::shared_ptr<MessagePump> MessageLoop::CreatePump(Type type) {
  if (type == kUI) {
    PumpFactory factory;
    {
      std::lock_guard<std::mutex> lock(UIPumpFactoryMutex());
      factory = UIPumpFactory();
    }
    if (factory) {
      std::shared_ptr<MessagePump> pump = factory();
      if (pump) return pump;
    }
  }
  return std::make_shared<DefaultMessagePump>();
}

void MessageLoop::PostTask(StdClosure task) {
  EnqueueIncoming(QueuedTask{TickClock(), 0, true, std::move(task)});
}

void MessageLoop::PostDelayedTask(StdClosure task, TimeDelta delay) {
  EnqueueIncoming(QueuedTask{TickClock::Now() + delay, 0, true, std::move(task)});
}

void MessageLoop::PostNonNestableTask(StdClosure task) {
  EnqueueIncoming(QueuedTask{TickClock(), 0, false, std::move(task)});
}

void MessageLoop::PostNonNestableDelayedTask(StdClosure task, TimeDelta delay) {
  EnqueueIncoming(QueuedTask{TickClock::Now() + delay, 0, false, std::move(task)});
}

void MessageLoop::EnqueueIncoming(QueuedTask task) {
  std::shared_ptr<MessagePump> pump;
  {
    std::lock_guard<Lock> lock(incoming_mutex_);
    bool was_empty = incoming_queue_.empty();
    incoming_queue_.push_back(std::move(task));
    if (!was_empty) return;
    pump = pump_;
  }
  pump->WakeUp();
}

void MessageLoop::Run() {
  LoopRunState state;
  state.run_depth = state_ ? state_->run_depth + 1 : 1;
  state.quit_received = quit_before_run_;
  quit_before_run_ = false;
  LoopRunState* previous = state_;
  state_ = &state;
  pump_->Run(this);
  state_ = previous;
}

void MessageLoop::QuitWhenIdle() {
  if (state_) {
    state_->quit_received = true;
  } else {
    quit_before_run_ = true;
  }
}

int MessageLoop::run_depth() const { return state_ ? state_->run_depth : 0; }

void MessageLoop::AddTaskObserver(TaskObserver* observer) { task_observers_.push_back(observer); }

void MessageLoop::RemoveTaskObserver(TaskObserver* observer) {
  task_observers_.erase(std::remove(task_observers_.begin(), task_observers_.end(), observer),
                        task_observers_.end());
}

void MessageLoop::AddDestructionObserver(DestructionObserver* observer) {
  destruction_observers_.push_back(observer);
}

void MessageLoop::RemoveDestructionObserver(DestructionObserver* observer) {
  destruction_observers_.erase(
      std::remove(destruction_observers_.begin(), destruction_observers_.end(), observer),
      destruction_observers_.end());
}

void MessageLoop::ReloadWorkQueue() {
  if (!work_queue_.empty()) return;
  std::lock_guard<Lock> lock(incoming_mutex_);
  if (incoming_queue_.empty()) return;
  incoming_queue_.swap(work_queue_);
}

void MessageLoop::AddToDelayedQueue(QueuedTask task) {
  // The counter wraps like a 32-bit register; computed unsigned to stay defined.
  const int32_t sequence_num = next_sequence_num_;
  next_sequence_num_ = static_cast<int32_t>(static_cast<uint32_t>(sequence_num) + 1u);
  task.sequence_num = sequence_num;
  const TickClock due_time = task.due_time;
  delayed_queue_.push_back(std::move(task));
  std::push_heap(delayed_queue_.begin(), delayed_queue_.end(), LaterThan);
  if (delayed_queue_.front().sequence_num == sequence_num) pump_->WakeUpAt(due_time);
}

bool MessageLoop::RunWork() {
  if (!nestable_tasks_allowed_) return false;
  for (;;) {
    ReloadWorkQueue();
    if (work_queue_.empty()) return false;
    do {
      QueuedTask task = std::move(work_queue_.front());
      work_queue_.pop_front();
      if (!task.due_time.is_null()) {
        AddToDelayedQueue(std::move(task));
      } else if (RunOrDefer(task)) {
        return true;
      }
    } while (!work_queue_.empty());
  }
}

bool MessageLoop::RunDelayedWork(TickClock* next_delayed_time) {
  if (!nestable_tasks_allowed_ || delayed_queue_.empty()) {
    recent_time_ = TickClock();
    *next_delayed_time = TickClock();
    return false;
  }
  TickClock due_time = delayed_queue_.front().due_time;
  if (due_time > recent_time_) {
    recent_time_ = TickClock::Now();
    if (due_time > recent_time_) {
      *next_delayed_time = due_time;
      return false;
    }
  }
  std::pop_heap(delayed_queue_.begin(), delayed_queue_.end(), LaterThan);
  QueuedTask task = std::move(delayed_queue_.back());
  delayed_queue_.pop_back();
  if (!delayed_queue_.empty()) *next_delayed_time = delayed_queue_.front().due_time;
  return RunOrDefer(task);
}

bool MessageLoop::RunIdleWork() {
  if (run_depth() == 1 && !deferred_queue_.empty()) {
    QueuedTask task = std::move(deferred_queue_.front());
    deferred_queue_.pop_front();
    RunTask(task);
    return true;
  }
  if (state_ && state_->quit_received) pump_->Quit();
  return false;
}

bool MessageLoop::RunOrDefer(QueuedTask& task) {
  if (task.nestable || run_depth() == 1) {
    RunTask(task);
    return true;
  }
  deferred_queue_.push_back(std::move(task));
  return false;
}

void MessageLoop::RunTask(QueuedTask& task) {
  nestable_tasks_allowed_ = false;
  for (size_t i = 0; i < task_observers_.size(); ++i) task_observers_[i]->WillProcessTask();
  task.task();
  for (size_t i = 0; i < task_observers_.size(); ++i) task_observers_[i]->DidProcessTask();
  nestable_tasks_allowed_ = true;
}

bool MessageLoop::DeletePendingTasks() {
  bool found = false;
  // Immediate tasks go at once; delayed ones still in the work queue join the
  // delayed queue and go with it.
  while (!work_queue_.empty()) {
    QueuedTask task = std::move(work_queue_.front());
    work_queue_.pop_front();
    found = true;
    if (!task.due_time.is_null()) {
      delayed_queue_.push_back(std::move(task));
    }
  }
  found |= DiscardQueue(deferred_queue_);
  found |= DiscardQueue(delayed_queue_);
  return found;
}

}  // namespace nbase
