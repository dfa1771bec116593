// Resources on Windows through the real API: this test program carries the
// installer's resources (skin package, channel, version information) as PE
// resources, and a copy whose channel the resource writer rewrote reads back
// the new channel through FindResourceW, with every other byte unchanged.
#include <windows.h>
// windows.h first: the image-help header builds on its types.
#include <imagehlp.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/utf.h"
#include "platform/embedded_resources.h"
#include "tests/platform/test_support.h"
#include "tools/resource_writer/pe_resource_file.h"

namespace platform {
namespace {

std::filesystem::path OwnProgram() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  return std::filesystem::path(std::wstring(path, length));
}

std::string Utf8(const std::filesystem::path& path) { return nbase::Utf16ToUtf8(path.u16string()); }

TEST(EmbeddedResourcesWinTest, TheProgramCarriesThemeChannelAndVersion) {
  std::string theme, channel, version;
  ASSERT_TRUE(LoadEmbeddedResource(kThemeResourceType, kThemeResourceId, &theme));
  EXPECT_EQ(theme, varnik_test::ReadFile(VARNIK_TEST_THEME_FILE));
  // The build's resource writer sized the 260-byte slot down to the channel.
  ASSERT_TRUE(LoadEmbeddedResource(kChannelResourceType, kChannelResourceId, &channel));
  EXPECT_EQ(channel, VARNIK_TEST_CHANNEL);
  std::u16string decoded;
  ASSERT_TRUE(ReadChannel(&decoded));
  EXPECT_EQ(nbase::Utf16ToUtf8(decoded), VARNIK_TEST_CHANNEL);
  ASSERT_TRUE(LoadEmbeddedResource(kVersionResourceType, kVersionResourceId, &version));
  EXPECT_EQ(version, "1.6.1.8");
  EXPECT_FALSE(LoadEmbeddedResource(kThemeResourceType, 137, &theme));
  EXPECT_FALSE(LoadEmbeddedResource(kChannelResourceType, -1, &channel));
  EXPECT_FALSE(LoadEmbeddedResource(u"NOSUCHTYPE", kChannelResourceId, &channel));
}

TEST(EmbeddedResourcesWinTest, ARewrittenChannelReadsBackThroughTheSystem) {
  const std::string original = varnik_test::ReadFile(Utf8(OwnProgram()));
  resource_writer::PeResourceFile file;
  std::string error;
  ASSERT_TRUE(file.Parse(original, &error)) << error;
  const auto* theme = file.Find("THEME", "136");
  ASSERT_NE(theme, nullptr);
  EXPECT_EQ(file.Content(*theme), varnik_test::ReadFile(VARNIK_TEST_THEME_FILE));
  ASSERT_NE(file.Find("#16", "1"), nullptr) << "the version information is listed";

  const std::string channel = "渠道_seo_2";
  ASSERT_TRUE(file.Rewrite("CHANNEL", "138", channel, &error)) << error;
  // Only the channel's bytes, its size field and the checksum may differ.
  const auto* resource = file.Find("CHANNEL", "138");
  ASSERT_EQ(file.bytes().size(), original.size());
  auto within = [](size_t i, size_t start, size_t length) { return i >= start && i < start + length; };
  for (size_t i = 0; i < original.size(); ++i) {
    if (!within(i, resource->data_offset, 260) && !within(i, resource->entry_offset + 4, 4) &&
        !within(i, file.checksum_offset(), 4)) {
      ASSERT_EQ(file.bytes()[i], original[i]) << "byte " << i;
    }
  }

  varnik_test::ScopedTempDir folder;
  const auto copy = std::filesystem::path(folder.path16()) / L"varnikpdf-setup 副本.exe";
  std::ofstream(copy, std::ios::binary) << file.bytes();
  // The system agrees with the checksum the rewrite left in the header.
  DWORD header_sum = 0, computed_sum = 0;
  ASSERT_EQ(MapFileAndCheckSumW(copy.c_str(), &header_sum, &computed_sum), CHECKSUM_SUCCESS);
  EXPECT_EQ(header_sum, computed_sum);
  std::string read_back, version;
  ASSERT_TRUE(LoadResourceFromFile(Utf8(copy), kChannelResourceType, kChannelResourceId,
                                   &read_back));
  EXPECT_EQ(read_back, channel);
  ASSERT_TRUE(LoadResourceFromFile(Utf8(copy), kVersionResourceType, kVersionResourceId,
                                   &version));
  EXPECT_EQ(version, "1.6.1.8");

  // A channel longer than the slot does not fit and changes nothing.
  EXPECT_FALSE(file.Rewrite("CHANNEL", "138", std::string(300, 'x'), &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace platform
