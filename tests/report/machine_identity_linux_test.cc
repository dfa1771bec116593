// The version text read from the resource table the Linux build writes into
// the executable's resource section.
#include <gtest/gtest.h>

#include <string>

#include "base/utf.h"
#include "platform/resource_table.h"
#include "report/machine_identity.h"
#include "tests/platform/test_support.h"
#include "tests/report/report_server.h"

namespace report {
namespace {

class FileVersionTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetIdentityCachesForTesting(); }
  void TearDown() override { ResetIdentityCachesForTesting(); }

  // An executable-like file with a resource table holding `version`, or none.
  std::u16string MakeFile(const std::string& name, const std::string* version) {
    const std::string path = reporttest::ScratchFolder() + "/" + name;
    EXPECT_TRUE(varnik_test::MakeProgramWithResourceSection(path));
    if (version) {
      platform::ResourceTable table;
      table.Set("CHANNEL", 138, "zorv_seo_link");
      table.Set("VERSION", 1, *version);
      EXPECT_EQ(table.WriteToFile(path), 0);
    }
    return nbase::Utf8ToUtf16(path);
  }
};

TEST_F(FileVersionTest, VersionRecordOrDefault) {
  struct Case {
    const char* record;  // nullptr: no resource table at all.
    std::u16string version;
  };
  const Case cases[] = {
      {"1.6.1.8", u"1.6.1.8"},
      {"10.0.19041.1", u"10.0.19041.1"},
      {"01.2.3.4", u"1.2.3.4"},
      {nullptr, u"1.0.0.0"},
      {"", u"1.0.0.0"},
      {"1.6.1", u"1.0.0.0"},
      {"1.6.1.8.9", u"1.0.0.0"},
      {"1.6.x.8", u"1.0.0.0"},
      {"1.65536.0.0", u"1.0.0.0"},
      {"1..1.8", u"1.0.0.0"},
  };
  int index = 0;
  for (const auto& c : cases) {
    ResetIdentityCachesForTesting();
    std::string record = c.record ? c.record : "";
    const std::u16string path =
        MakeFile("version" + std::to_string(index++), c.record ? &record : nullptr);
    EXPECT_EQ(GetFileVersionText(path), c.version) << (c.record ? c.record : "(none)");
  }
}

TEST_F(FileVersionTest, FirstResultIsKeptWhateverLaterPathsSay) {
  const std::string first = "1.6.1.8";
  const std::string second = "2.0.0.0";
  const std::u16string first_path = MakeFile("first", &first);
  const std::u16string second_path = MakeFile("second", &second);
  EXPECT_EQ(GetFileVersionText(first_path), u"1.6.1.8");
  EXPECT_EQ(GetFileVersionText(second_path), u"1.6.1.8");
  EXPECT_EQ(GetFileVersionText(), u"1.6.1.8");

  ResetIdentityCachesForTesting();
  EXPECT_EQ(GetFileVersionText(MakeFile("bare", nullptr)), u"1.0.0.0");
  EXPECT_EQ(GetFileVersionText(second_path), u"1.0.0.0");
}

TEST_F(FileVersionTest, RunningTestProgramHasNoVersionRecord) {
  EXPECT_EQ(GetFileVersionText(), u"1.0.0.0");
}

}  // namespace
}  // namespace report
