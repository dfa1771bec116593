// The named mutex on the real Windows object, held by a second process.
#include "platform/named_mutex.h"

#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "platform/error_codes.h"
#include "tests/platform/child_program_win.h"

namespace platform {
namespace {

using varnik_test::ChildProgram;

// A name of this test run only, so parallel runs never meet.
std::u16string UniqueName() {
  const std::string name = "varnikTestMutex-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(GetTickCount64());
  return std::u16string(name.begin(), name.end());
}

std::string HolderCommand(const std::u16string& name) {
  return "\"" + varnik_test::TestProgramFolder() + "varnik_mutex_holder.exe\" " +
         std::string(name.begin(), name.end());
}

TEST(NamedMutexWinTest, SecondProcessHoldsItUntilItEnds) {
  const std::u16string name = UniqueName();
  ChildProgram holder;
  ASSERT_TRUE(holder.Start(HolderCommand(name)));
  std::string line;
  ASSERT_TRUE(holder.ReadLine(&line));
  ASSERT_EQ(line, "0");

  NamedMutex mutex;
  EXPECT_EQ(mutex.Create(name), kErrorAlreadyExists);
  EXPECT_FALSE(mutex.owned());
  EXPECT_EQ(mutex.Create(u"other-" + name), kErrorSuccess) << "another name is another mutex";

  holder.CloseInput();  // the holder ends normally
  ASSERT_EQ(holder.Wait(), 0);
  EXPECT_EQ(mutex.Create(name), kErrorSuccess);
  EXPECT_TRUE(mutex.owned());
}

TEST(NamedMutexWinTest, KilledHolderFreesItAndAHolderHereKeepsOthersOut) {
  const std::u16string name = UniqueName();
  {
    ChildProgram holder;
    ASSERT_TRUE(holder.Start(HolderCommand(name)));
    std::string line;
    ASSERT_TRUE(holder.ReadLine(&line));
    ASSERT_EQ(line, "0");
    holder.Terminate();
  }
  NamedMutex mutex;
  ASSERT_EQ(mutex.Create(name), kErrorSuccess);

  ChildProgram second;
  ASSERT_TRUE(second.Start(HolderCommand(name)));
  std::string line;
  ASSERT_TRUE(second.ReadLine(&line));
  EXPECT_EQ(line, std::to_string(kErrorAlreadyExists));
  second.CloseInput();
  EXPECT_EQ(second.Wait(), 0);

  mutex.Release();
  EXPECT_FALSE(mutex.owned());
  EXPECT_EQ(mutex.Create(u""), kErrorInvalidParameter);
}

}  // namespace
}  // namespace platform
