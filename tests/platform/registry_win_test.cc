// The registry calls on the real Windows registry: string values under the
// current user, the installed-programs key in both views, the byte budget.
// Every test works below a key of its own and deletes it afterwards.
#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "platform/error_codes.h"
#include "platform/reg_key.h"
#include "platform/registry.h"

namespace platform {
namespace {

std::u16string Unique(const char* stem) {
  const std::string text = std::string(stem) + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(GetTickCount64());
  return std::u16string(text.begin(), text.end());
}

// Deletes a key and everything below it, in one view.
void DeleteTree(HKEY root, const std::u16string& path, REGSAM view) {
  const std::wstring wide(path.begin(), path.end());
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, wide.c_str(), 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
    RegDeleteTreeW(key, nullptr);
    RegCloseKey(key);
  }
  RegDeleteKeyExW(root, wide.c_str(), view, 0);
}

class RegistryWinTest : public ::testing::Test {
 protected:
  ~RegistryWinTest() override { DeleteTree(HKEY_CURRENT_USER, key_, 0); }
  const std::u16string key_ = u"Software\\VarnikTests\\" + Unique("registry-");
};

TEST_F(RegistryWinTest, StringsRoundTripUnderTheCurrentUser) {
  EXPECT_EQ(ReadRegString(key_, u"InstallerPath"), u"") << "no key yet";
  const std::u16string folder = u"C:\\Program Files (x86)\\zorv\\\u8f6c\u6362\u5668";
  ASSERT_EQ(WriteRegString(key_, u"InstallerPath", folder), 0);
  EXPECT_EQ(ReadRegString(key_, u"InstallerPath"), folder);
  EXPECT_EQ(ReadRegString(key_, u"installerpath"), folder) << "names ignore case";
  ASSERT_EQ(WriteRegString(key_, u"InstallerPath", u""), 0);
  EXPECT_EQ(ReadRegString(key_, u"InstallerPath"), u"");

  // The stored bytes include the terminator, as REG_SZ.
  RegKey key;
  ASSERT_EQ(key.Open(RegRoot::kCurrentUser, key_, kKeyRead), kErrorSuccess);
  ASSERT_EQ(WriteRegString(key_, u"UniqueId", u"ABC"), 0);
  uint32_t type = 0;
  uint32_t size = 0;
  ASSERT_EQ(key.QueryValue(u"UniqueId", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 8u);
}

TEST_F(RegistryWinTest, ReadsStayWithinTheStringBudget) {
  const std::u16string fits(259, u'x');
  const std::u16string too_long(260, u'x');
  ASSERT_EQ(WriteRegString(key_, u"Fits", fits), 0);
  ASSERT_EQ(WriteRegString(key_, u"TooLong", too_long), 0);
  EXPECT_EQ(ReadRegString(key_, u"Fits"), fits);
  EXPECT_EQ(ReadRegString(key_, u"TooLong"), u"");

  RegKey key;
  ASSERT_EQ(key.Open(RegRoot::kCurrentUser, key_, kKeyRead), kErrorSuccess);
  char small[4];
  uint32_t size = sizeof(small);
  EXPECT_EQ(key.QueryValue(u"TooLong", nullptr, small, &size), kErrorMoreData);
  EXPECT_EQ(size, (too_long.size() + 1) * 2);
}

// The installed-programs key has a 32-bit and a 64-bit view; a program
// registered in one is seen only there.
TEST(RegistryViewsWinTest, EachViewListsOnlyItsOwnPrograms) {
  const std::u16string name32 = Unique("varnik-test-32-");
  const std::u16string name64 = Unique("varnik-test-64-");
  const std::u16string path32 = std::u16string(kUninstallKeyPath) + u"\\" + name32;
  const std::u16string path64 = std::u16string(kUninstallKeyPath) + u"\\" + name64;
  struct Cleanup {
    std::u16string p32, p64;
    ~Cleanup() {
      DeleteTree(HKEY_LOCAL_MACHINE, p32, KEY_WOW64_32KEY);
      DeleteTree(HKEY_LOCAL_MACHINE, p64, KEY_WOW64_64KEY);
    }
  } cleanup{path32, path64};

  const std::u16string display = u"VarnikPDF\u8f6c\u6362\u5668";
  const std::string bytes(reinterpret_cast<const char*>(display.c_str()), (display.size() + 1) * 2);
  for (const auto& [path, view] : {std::pair{path32, kKeyWow64_32Key}, {path64, kKeyWow64_64Key}}) {
    RegKey key;
    ASSERT_EQ(key.Create(RegRoot::kLocalMachine, path, kKeyRead | kKeyWrite | view), kErrorSuccess);
    ASSERT_EQ(key.SetValue(u"DisplayName", kRegSz, bytes.data(), static_cast<uint32_t>(bytes.size())),
              kErrorSuccess);
  }

  auto listed = [](uint32_t view, const std::u16string& name) {
    RegKey uninstall;
    if (uninstall.Open(RegRoot::kLocalMachine, kUninstallKeyPath, kKeyRead | view) != kErrorSuccess) {
      return false;
    }
    std::u16string subkey;
    for (uint32_t i = 0; uninstall.EnumKey(i, &subkey) == kErrorSuccess; ++i) {
      if (subkey == name) return true;
    }
    return false;
  };
  EXPECT_TRUE(listed(kKeyWow64_32Key, name32));
  EXPECT_FALSE(listed(kKeyWow64_64Key, name32));
  EXPECT_TRUE(listed(kKeyWow64_64Key, name64));
  EXPECT_FALSE(listed(kKeyWow64_32Key, name64));

  // Read back through a subkey opened below the view's key.
  RegKey uninstall;
  ASSERT_EQ(uninstall.Open(RegRoot::kLocalMachine, kUninstallKeyPath, kKeyRead | kKeyWow64_32Key),
            kErrorSuccess);
  RegKey program;
  ASSERT_EQ(program.Open(uninstall, name32, kKeyRead | kKeyWow64_32Key), kErrorSuccess);
  char16_t value[64] = {};
  uint32_t size = sizeof(value);
  ASSERT_EQ(program.QueryValue(u"DisplayName", nullptr, value, &size), kErrorSuccess);
  EXPECT_EQ(std::u16string(value), display);
}

}  // namespace
}  // namespace platform
