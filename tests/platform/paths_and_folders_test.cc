// Path helpers, folders, files and free space, on real folders of a
// temporary tree.
#include <string>

#include "base/utf.h"
#include "gtest/gtest.h"
#include "platform/file_system.h"
#include "platform/path_util.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

using varnik_test::ScopedTempDir;

// A path written with "/" in the system's own separators.
std::u16string Native(std::u16string path) {
  for (char16_t& c : path) {
    if (c == u'/') c = kPathSeparator;
  }
  return path;
}

TEST(PathUtilTest, JoinUsesExactlyOneSeparator) {
  struct Case {
    std::u16string folder, name, joined;
  };
  const Case cases[] = {
      {u"/a", u"b", u"/a/b"},       {u"/a/", u"b", u"/a/b"}, {u"/a//", u"/b", u"/a/b"},
      {u"", u"zorv/x", u"/zorv/x"}, {u"/", u"x", u"/x"},     {u"rel", u"x", u"rel/x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JoinPath(Native(c.folder), Native(c.name)), Native(c.joined));
    // The portable "/" form of a name always comes out in native separators.
    EXPECT_EQ(JoinPath(Native(c.folder), c.name), Native(c.joined));
  }
  EXPECT_EQ(WithTrailingSeparator(Native(u"/d")), Native(u"/d/"));
  EXPECT_EQ(WithTrailingSeparator(Native(u"/d//")), Native(u"/d/"));
  EXPECT_EQ(WithTrailingSeparator(u""), Native(u"/"));
  EXPECT_EQ(SplitPath(Native(u"//a///b/c/")), (std::vector<std::u16string>{u"a", u"b", u"c"}));
  EXPECT_EQ(ToNativePath(std::u16string(u"a\0b", 3)), "");
  EXPECT_EQ(ToNativePath(u"\u8f6c/x"), "\xe8\xbd\xac/x");
}

TEST(FileSystemTest, CreateDirectoryTreeMakesEveryMissingFolder) {
  ScopedTempDir dir;
  std::u16string deep = dir.path16() + Native(u"/a//b/\u6587\u4ef6/c");
  EXPECT_TRUE(CreateDirectoryTree(deep));
  EXPECT_TRUE(IsDirectory(deep));
  EXPECT_TRUE(CreateDirectoryTree(deep));  // already there
  EXPECT_FALSE(CreateDirectoryTree(u""));

  const std::u16string file = JoinPath(dir.path16(), u"file");
  varnik_test::WriteFile(nbase::Utf16ToUtf8(file), "x");
  EXPECT_FALSE(CreateDirectoryTree(JoinPath(file, u"sub")));
  EXPECT_TRUE(PathExists(file));
  EXPECT_FALSE(IsDirectory(file));
  EXPECT_FALSE(PathExists(JoinPath(dir.path16(), u"absent")));
}

TEST(FileSystemTest, UsableDownloadDirNeedsFolderAndSpace) {
  ScopedTempDir dir;
  std::u16string folder = JoinPath(dir.path16(), u"new/dl");
  uint64_t free_bytes = 0;
  ASSERT_TRUE(GetFreeDiskBytes(dir.path16(), &free_bytes));
  EXPECT_TRUE(IsUsableDownloadDir(folder, 1));
  EXPECT_TRUE(IsDirectory(folder));  // created on the way
  EXPECT_FALSE(IsUsableDownloadDir(folder, free_bytes + (1ull << 40)));
  varnik_test::WriteFile(nbase::Utf16ToUtf8(JoinPath(dir.path16(), u"file")), "x");
  EXPECT_FALSE(IsUsableDownloadDir(JoinPath(dir.path16(), u"file"), 1));
  EXPECT_FALSE(IsUsableDownloadDir(u"", 1));
}

TEST(FileSystemTest, ReadWholeFileKeepsItsBoundAndRefusesFolders) {
  ScopedTempDir dir;
  const std::u16string file = JoinPath(dir.path16(), u"\u6587\u4ef6.bin");
  const std::string bytes("MZ\0\x01\xff tail", 10);
  varnik_test::WriteFile(nbase::Utf16ToUtf8(file), bytes);
  struct Case {
    std::u16string path;
    uint64_t bound;
    ReadFileResult result;
    std::string content;
  };
  const Case cases[] = {
      {file, 10, ReadFileResult::kOk, bytes},
      {file, 1 << 20, ReadFileResult::kOk, bytes},
      {file, 9, ReadFileResult::kTooLarge, ""},
      {dir.path16(), 1 << 20, ReadFileResult::kNotRegular, ""},
      {JoinPath(dir.path16(), u"absent"), 1 << 20, ReadFileResult::kMissing, ""},
      {std::u16string(u"a\0b", 3), 1 << 20, ReadFileResult::kMissing, ""},
  };
  for (const Case& c : cases) {
    std::string content = "stale";
    EXPECT_EQ(ReadWholeFile(c.path, c.bound, &content), c.result) << nbase::Utf16ToUtf8(c.path);
    EXPECT_EQ(content, c.content);
  }

  std::string head;
  uint64_t size = 0;
  ASSERT_TRUE(ReadFileHead(file, 2, &head, &size));
  EXPECT_EQ(head, "MZ");
  EXPECT_EQ(size, bytes.size());
  ASSERT_TRUE(ReadFileHead(file, 4096, &head, &size));
  EXPECT_EQ(head, bytes);
  EXPECT_FALSE(ReadFileHead(dir.path16(), 2, &head, &size));

  EXPECT_EQ(GetFileSize(file), static_cast<int64_t>(bytes.size()));
  EXPECT_TRUE(RemoveFile(file));
  EXPECT_EQ(GetFileSize(file), -1);
  EXPECT_FALSE(RemoveFile(file));
}

}  // namespace
}  // namespace platform
