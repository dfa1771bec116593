#include "tools/skin_packer/zip_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "tests/skin_tools/zip_listing.h"
#include "tools/skin_packer/skin_tree_packer.h"

namespace skin_tools {
namespace {

namespace fs = std::filesystem;

uint32_t Crc(const std::string& data) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& data) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << data;
}

// A scratch folder removed again at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "skin_tools_XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(ZipWriterTest, EntriesRoundTripWithTheirCrcAndMethod) {
  std::mt19937 random(7);
  std::string noise(70000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::string repetitive(100000, 'a');

  ZipWriter writer;
  ASSERT_TRUE(writer.AddDirectory("top/"));
  ASSERT_TRUE(writer.AddFile("top/empty.txt", ""));
  ASSERT_TRUE(writer.AddFile("top/noise.bin", noise));
  ASSERT_TRUE(writer.AddFile("top/aaa.txt", repetitive));
  EXPECT_EQ(writer.directory_count(), 1);
  EXPECT_EQ(writer.file_count(), 3);

  ZipListing listing;
  std::string error;
  ASSERT_TRUE(listing.Parse(writer.Finish(), &error)) << error;
  ASSERT_EQ(listing.entries().size(), 4u);
  EXPECT_EQ(listing.comment_length(), 0);

  const ZipListing::Entry& folder = listing.entries()[0];
  EXPECT_EQ(folder.name, "top/");
  EXPECT_EQ(folder.method, 0);
  EXPECT_EQ(folder.size, 0u);
  EXPECT_EQ(folder.compressed_size, 0u);
  EXPECT_EQ(folder.external_attributes & 0x10, 0x10u);

  const std::string expected[] = {"", noise, repetitive};
  for (int i = 0; i < 3; ++i) {
    const ZipListing::Entry& file = listing.entries()[i + 1];
    SCOPED_TRACE(file.name);
    EXPECT_EQ(file.method, 8);
    EXPECT_EQ(file.flags, 0) << "no encryption, no data descriptor";
    EXPECT_EQ(file.data, expected[i]);
    EXPECT_EQ(file.crc, Crc(expected[i]));
  }
  // Deflate really compresses what compresses.
  EXPECT_LT(listing.entries()[3].compressed_size, 1000u);
}

TEST(ZipWriterTest, RefusesNamesThatReadersWouldNormaliseOrReject) {
  struct Case {
    std::string name;
    bool accepted;
  };
  const Case cases[] = {
      {"a", true},
      {"resources/themes/default/global.xml", true},
      {std::string(255, 'n'), true},
      {std::string(256, 'n'), false},
      {"", false},
      {"/absolute", false},
      {"a//b", false},
      {"./a", false},
      {"a/./b", false},
      {"a/../b", false},
      {"..", false},
      {"a\\b", false},
      {std::string("a\0b", 3), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.size() > 40 ? std::to_string(c.name.size()) + " bytes" : c.name);
    ZipWriter writer;
    EXPECT_EQ(writer.AddFile(c.name, "x"), c.accepted);
    EXPECT_EQ(writer.file_count(), c.accepted ? 1 : 0);
  }
  ZipWriter writer;
  EXPECT_TRUE(writer.AddDirectory(std::string(254, 'd') + "/"));
  EXPECT_FALSE(writer.AddDirectory(std::string(255, 'd') + "/"));
  EXPECT_FALSE(writer.AddDirectory("no_slash"));
  EXPECT_FALSE(writer.AddDirectory("/"));
  EXPECT_FALSE(writer.AddDirectory("a/../"));
  EXPECT_EQ(writer.directory_count(), 1);
}

