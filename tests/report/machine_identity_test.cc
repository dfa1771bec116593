#include "report/machine_identity.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "base/misc_thread.h"
#include "base/thread_registry.h"
#include "base/utf.h"
#include "base/waitable_event.h"
#include "platform/registry.h"
#include "tests/report/report_server.h"

namespace report {
namespace {

using nbase::Utf16ToUtf8;

bool IsUpperHex32(const std::u16string& text) {
  return std::regex_match(Utf16ToUtf8(text), std::regex("[0-9A-F]{32}"));
}

std::u16string StoredId() {
  return platform::ReadRegString(platform::kAppInfoKey, platform::kUniqueIdValue);
}

void StoreId(const std::u16string& id) {
  ASSERT_EQ(platform::WriteRegString(platform::kAppInfoKey, platform::kUniqueIdValue, id), 0);
}

class MachineIdentityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetIdentityCachesForTesting();
    StoreId(u"");
  }
  void TearDown() override { ResetIdentityCachesForTesting(); }
};

TEST(Md5HexTest, DigestsUtf8UpToFirstNul) {
  struct Case {
    std::u16string text;
    std::u16string hex;
  };
  const Case cases[] = {
      {u"", u"D41D8CD98F00B204E9800998ECF8427E"},
      {u"abc", u"900150983CD24FB0D6963F7D28E17F72"},
      {u"message digest", u"F96B697D7CB7938D525A2F31AAF161D0"},
      {u"中文 Start 已安装", u"F8853EFE2F04C57D5AD99534757045CE"},
      {std::u16string(u"ab\0cd", 5), u"187EF4436122D1CC2F40DC2B92F0EBA0"},
  };
  for (const auto& c : cases) EXPECT_EQ(Md5Hex(c.text), c.hex) << Utf16ToUtf8(c.text);
}

TEST(GuidTextTest, FieldsInStructOrderUpperCase) {
  const uint8_t bytes[16] = {0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0x4E,
                             0x8a, 0xb1, 0x01, 0x02, 0x03, 0x04, 0xfe, 0xff};
  EXPECT_EQ(FormatGuidText(bytes), "{12345678-9ABC-4EF0-8AB1-01020304FEFF}");
  const uint8_t zeros[16] = {};
  EXPECT_EQ(FormatGuidText(zeros), "{00000000-0000-0000-0000-000000000000}");
}

TEST(GuidTextTest, NewIdentifierIsDigestOfFreshGuid) {
  std::set<std::string> guids;
  for (int i = 0; i < 20; ++i) {
    std::string guid;
    const std::u16string id = NewMachineIdentifier(&guid);
    ASSERT_EQ(guid.size(), 38u);
    EXPECT_TRUE(std::regex_match(
        guid,
        std::regex(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\})")))
        << guid;
    EXPECT_EQ(id, Md5Hex(nbase::Utf8ToUtf16(guid)));
    EXPECT_TRUE(IsUpperHex32(id));
    guids.insert(guid);
  }
  EXPECT_EQ(guids.size(), 20u);
}

TEST_F(MachineIdentityTest, StoredValueIsUsedUnchanged) {
  for (const std::u16string stored :
       {u"hand edited 手改 {x}", u"0123456789ABCDEF0123456789ABCDEF", u"lower-case-abc"}) {
    ResetIdentityCachesForTesting();
    StoreId(stored);
    EXPECT_EQ(GetMachineId(), stored);
    EXPECT_EQ(StoredId(), stored);
  }
}

TEST_F(MachineIdentityTest, MissingValueIsCreatedAndWrittenBack) {
  const std::u16string id = GetMachineId();
  EXPECT_TRUE(IsUpperHex32(id)) << Utf16ToUtf8(id);
  EXPECT_EQ(StoredId(), id);
  // A later process (caches forgotten) reads the same value back.
  ResetIdentityCachesForTesting();
  EXPECT_EQ(GetMachineId(), id);
}

TEST_F(MachineIdentityTest, TooLongStoredValueIsReplaced) {
  StoreId(std::u16string(300, u'A'));  // Reads as empty: past the read budget.
  const std::u16string id = GetMachineId();
  EXPECT_TRUE(IsUpperHex32(id));
  EXPECT_EQ(StoredId(), id);
}

TEST_F(MachineIdentityTest, RegistryIsReadOncePerProcess) {
  StoreId(u"FIRST");
  EXPECT_EQ(GetMachineId(), u"FIRST");
  StoreId(u"SECOND");
  EXPECT_EQ(GetMachineId(), u"FIRST");
  StoreId(u"");
  EXPECT_EQ(GetMachineId(), u"FIRST");
  EXPECT_EQ(StoredId(), u"");  // Nothing was written again either.
}

// At start-up a new identifier is written by the report thread, so the
// window does not wait for the disk; without that thread it is written at
// once. Either way it is the one handed out, and it is written.
TEST_F(MachineIdentityTest, StartUpIdentifierIsWrittenOnTheReportThreadOrAtOnce) {
  const std::u16string at_once = GetMachineIdWrittenOn(nbase::kThreadHttp);  // no such thread
  EXPECT_TRUE(IsUpperHex32(at_once));
  EXPECT_EQ(StoredId(), at_once);

  ResetIdentityCachesForTesting();
  StoreId(u"");
  nbase::MiscThread writer(nbase::kThreadHttp, "http Thread");
  ASSERT_TRUE(writer.Start());
  const std::u16string later = GetMachineIdWrittenOn(nbase::kThreadHttp);
  EXPECT_NE(later, at_once);
  EXPECT_EQ(GetMachineId(), later);  // cached, whatever the disk holds yet
  nbase::WaitableEvent done;
  ASSERT_TRUE(nbase::ThreadRegistry::PostTask(nbase::kThreadHttp, [&done] { done.Signal(); }));
  ASSERT_TRUE(done.TimedWait(20000));
  EXPECT_EQ(StoredId(), later);
  writer.Stop();
}

}  // namespace
}  // namespace report
