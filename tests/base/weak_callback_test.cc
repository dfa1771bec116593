#include "base/weak_callback.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/closure.h"

namespace nbase {
namespace {

class Window : public SupportWeakCallback {
 public:
  std::string Title(int n) const { return "title " + std::to_string(n); }
};

TEST(WeakCallback, CallsWhileTheOwnerLivesAndReturnsDefaultsAfterwards) {
  auto window = std::make_unique<Window>();
  auto clicks = std::make_shared<int>(0);  // outlives the window
  auto title = window->ToWeakCallback([](int n) { return "title " + std::to_string(n); });
  auto count = window->ToWeakCallback([clicks] { return ++*clicks; });
  auto click = window->ToWeakCallback([clicks] { ++*clicks; });
  auto copy = title;

  EXPECT_EQ(title(7), "title 7");
  EXPECT_EQ(count(), 1);
  click();
  EXPECT_EQ(*clicks, 2);
  EXPECT_FALSE(copy.Expired());

  window.reset();
  EXPECT_TRUE(title.Expired());
  EXPECT_TRUE(copy.Expired());
  EXPECT_EQ(title(7), "");
  EXPECT_EQ(copy(8), "");
  EXPECT_EQ(count(), 0);
  click();
  EXPECT_EQ(*clicks, 2);
}

TEST(WeakCallback, ConvertedClosureExpiresWithTheOwner) {
  int calls = 0;
  auto window = std::make_unique<Window>();
  WeakCallback<StdClosure> closure = window->ToWeakCallback([&calls] { ++calls; });
  StdClosure plain = closure;
  plain();
  window.reset();
  plain();
  closure();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(closure.Expired());
}

TEST(WeakCallback, CopiedOwnerHandsOutItsOwnFlag) {
  Window original;
  auto from_original = original.ToWeakCallback([] { return 1; });
  {
    Window copy = original;
    auto from_copy = copy.ToWeakCallback([] { return 2; });
    EXPECT_EQ(from_copy(), 2);
    copy = original;  // assignment keeps the copy's own flag
    EXPECT_EQ(from_copy(), 2);
  }
  EXPECT_EQ(from_original(), 1) << "the copy's death must not expire the original's callbacks";
}

TEST(WeakCallbackFlag, CancelExpiresOnlyTheCallbacksHandedOutBefore) {
  WeakCallbackFlag flag;
  EXPECT_FALSE(flag.HasUsed());
  auto before = flag.ToWeakCallback([] { return 1; });
  EXPECT_TRUE(flag.HasUsed());
  flag.Cancel();
  EXPECT_FALSE(flag.HasUsed());
  auto after = flag.ToWeakCallback([] { return 2; });
  EXPECT_EQ(before(), 0);
  EXPECT_EQ(after(), 2);
}

}  // namespace
}  // namespace nbase
