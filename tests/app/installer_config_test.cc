#include "app/installer_config.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

#include "base/misc_thread.h"
#include "base/thread_registry.h"
#include "base/utf.h"
#include "base/waitable_event.h"
#include "gtest/gtest.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "tests/platform/test_support.h"

namespace app {
namespace {

using varnik_test::ScopedEnv;
using varnik_test::ScopedTempDir;

std::u16string U16(const std::string& text) { return nbase::Utf8ToUtf16(text); }

// A user whose every folder lies in a temporary tree.
class InstallerConfigTest : public ::testing::Test {
 protected:
  InstallerConfigTest()
      : home_("HOME", (dir_.path() + "/home").c_str()),
        config_("XDG_CONFIG_HOME", (dir_.path() + "/config").c_str()),
        data_("XDG_DATA_HOME", (dir_.path() + "/data").c_str()),
        cache_("XDG_CACHE_HOME", (dir_.path() + "/cache").c_str()),
        server_("VARNIK_SERVER_HOST", nullptr) {}

  std::u16string Path(const std::string& relative) const { return U16(dir_.path() + relative); }

  ScopedTempDir dir_;
  ScopedEnv home_, config_, data_, cache_, server_;
};

TEST_F(InstallerConfigTest, FreshUserGetsDefaultFolders) {
  InstallerConfig config = InstallerConfig::ComputeWithChannel(true, u"zorv_seo_link");
  EXPECT_EQ(config.install_dir, Path("/data/zorv/dudIdiruvovo"));
  EXPECT_FALSE(config.existing_install);
  EXPECT_EQ(config.download_dir, Path("/cache/zorv/DudIdiruvovo/Files/"));
  EXPECT_TRUE(platform::IsDirectory(config.download_dir));
  EXPECT_EQ(config.installer_file,
            Path("/cache/zorv/DudIdiruvovo/Files/DudIdiruvovoInstaller.exe"));
}

TEST_F(InstallerConfigTest, EarlierInstallationFolderWins) {
  const std::u16string earlier = Path("/opt/\u8f6c\u6362\u5668");
  ASSERT_EQ(platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue, earlier),
            0);
  InstallerConfig without_file = InstallerConfig::ComputeWithChannel(false, u"");
  EXPECT_EQ(without_file.install_dir, earlier);
  EXPECT_FALSE(without_file.existing_install);

  varnik_test::WriteFile(nbase::Utf16ToUtf8(earlier) + "/vidIvurodezirarod.exe", "app");
  InstallerConfig with_file = InstallerConfig::ComputeWithChannel(false, u"");
  EXPECT_EQ(with_file.install_dir, earlier);
  EXPECT_TRUE(with_file.existing_install);
}

TEST_F(InstallerConfigTest, ChannelDecidesRecordAndAddress) {
  struct Case {
    bool found;
    std::u16string resource;
    std::u16string channel;
    std::u16string recorded;  // InstallerChannel afterwards ("before" stays when not written)
  };
  const Case cases[] = {
      {true, u"zorv_seo_link", u"zorv_seo_link", u"zorv_seo_link"},
      {true, u"upgrade", u"upgrade", u"before"},
      {true, u"Upgrade", u"Upgrade", u"Upgrade"},  // the comparison is case-sensitive
      {false, u"", u"default", u"default"},
      {true, u"", u"", u"before"},  // undecodable bytes decode to an empty channel
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(nbase::Utf16ToUtf8(c.resource));
    ASSERT_EQ(platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerChannelValue,
                                       u"before"),
              0);
    InstallerConfig config = InstallerConfig::ComputeWithChannel(c.found, c.resource);
    EXPECT_EQ(config.channel, c.channel);
    EXPECT_EQ(platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerChannelValue),
              c.recorded);
    EXPECT_EQ(config.package_url,
              u"http://www.varnikpdf.com/caller?c=site&a=downloadPackage&coopcom=zorv&channel=" +
                  c.channel);
  }
}

