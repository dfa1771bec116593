#include "platform/registry.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "gtest/gtest.h"
#include "platform/error_codes.h"
#include "platform/hive.h"
#include "platform/hive_file.h"
#include "platform/reg_key.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

using varnik_test::ScopedEnv;
using varnik_test::ScopedTempDir;

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() : config_("XDG_CONFIG_HOME", dir_.path().c_str()) {}
  std::string HivePath() const { return dir_.path() + "/varnik/user.hive"; }

  ScopedTempDir dir_;
  ScopedEnv config_;
};

TEST_F(RegistryTest, MissingHiveReadsAsNotFound) {
  EXPECT_EQ(ReadRegString(kAppInfoKey, kInstallerPathValue), u"");
  RegKey key;
  EXPECT_EQ(key.Open(RegRoot::kCurrentUser, kAppInfoKey, kKeyRead), kErrorFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(HivePath()));  // reading never creates it
}

TEST_F(RegistryTest, WriteCreatesKeyAndStoresTerminator) {
  ASSERT_EQ(WriteRegString(kAppInfoKey, kInstallerChannelValue, u"zorv_seo_link"), 0);
  EXPECT_EQ(ReadRegString(kAppInfoKey, kInstallerChannelValue), u"zorv_seo_link");

  RegKey key;
  ASSERT_EQ(key.Open(RegRoot::kCurrentUser, kAppInfoKey, kKeyRead), kErrorSuccess);
  uint32_t type = 0;
  uint32_t size = 0;
  ASSERT_EQ(key.QueryValue(kInstallerChannelValue, &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, (13u + 1u) * 2u);

  // Parents came into being with the key.
  ASSERT_EQ(key.Open(RegRoot::kCurrentUser, u"Software\\Zorv", kKeyRead), kErrorSuccess);
  std::u16string name;
  ASSERT_EQ(key.EnumKey(0, &name), kErrorSuccess);
  EXPECT_EQ(name, u"dudidiruvovo");
  EXPECT_EQ(key.EnumKey(1, &name), kErrorNoMoreItems);
}

// Each rewrite costs two fsyncs; only a real change may cost them.
TEST_F(RegistryTest, WritesThatChangeNothingLeaveTheFileAlone) {
  ASSERT_EQ(WriteRegString(kAppInfoKey, kInstallerChannelValue, u"zorv_seo_link"), 0);
  // A rewrite replaces the file by rename, so it shows as a new inode.
  auto inode = [this] {
    struct stat st {};
    return stat(HivePath().c_str(), &st) == 0 ? st.st_ino : 0;
  };
  const auto first = inode();
  ASSERT_NE(first, 0u);
  ASSERT_EQ(WriteRegString(kAppInfoKey, kInstallerChannelValue, u"zorv_seo_link"), 0);
  RegKey key;
  ASSERT_EQ(key.Create(RegRoot::kCurrentUser, kAppInfoKey, kKeyWrite), kErrorSuccess);
  EXPECT_EQ(inode(), first);  // not replaced

  ASSERT_EQ(WriteRegString(kAppInfoKey, kInstallerChannelValue, u"upgrade"), 0);
  EXPECT_NE(inode(), first);
  EXPECT_EQ(ReadRegString(kAppInfoKey, kInstallerChannelValue), u"upgrade");
  // A key the hive lacks is a change as well.
  const auto second = inode();
  ASSERT_EQ(key.Create(RegRoot::kCurrentUser, u"Software\\Other", kKeyWrite), kErrorSuccess);
  EXPECT_NE(inode(), second);
}

TEST_F(RegistryTest, KeyPathsAndValueNamesIgnoreAsciiCase) {
  ASSERT_EQ(WriteRegString(u"SOFTWARE\\zorv\\DUDIDIRUVOVO\\appinfo", u"installerpath", u"/opt/a"),
            0);
  EXPECT_EQ(ReadRegString(kAppInfoKey, kInstallerPathValue), u"/opt/a");
  // A write under another spelling replaces the value, it does not add one.
  ASSERT_EQ(WriteRegString(kAppInfoKey, u"INSTALLERPATH", u"/opt/b"), 0);
  EXPECT_EQ(ReadRegString(u"software\\zorv\\dudidiruvovo\\appinfo", kInstallerPathValue),
            u"/opt/b");
  Hive hive;
  ASSERT_EQ(HiveFile(HivePath()).Read(&hive), kErrorSuccess);
  const Hive::Key* key = hive.FindKey(kAppInfoKey);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->values.size(), 1u);
  // Case folding is ASCII only: a non-ASCII letter in another case is another name.
  ASSERT_EQ(WriteRegString(kAppInfoKey, u"\u00c4", u"upper"), 0);
  EXPECT_EQ(ReadRegString(kAppInfoKey, u"\u00e4"), u"");
}

