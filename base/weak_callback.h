// Weakly bound callbacks: a callable that runs only while the object that
// handed it out is alive.
//
// An object that hands out weak callbacks derives from SupportWeakCallback. It
// owns a WeakFlag (created on first use); every WeakCallback keeps a weak
// reference to that flag. When the object dies the flag dies with it and every
// callback it handed out turns into a no-op that returns the result type's
// default value.
//
// The test "is the owner alive" is made at the moment of the call, on the
// calling thread. It is not a lock: it protects against an owner that is
// already gone when the callback starts, not against one destroyed on another
// thread while the callback runs.
#pragma once

#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

namespace nbase {

// An empty object whose lifetime is the signal.
class WeakFlag {};

template <typename F>
class WeakCallback {
 public:
  WeakCallback(std::weak_ptr<WeakFlag> flag, F callable)
      : flag_(std::move(flag)), callable_(std::move(callable)) {}

  // Converts between callable types sharing the same flag, e.g. a lambda's
  // callback into a WeakCallback<StdClosure>.
  template <typename G, typename = std::enable_if_t<std::is_constructible_v<F, const G&> &&
                                                    !std::is_same_v<F, G>>>
  WeakCallback(const WeakCallback<G>& other) : flag_(other.flag_), callable_(other.callable_) {}

  // Calls the callable when the owner is alive; otherwise returns the default
  // value of the result type without calling it.
  template <typename... Args>
  auto operator()(Args&&... args) const
      -> decltype(std::declval<const F&>()(std::forward<Args>(args)...)) {
    using Result = decltype(std::declval<const F&>()(std::forward<Args>(args)...));
    if (!flag_.expired()) return callable_(std::forward<Args>(args)...);
    if constexpr (std::is_void_v<Result>) {
      return;
    } else {
      return Result();
    }
  }

  bool Expired() const { return flag_.expired(); }

 private:
  template <typename G>
  friend class WeakCallback;

  std::weak_ptr<WeakFlag> flag_;
  F callable_;
};

class SupportWeakCallback {
 public:
  SupportWeakCallback() = default;
  // A copy is a new owner: it never shares the original's flag.
  SupportWeakCallback(const SupportWeakCallback&) {}
  SupportWeakCallback& operator=(const SupportWeakCallback&) { return *this; }
  // Dropping the flag expires every callback handed out so far.
  virtual ~SupportWeakCallback() = default;

  // A weak reference to the current flag, created when there is none yet.
  // Thread-safe.
  std::weak_ptr<WeakFlag> GetWeakFlag() {
    std::lock_guard<std::mutex> lock(flag_mutex_);
    if (!flag_) flag_ = std::make_shared<WeakFlag>();
    return flag_;
  }

  template <typename F>
  WeakCallback<std::decay_t<F>> ToWeakCallback(F&& callable) {
    return WeakCallback<std::decay_t<F>>(GetWeakFlag(), std::forward<F>(callable));
  }

 protected:
  // Expires every callback handed out so far; later ones get a new flag.
  void DropWeakFlag() {
    std::shared_ptr<WeakFlag> old;
    {
      std::lock_guard<std::mutex> lock(flag_mutex_);
      old.swap(flag_);
    }
  }
  bool HasWeakFlag() {
    std::lock_guard<std::mutex> lock(flag_mutex_);
    return flag_ != nullptr;
  }

 private:
  std::mutex flag_mutex_;
  std::shared_ptr<WeakFlag> flag_;
};

// A stand-alone owner of a weak flag: lets a member object cancel the
// callbacks it handed out without dying (for example a timer of a control).
class WeakCallbackFlag : public SupportWeakCallback {
 public:
  // Expires every callback handed out so far.
  void Cancel() { DropWeakFlag(); }
  // Whether callbacks handed out since the last Cancel may still run.
  bool HasUsed() { return HasWeakFlag(); }
};

}  // namespace nbase