// At start-up the channel record is written by the worker thread, so the
// window does not wait for the disk; without that thread it is written at
// once. (This test program carries no channel: "default".)
TEST_F(InstallerConfigTest, StartUpWritesTheChannelRecordOnTheWorkerOrAtOnce) {
  auto recorded = [] {
    return platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerChannelValue);
  };
  const InstallerConfig at_once = InstallerConfig::ComputeWritingOn(nbase::kThreadMisc);
  EXPECT_EQ(at_once.channel, u"default");
  EXPECT_EQ(recorded(), u"default");

  ASSERT_EQ(platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerChannelValue,
                                     u"before"),
            0);
  nbase::MiscThread worker(nbase::kThreadMisc, "Global Misc Thread");
  ASSERT_TRUE(worker.Start());
  const InstallerConfig later = InstallerConfig::ComputeWritingOn(nbase::kThreadMisc);
  EXPECT_EQ(later.package_url, at_once.package_url);
  nbase::WaitableEvent drained;
  ASSERT_TRUE(nbase::ThreadRegistry::PostTask(nbase::kThreadMisc, [&] { drained.Signal(); }));
  ASSERT_TRUE(drained.TimedWait(20000));
  EXPECT_EQ(recorded(), u"default");
  worker.Stop();
}

TEST_F(InstallerConfigTest, ServerHostVariablePointsAddressAtLoopback) {
  ScopedEnv server("VARNIK_SERVER_HOST", "127.0.0.1:8123");
  InstallerConfig config = InstallerConfig::ComputeWithChannel(true, u"a b&c");
  EXPECT_EQ(config.package_url,
            u"http://127.0.0.1:8123/caller?c=site&a=downloadPackage&coopcom=zorv&channel=a b&c");
}

TEST_F(InstallerConfigTest, ExactlyOneSeparatorBeforePackageName) {
  ScopedEnv cache("XDG_CACHE_HOME", (dir_.path() + "/file-not-folder").c_str());
  varnik_test::WriteFile(dir_.path() + "/file-not-folder", "x");  // first candidate unusable
  varnik_test::WriteFile(dir_.path() + "/config/user-dirs.dirs",
                         "XDG_DESKTOP_DIR=\"$HOME/Desk//\"\n");
  InstallerConfig config = InstallerConfig::ComputeWithChannel(false, u"");
  EXPECT_EQ(config.download_dir, Path("/home/Desk/"));
  EXPECT_EQ(config.installer_file, Path("/home/Desk/DudIdiruvovoInstaller.exe"));
}

// Another process that holds the settings store's lock and never lets go,
// as `flock -x user.hive.lock sleep 600` does. Ends with the object.
class ForeignLockHolder {
 public:
  explicit ForeignLockHolder(const std::string& lock_path) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      const int fd = open(lock_path.c_str(), O_RDWR | O_CREAT, 0600);
      if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(1);
      if (write(ready[1], "L", 1) != 1) _exit(1);
      while (true) pause();
    }
    close(ready[1]);
    char byte = 0;
    holding_ = pid_ > 0 && read(ready[0], &byte, 1) == 1;
    close(ready[0]);
  }
  ~ForeignLockHolder() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  bool holding() const { return holding_; }

 private:
  pid_t pid_ = -1;
  bool holding_ = false;
};

