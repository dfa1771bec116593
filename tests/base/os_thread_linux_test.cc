#include "base/os_thread.h"

#include <gtest/gtest.h>

namespace nbase {
namespace {

TEST(OsThread, PrioritiesMoveTheNiceValueRelativeToTheInheritedOne) {
  struct Case {
    int priority;
    int inherited;
    int nice;
  };
  const Case cases[] = {{0, 0, 0},     {1, 0, 10},  {2, 0, 5},  {3, 0, -5}, {4, 0, -10},
                        {5, 0, 5},     {99, 0, 5},  {-1, 0, 0}, {1, 15, 19}, {4, -15, -20},
                        {2, 3, 8}};
  for (const Case& c : cases) {
    EXPECT_EQ(OsThread::SystemLevelFor(c.priority, c.inherited), c.nice) << c.priority;
  }
}

}  // namespace
}  // namespace nbase