TEST_F(RegistryTest, StringBudgetIs520Bytes) {
  struct Case {
    size_t length;
    bool readable;
  };
  // 259 units + NUL = 518 bytes, 260 + NUL = 522 bytes (over the budget).
  for (Case c :
       {Case{0, true}, Case{1, true}, Case{259, true}, Case{260, false}, Case{600, false}}) {
    SCOPED_TRACE(c.length);
    std::u16string value(c.length, u'x');
    ASSERT_EQ(WriteRegString(kAppInfoKey, u"Long", value), 0);
    EXPECT_EQ(ReadRegString(kAppInfoKey, u"Long"), c.readable ? value : u"");
  }
}

TEST_F(RegistryTest, QueryReportsNeededSizeWhenBudgetTooSmall) {
  ASSERT_EQ(WriteRegString(kAppInfoKey, u"V", u"abcd"), 0);
  RegKey key;
  ASSERT_EQ(key.Open(RegRoot::kCurrentUser, kAppInfoKey, kKeyRead), kErrorSuccess);
  char buffer[16] = {};
  uint32_t size = 9;
  EXPECT_EQ(key.QueryValue(u"V", nullptr, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(buffer[0], 0);  // nothing copied
  size = 10;
  EXPECT_EQ(key.QueryValue(u"V", nullptr, buffer, &size), kErrorSuccess);
  EXPECT_EQ(std::string(buffer, 10), std::string("a\0b\0c\0d\0\0\0", 10));
  EXPECT_EQ(key.QueryValue(u"Missing", nullptr, buffer, &size), kErrorFileNotFound);
}

TEST_F(RegistryTest, ReadStopsAtFirstNulAndIgnoresType) {
  RegKey key;
  ASSERT_EQ(key.Create(RegRoot::kCurrentUser, kAppInfoKey, kKeyRead | kKeyWrite), kErrorSuccess);
  const char bytes[] = {'a', 0, 0, 0, 'b', 0};
  ASSERT_EQ(key.SetValue(u"Embedded", kRegDword, bytes, sizeof(bytes)), kErrorSuccess);
  EXPECT_EQ(ReadRegString(kAppInfoKey, u"Embedded"), u"a");
  // A full 520-byte value without terminator reads as its 260 units, never
  // past the budget.
  std::string full(520, 'y');
  ASSERT_EQ(key.SetValue(u"Full", kRegSz, full.data(), 520), kErrorSuccess);
  EXPECT_EQ(ReadRegString(kAppInfoKey, u"Full"), std::u16string(260, u'\x7979'));
}

TEST_F(RegistryTest, ReadOnlyKeyRefusesWrites) {
  ASSERT_EQ(WriteRegString(kAppInfoKey, u"V", u"1"), 0);
  RegKey key;
  ASSERT_EQ(key.Open(RegRoot::kCurrentUser, kAppInfoKey, kKeyRead), kErrorSuccess);
  EXPECT_EQ(key.SetValue(u"V", kRegSz, "2\0\0", 4), kErrorAccessDenied);
  key.Close();
  EXPECT_EQ(key.SetValue(u"V", kRegSz, "2\0\0", 4), kErrorInvalidHandle);
  EXPECT_EQ(ReadRegString(kAppInfoKey, u"V"), u"1");
}

TEST_F(RegistryTest, DamagedHiveIsKeptAsideAndWriteStartsFresh) {
  const std::string damaged = "varnik-hive 1\nk 41\nv 1 zz 00\n";  // bad hex, no end line
  varnik_test::WriteFile(HivePath(), damaged);
  EXPECT_EQ(ReadRegString(kAppInfoKey, kInstallerPathValue), u"");
  EXPECT_EQ(varnik_test::ReadFile(HivePath()), damaged);  // reads leave it alone

  ASSERT_EQ(WriteRegString(kAppInfoKey, kInstallerPathValue, u"/opt/x"), 0);
  EXPECT_EQ(ReadRegString(kAppInfoKey, kInstallerPathValue), u"/opt/x");
  int aside = 0;
  for (const auto& item : std::filesystem::directory_iterator(dir_.path() + "/varnik")) {
    if (item.path().filename().string().rfind("user.hive.damaged-", 0) == 0) {
      ++aside;
      EXPECT_EQ(varnik_test::ReadFile(item.path().string()), damaged);
    }
  }
  EXPECT_EQ(aside, 1);
}

// Two writer processes, each setting its own values one by one: every
// update must survive, which needs the lock and the re-read under it.
TEST_F(RegistryTest, ConcurrentWriterProcessesLoseNoUpdate) {
  constexpr int kWrites = 60;
  auto writer = [](char16_t prefix) {
    return [prefix]() -> std::string {
      for (int i = 0; i < kWrites; ++i) {
        std::u16string name(1, prefix);
        for (char c : std::to_string(i)) name.push_back(static_cast<char16_t>(c));
        if (WriteRegString(kAppInfoKey, name, name) != 0) return "write failed";
      }
      return "ok";
    };
  };
  pid_t pids[2];
  int fds[2][2];
  for (int w = 0; w < 2; ++w) {
    ASSERT_EQ(pipe(fds[w]), 0);
  }
  // Both children start together so their writes really interleave.
  for (int w = 0; w < 2; ++w) {
    pids[w] = fork();
    if (pids[w] == 0) {
      alarm(60);
      char go;
      if (read(fds[0][0], &go, 1) != 1) _exit(4);
      _exit(writer(w == 0 ? u'A' : u'B')() == "ok" ? 0 : 1);
    }
  }
  ASSERT_EQ(write(fds[0][1], "gg", 2), 2);
  for (int w = 0; w < 2; ++w) {
    int status = 0;
    ASSERT_EQ(waitpid(pids[w], &status, 0), pids[w]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    close(fds[w][0]);
    close(fds[w][1]);
  }
  Hive hive;
  ASSERT_EQ(HiveFile(HivePath()).Read(&hive), kErrorSuccess);
  const Hive::Key* key = hive.FindKey(kAppInfoKey);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->values.size(), 2u * kWrites);
}

// A writer killed with SIGKILL at any moment leaves a whole hive holding
// every update that had completed before.
TEST_F(RegistryTest, WriterKilledMidUpdateLeavesWholeHive) {
  for (int round = 0; round < 25; ++round) {
    SCOPED_TRACE(round);
    int progress[2];
    ASSERT_EQ(pipe(progress), 0);
    pid_t pid = fork();
    if (pid == 0) {
      alarm(60);
      close(progress[0]);
      for (int i = 0;; ++i) {
        std::u16string value;
        for (char c : std::to_string(i)) value.push_back(static_cast<char16_t>(c));
        if (WriteRegString(kAppInfoKey, u"Counter", value) != 0) _exit(1);
        char done = 'x';
        if (write(progress[1], &done, 1) != 1) _exit(2);
      }
    }
    close(progress[1]);
    // Let it complete a varying number of updates, then kill it in the next.
    int completed = 0;
    char c;
    while (completed < 1 + round % 7 && read(progress[0], &c, 1) == 1) ++completed;
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    while (read(progress[0], &c, 1) == 1) ++completed;  // updates reported before the kill
    close(progress[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    Hive hive;
    ASSERT_EQ(HiveFile(HivePath()).Read(&hive), kErrorSuccess);
    std::u16string value = ReadRegString(kAppInfoKey, u"Counter");
    ASSERT_FALSE(value.empty());
    int stored = std::stoi(std::string(value.begin(), value.end()));
    // The stored value is the last reported update or the one in flight.
    EXPECT_GE(stored, completed - 1);
    EXPECT_LE(stored, completed);
  }
}

}  // namespace
}  // namespace platform
