// The callable that task queues carry: takes nothing, returns nothing.
// Copyable, so that a task can be handed to several places (repeated tasks).
#pragma once

#include <functional>

namespace nbase {

using StdClosure = std::function<void()>;

}  // namespace nbase
