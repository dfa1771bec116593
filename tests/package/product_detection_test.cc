#include "package/product_detection.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "base/utf.h"
#include "platform/reg_key.h"
#include "platform/registry.h"
#include "tests/package/package_test_env.h"
#include "tests/platform/test_support.h"

namespace package {
namespace {

void WriteEntry(const std::string& data_dir, const std::string& file, const std::string& name) {
  std::filesystem::create_directories(data_dir + "/applications");
  varnik_test::WriteFile(data_dir + "/applications/" + file,
                         "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n");
}

class ProductDetectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    packagetest::ResetWorld();
    platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue, u"");
  }
  void TearDown() override {
    platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue, u"");
  }
};

TEST_F(ProductDetectionTest, NothingInstalled) {
  varnik_test::ScopedTempDir dir;
  // InstallerPath names a folder without the application.
  platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue,
                           nbase::Utf8ToUtf16(dir.path()));
  WriteEntry(packagetest::SystemDataDir(), "other.desktop", "Other Program");
  EXPECT_FALSE(FindUninstallEntry(0));
  EXPECT_FALSE(FindUninstallEntry(platform::kKeyWow64_64Key));
  EXPECT_FALSE(IsProductInstalled());
}

TEST_F(ProductDetectionTest, TheInstallerPathRecordWithTheApplication) {
  varnik_test::ScopedTempDir dir;
  varnik_test::WriteFile(dir.path() + "/vidIvurodezirarod.exe", "x");
  platform::WriteRegString(platform::kAppInfoKey, platform::kInstallerPathValue,
                           nbase::Utf8ToUtf16(dir.path()));
  EXPECT_TRUE(IsProductInstalled());
}

TEST_F(ProductDetectionTest, DisplayNamesThatMatchAndThatDoNot) {
  struct Case {
    std::string name;
    bool match;
  };
  const Case cases[] = {
      {"VarnikPDF转换器", true},
      {"VarnikPDF转换器 1.6.1.8", true},
      {"新版 VarnikPDF转换器", true},
      {"VarnikPDF转换", false},
      {"VarnikPdf转换器", false},
      {"VarnikPDF转换品", false},
      {"VarnikPDF转换器" + std::string(300, 'x'), false},  // Longer than the 512-byte read.
  };
  for (const auto& c : cases) {
    packagetest::ResetWorld();
    WriteEntry(packagetest::SystemDataDir(), "a-before.desktop", "Another Program");
    WriteEntry(packagetest::SystemDataDir(), "product.desktop", c.name);
    EXPECT_EQ(FindUninstallEntry(0), c.match) << c.name;
    EXPECT_FALSE(FindUninstallEntry(platform::kKeyWow64_64Key));
    EXPECT_EQ(IsProductInstalled(), c.match) << c.name;
  }
}

TEST_F(ProductDetectionTest, RegisteredOnlyInThe64BitView) {
  WriteEntry(packagetest::DataHome(), "varnik.desktop", "VarnikPDF转换器");
  EXPECT_FALSE(FindUninstallEntry(0));
  EXPECT_TRUE(FindUninstallEntry(platform::kKeyWow64_64Key));
  EXPECT_TRUE(IsProductInstalled());
}

TEST_F(ProductDetectionTest, DamagedEntriesAreSkipped) {
  std::filesystem::create_directories(packagetest::SystemDataDir() + "/applications");
  varnik_test::WriteFile(packagetest::SystemDataDir() + "/applications/a-broken.desktop",
                         std::string("\xff\xfe\0garbage\n[", 12));
  varnik_test::WriteFile(packagetest::SystemDataDir() + "/applications/b-noname.desktop",
                         "[Desktop Entry]\nType=Application\n");
  WriteEntry(packagetest::SystemDataDir(), "c-product.desktop", "VarnikPDF转换器");
  EXPECT_TRUE(FindUninstallEntry(0));
}

// Counts the opens of a folder and of the files in it, as the kernel sees them.
class OpenCounter {
 public:
  explicit OpenCounter(const std::string& folder)
      : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
        watch_(inotify_add_watch(fd_, folder.c_str(), IN_OPEN)) {}
  ~OpenCounter() { close(fd_); }
  bool watching() const { return fd_ >= 0 && watch_ >= 0; }
  // Opens per name since the last call ("" is the folder itself).
  std::map<std::string, int> Take() {
    std::map<std::string, int> opens;
    alignas(inotify_event) char buffer[1 << 16];
    ssize_t n;
    while ((n = read(fd_, buffer, sizeof buffer)) > 0) {
      for (char* at = buffer; at < buffer + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        ++opens[event->len > 0 ? std::string(event->name) : std::string()];
        at += sizeof(inotify_event) + event->len;
      }
    }
    return opens;
  }

 private:
  int fd_;
  int watch_;
};

// One detection over a crowded view lists the folder once and reads each
// entry once, however many entries there are: its cost grows linearly.
TEST_F(ProductDetectionTest, ScanListsTheViewOnceAndReadsEachEntryOnce) {
  const std::string apps = packagetest::SystemDataDir() + "/applications";
  constexpr int kEntries = 60;
  for (int i = 0; i < kEntries; ++i) {
    WriteEntry(packagetest::SystemDataDir(), "app" + std::to_string(i) + ".desktop",
               "Program " + std::to_string(i));
  }
  OpenCounter counter(apps);
  ASSERT_TRUE(counter.watching());
  EXPECT_FALSE(FindUninstallEntry(0));
  const std::map<std::string, int> opens = counter.Take();
  int entries_read = 0;
  for (const auto& [name, count] : opens) {
    EXPECT_EQ(count, 1) << (name.empty() ? "the folder" : name);
    if (!name.empty()) ++entries_read;
  }
  EXPECT_EQ(opens.count(""), 1u) << "the folder is listed";
  EXPECT_EQ(entries_read, kEntries);
}

}  // namespace
}  // namespace package
