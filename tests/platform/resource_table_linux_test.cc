#include "platform/resource_table.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "gtest/gtest.h"
#include "platform/embedded_resources.h"
#include "tests/platform/test_support.h"

namespace platform {
namespace {

using varnik_test::ReadFile;
using varnik_test::ScopedTempDir;
using varnik_test::WriteFile;

const std::string kProgram = std::string(
    "\x7f"
    "ELF program bytes\0\1\2",
    22);

TEST(ResourceTableTest, WriteReplacesTableAndKeepsProgramBytes) {
  ScopedTempDir dir;
  std::string exe = dir.path() + "/setup";
  WriteFile(exe, kProgram);
  chmod(exe.c_str(), 0751);

  ResourceTable table;
  table.Set("THEME", 136, std::string("PK\3\4zip", 7));
  table.Set("CHANNEL", 138, "zorv_seo_link");
  ASSERT_EQ(table.WriteToFile(exe), 0);
  ResourceTable second;
  second.Set("CHANNEL", 138, "upgrade");
  ASSERT_EQ(second.WriteToFile(exe), 0);

  std::string content = ReadFile(exe);
  EXPECT_EQ(content.substr(0, kProgram.size()), kProgram);
  ResourceTable read;
  size_t program_size = 0;
  ASSERT_TRUE(ResourceTable::Parse(content, &read, &program_size));
  EXPECT_EQ(program_size, kProgram.size());
  ASSERT_EQ(read.entries().size(), 1u);  // the table was replaced, not stacked
  std::string channel;
  ASSERT_TRUE(LoadResourceFromFile(exe, kChannelResourceType, kChannelResourceId, &channel));
  EXPECT_EQ(channel, "upgrade");
  struct stat st;
  ASSERT_EQ(stat(exe.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0751u);
}

TEST(ResourceTableTest, DamagedTablesCountAsAbsent) {
  ResourceTable table;
  table.Set("CHANNEL", 138, "abc");
  const std::string good = kProgram + table.Serialize();
  ResourceTable read;
  size_t program_size = 0;
  ASSERT_TRUE(ResourceTable::Parse(good, &read, &program_size));

  std::string flipped = good;
  flipped[kProgram.size() + 10] ^= 1;  // inside the entries: CRC catches it
  std::string huge_size = good;
  huge_size[good.size() - 24 + 7] = '\x7f';  // table size past the file
  std::string bad_magic = good;
  bad_magic.back() = '2';
  for (const std::string& damaged : {flipped, huge_size, bad_magic, good.substr(1, 20), kProgram}) {
    EXPECT_FALSE(ResourceTable::Parse(damaged, &read, &program_size));
    EXPECT_EQ(program_size, damaged.size());
  }
}

TEST(ResourceTableTest, TestExecutableHasNoTable) {
  std::string bytes;
  EXPECT_FALSE(LoadEmbeddedResource(kChannelResourceType, kChannelResourceId, &bytes));
  std::u16string channel = u"untouched";
  EXPECT_FALSE(ReadChannel(&channel));
  EXPECT_EQ(channel, u"untouched");
}

TEST(ChannelTest, DecodesBytesAsTheyAre) {
  struct Case {
    std::string bytes;
    std::u16string channel;
  };
  const Case cases[] = {
      {"zorv_seo_link", u"zorv_seo_link"},
      {" padded\r\n", u" padded\r\n"},  // no trimming
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"\xe6\xb8\xa0\xe9\x81\x93", u"\u6e20\u9053"},
      {"bad\xff", u""},                               // undecodable: empty
      {"\xed\xa0\x80", u"\ufffd"},                    // encoded surrogate
      {std::string(259, 'c') + "\xe6\xb8\xa0", u""},  // cut at 260 bytes mid-sequence
      {std::string(300, 'c'), std::u16string(260, u'c')},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeChannel(c.bytes), c.channel);
  }
}

int RunTool(const std::string& arguments, std::string* output = nullptr) {
  std::string command = std::string(VARNIK_RESOURCE_WRITER) + " " + arguments;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) text.append(buffer, n);
  int status = pclose(pipe);
  if (output != nullptr) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ResourceWriterToolTest, RewritesChannelOfBuiltExecutableAndReadsItBack) {
  ScopedTempDir dir;
  std::string exe = dir.path() + "/setup";
  WriteFile(exe, kProgram);
  WriteFile(dir.path() + "/skin.zip", "PK skin");
  ASSERT_EQ(RunTool(exe + " --theme " + dir.path() +
                    "/skin.zip --channel zorv_seo_link"
                    " --version 1.6.1.8"),
            0);
  ASSERT_EQ(RunTool(exe + " --channel upgrade"), 0);

  std::string output;
  ASSERT_EQ(RunTool(exe + " --get CHANNEL 138", &output), 0);
  EXPECT_EQ(output, "upgrade");
  ASSERT_EQ(RunTool(exe + " --list", &output), 0);
  EXPECT_EQ(output, "THEME 136 7\nCHANNEL 138 7\nVERSION 1 7\n");
  std::string version;
  ASSERT_TRUE(LoadResourceFromFile(exe, kVersionResourceType, kVersionResourceId, &version));
  EXPECT_EQ(version, "1.6.1.8");
  EXPECT_EQ(ReadFile(exe).substr(0, kProgram.size()), kProgram);

  EXPECT_EQ(RunTool(exe + " --get CHANNEL 999", &output), 3);
  EXPECT_EQ(RunTool(exe + " --channel " + std::string(261, 'x')), 1);
  EXPECT_EQ(RunTool(exe + " --version 1.6.1"), 1);
  EXPECT_EQ(RunTool(exe + " --theme " + dir.path() + "/missing.zip"), 2);
  ASSERT_EQ(RunTool(exe + " --get CHANNEL 138", &output), 0);
  EXPECT_EQ(output, "upgrade");  // refused calls changed nothing
}

}  // namespace
}  // namespace platform