// A store that cannot be had - its lock held elsewhere for ever, or a FIFO
// where the hive file belongs - never holds start-up: the configuration is
// computed, the store is left as it is, and this run goes on without it.
TEST_F(InstallerConfigTest, BusyLockOrFifoStoreNeverHoldsStartUp) {
  const std::string folder = dir_.path() + "/config/varnik";
  ASSERT_TRUE(platform::CreateDirectoryTree(U16(folder)));
  enum class Obstacle { kHeldLock, kFifo };
  for (Obstacle obstacle : {Obstacle::kHeldLock, Obstacle::kFifo}) {
    SCOPED_TRACE(obstacle == Obstacle::kHeldLock ? "held lock" : "fifo");
    std::filesystem::remove(folder + "/user.hive");
    std::unique_ptr<ForeignLockHolder> holder;
    if (obstacle == Obstacle::kHeldLock) {
      holder = std::make_unique<ForeignLockHolder>(folder + "/user.hive.lock");
      ASSERT_TRUE(holder->holding());
    } else {
      ASSERT_EQ(mkfifo((folder + "/user.hive").c_str(), 0600), 0);
    }
    // In a child with a watchdog: a hang ends it by SIGALRM and fails here.
    const varnik_test::ChildResult result = varnik_test::RunInChild(
        [] {
          const InstallerConfig config =
              InstallerConfig::ComputeWithChannel(true, u"zorv_seo_link");
          // A later write in the same run gives up at once.
          const int32_t again =
              platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue, u"x");
          return nbase::Utf16ToUtf8(config.channel + u"|" + config.download_dir + u"|" +
                                    platform::ReadRegString(platform::kAppInfoKey,
                                                            platform::kInstallerChannelValue)) +
                 "|" + std::to_string(again);
        },
        60);
    EXPECT_EQ(result.signal, 0) << "start-up hung";
    EXPECT_EQ(result.output, "zorv_seo_link|" + dir_.path() + "/cache/zorv/DudIdiruvovo/Files/||1");
    struct stat info;
    ASSERT_EQ(lstat((folder + "/user.hive").c_str(), &info), obstacle == Obstacle::kFifo ? 0 : -1);
    if (obstacle == Obstacle::kFifo) {
      EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "left as it was";
    }
  }
}

TEST(ChooseDownloadDirTest, NoUsableCandidateTakesTheLastRealOne) {
  ScopedTempDir dir;
  varnik_test::WriteFile(dir.path() + "/f", "x");
  std::vector<std::u16string> candidates = {U16(dir.path() + "/f/a"), u"",
                                            U16(dir.path() + "/f/b")};
  EXPECT_EQ(InstallerConfig::ChooseDownloadDir(candidates), U16(dir.path() + "/f/b"));
  // A refused private folder is an empty entry: it never becomes a folder.
  EXPECT_EQ(InstallerConfig::ChooseDownloadDir({U16(dir.path() + "/f/a"), u""}),
            U16(dir.path() + "/f/a"));
  EXPECT_EQ(InstallerConfig::ChooseDownloadDir({u"", u""}), u"");
  EXPECT_EQ(InstallerConfig::ChooseDownloadDir({}), u"");
  EXPECT_EQ(InstallerConfig::InstallDirFor(u"/picked/"), u"/picked/zorv/dudIdiruvovo");
}

// The free-space rule on real small file systems: each case runs in a child
// with its own mount namespace, so the mounts vanish with it.
class DownloadDirSpaceTest : public InstallerConfigTest {
 protected:
  // Mounts tmpfs of the given KiB at each path (relative to the temp tree
  // unless absolute), computes the configuration and returns download_dir.
  std::string DownloadDirWith(const std::vector<std::pair<std::string, unsigned long>>& mounts) {
    auto result = varnik_test::RunInChild([&]() -> std::string {
      if (!varnik_test::EnterPrivateMountNamespace()) _exit(varnik_test::kChildCannotRun);
      for (const auto& [where, kib] : mounts) {
        std::string path = where[0] == '/' ? where : dir_.path() + "/" + where;
        if (!varnik_test::MountTmpfs(path, kib)) _exit(varnik_test::kChildCannotRun);
      }
      return nbase::Utf16ToUtf8(InstallerConfig::ComputeWithChannel(false, u"").download_dir);
    });
    if (result.exit_code == varnik_test::kChildCannotRun) return "cannot run";
    EXPECT_EQ(result.exit_code, 0);
    return result.output;
  }
  std::string Private(const char* parent) const {
    return std::string(parent) + "/varnik-" + std::to_string(geteuid()) + "/";
  }
};

// 423,116,800 bytes are exactly 413,200 KiB (103,300 pages of 4 KiB).
constexpr unsigned long kBoundKib = 413200;