TEST(SkinTreePackerTest, PacksFoldersBeforeTheirContentsInSortedOrderAndRepeats) {
  TempFolder temp;
  ASSERT_FALSE(temp.path().empty());
  const fs::path root = temp.path() / "root";
  WriteFile(root / "b/z.txt", "zed");
  WriteFile(root / "b/a.txt", "ay");
  WriteFile(root / "a.txt", "top");
  fs::create_directories(root / "empty");

  std::string first, second, error;
  SkinTreePacker::Counts counts;
  ASSERT_EQ(SkinTreePacker::Pack(root.string(), &first, &counts, &error), 0) << error;
  EXPECT_EQ(counts.directories, 2);
  EXPECT_EQ(counts.files, 3);
  // Timestamps of the files do not reach the archive.
  fs::last_write_time(root / "a.txt", fs::file_time_type::clock::now() - std::chrono::hours(50));
  ASSERT_EQ(SkinTreePacker::Pack(root.string(), &second, &counts, &error), 0) << error;
  EXPECT_EQ(first, second);

  ZipListing listing;
  ASSERT_TRUE(listing.Parse(first, &error)) << error;
  std::vector<std::string> names;
  for (const auto& entry : listing.entries()) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b/", "b/a.txt", "b/z.txt", "empty/"}));
  EXPECT_EQ(listing.entries()[3].data, "zed");

  // Written through a temporary file; the result is the archive itself.
  const fs::path out = temp.path() / "out.zip";
  ASSERT_EQ(SkinTreePacker::WriteFile(out.string(), first, &error), 0) << error;
  EXPECT_EQ(ReadFile(out), first);
  EXPECT_FALSE(fs::exists(out.string() + ".part"));
}

TEST(SkinTreePackerTest, RefusesLinksAndMissingRoots) {
  TempFolder temp;
  const fs::path root = temp.path() / "root";
  WriteFile(root / "real.txt", "x");
  fs::create_symlink(root / "real.txt", root / "link.txt");
  std::string archive, error;
  SkinTreePacker::Counts counts;
  EXPECT_EQ(SkinTreePacker::Pack(root.string(), &archive, &counts, &error), 1);
  EXPECT_NE(error.find("link"), std::string::npos) << error;
  EXPECT_EQ(SkinTreePacker::Pack((temp.path() / "absent").string(), &archive, &counts, &error), 1);
  EXPECT_EQ(SkinTreePacker::WriteFile((temp.path() / "no/such/folder/x.zip").string(), "x", &error),
            1);
}

// The package the build embeds: 35 folders and 104 files under "resources/",
// each file deflated, matching the staged tree byte for byte.
TEST(SkinPackageTest, HoldsTheStagedTreeWithTheExpectedEntries) {
  const std::string archive = ReadFile(VARNIK_SKIN_PACKAGE);
  ASSERT_FALSE(archive.empty()) << VARNIK_SKIN_PACKAGE;
  ZipListing listing;
  std::string error;
  ASSERT_TRUE(listing.Parse(archive, &error)) << error;
  EXPECT_EQ(listing.comment_length(), 0);
  ASSERT_EQ(listing.entries().size(), 139u);

  int folders = 0, files = 0;
  std::vector<std::string> names;
  for (const ZipListing::Entry& entry : listing.entries()) {
    SCOPED_TRACE(entry.name);
    names.push_back(entry.name);
    EXPECT_EQ(entry.name.rfind("resources/", 0), 0u);
    EXPECT_EQ(entry.flags & 1, 0) << "encrypted";
    if (entry.name.back() == '/') {
      ++folders;
      EXPECT_EQ(entry.method, 0);
      EXPECT_EQ(entry.size, 0u);
      EXPECT_TRUE(fs::is_directory(fs::path(VARNIK_SKIN_ROOT) / entry.name));
    } else {
      ++files;
      EXPECT_EQ(entry.method, 8);
      EXPECT_GT(entry.size, 0u);
      EXPECT_EQ(entry.crc, Crc(entry.data));
      EXPECT_EQ(entry.data, ReadFile(fs::path(VARNIK_SKIN_ROOT) / entry.name));
    }
  }
  EXPECT_EQ(folders, 35);
  EXPECT_EQ(files, 104);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

}  // namespace
}  // namespace skin_tools