TEST_F(DownloadDirSpaceTest, BoundIsInclusive) {
  std::string at_bound = DownloadDirWith({{"cache", kBoundKib}});
  if (at_bound == "cannot run") GTEST_SKIP() << "no mount namespaces here";
  EXPECT_EQ(at_bound, dir_.path() + "/cache/zorv/DudIdiruvovo/Files/");
  // One page less and the application-data folder is passed over for the desktop.
  EXPECT_EQ(DownloadDirWith({{"cache", kBoundKib - 4}}), dir_.path() + "/home/Desktop/");
}

TEST_F(DownloadDirSpaceTest, FullDriveSkipsAppDataAndDesktopToVarTmp) {
  // Application data and desktop share a 403 MiB file system.
  std::string chosen =
      DownloadDirWith({{"home", 403 * 1024}, {"cache", 403 * 1024}, {"/var/tmp", 1024 * 1024}});
  if (chosen == "cannot run") GTEST_SKIP() << "no mount namespaces here";
  EXPECT_EQ(chosen, Private("/var/tmp"));
}

TEST_F(DownloadDirSpaceTest, NothingUsableEndsWithTheLastCandidate) {
  std::string chosen =
      DownloadDirWith({{"home", 1024}, {"cache", 1024}, {"/var/tmp", 1024}, {"/tmp", 1024}});
  if (chosen == "cannot run") GTEST_SKIP() << "no mount namespaces here";
  EXPECT_EQ(chosen, Private("/tmp"));
}

// The configuration of a real executable whose channel resource the tool
// wrote, as a distribution channel gets it.
class ConfigProbeTest : public InstallerConfigTest {
 protected:
  std::map<std::string, std::string> RunProbe(const std::string& tool_arguments) {
    std::string probe = dir_.path() + "/probe";
    std::filesystem::copy_file(VARNIK_CONFIG_PROBE, probe);
    if (!tool_arguments.empty()) {
      std::string command =
          std::string(VARNIK_RESOURCE_WRITER) + " " + probe + " " + tool_arguments;
      EXPECT_EQ(std::system(command.c_str()), 0);
    }
    std::map<std::string, std::string> values;
    FILE* pipe = popen(probe.c_str(), "r");
    char line[4096];
    while (pipe != nullptr && std::fgets(line, sizeof(line), pipe) != nullptr) {
      std::string text(line);
      if (!text.empty() && text.back() == '\n') text.pop_back();
      size_t equals = text.find('=');
      if (equals != std::string::npos) values[text.substr(0, equals)] = text.substr(equals + 1);
    }
    if (pipe != nullptr) pclose(pipe);
    std::filesystem::remove(probe);
    return values;
  }
};

TEST_F(ConfigProbeTest, ChannelComesFromTheExecutable) {
  struct Case {
    std::string bytes;  // empty: no table at all
    std::string channel;
    std::string recorded;
  };
  const Case cases[] = {
      {"zorv_seo_link", "zorv_seo_link", "zorv_seo_link"},
      {"upgrade", "upgrade", ""},
      {"", "default", "default"},
      {"bad\xff", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    std::filesystem::remove_all(dir_.path() + "/config");
    std::string arguments;
    if (!c.bytes.empty()) {
      varnik_test::WriteFile(dir_.path() + "/channel.bin", c.bytes);
      arguments = "--resource CHANNEL 138 " + dir_.path() + "/channel.bin";
    }
    auto values = RunProbe(arguments);
    EXPECT_EQ(values["channel"], c.channel);
    EXPECT_EQ(values["package_url"],
              "http://www.varnikpdf.com/caller?c=site&a=downloadPackage&coopcom=zorv&channel=" +
                  c.channel);
    EXPECT_EQ(nbase::Utf16ToUtf8(
                  platform::ReadRegString(platform::kAppInfoKey, platform::kInstallerChannelValue)),
              c.recorded);
  }
}

}  // namespace
}  // namespace app
