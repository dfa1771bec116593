#include "platform/resource_table.h"

#include <errno.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
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

// A real executable to write into: a copy of this test program, which
// carries the resource section like every program that reads its own
// resources.
std::string CopyOfThisProgram(const std::string& folder, mode_t mode = 0751) {
  const std::string exe = folder + "/setup";
  WriteFile(exe, ReadFile("/proc/self/exe"));
  chmod(exe.c_str(), mode);
  return exe;
}

// Runs a command line through the shell; its exit code, -1 when it did not exit.
int RunShell(const std::string& command) {
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The program still loads and runs: it lists no test for a filter that matches none.
bool StillRuns(const std::string& exe) { return RunShell(exe + " --gtest_filter=None.None") == 0; }

TEST(ResourceTableTest, WriteReplacesTableAndKeepsTheProgramRunnable) {
  ScopedTempDir dir;
  const std::string exe = CopyOfThisProgram(dir.path());
  ResourceTable table;
  table.Set("THEME", 136, std::string("PK\3\4zip", 7));
  table.Set("CHANNEL", 138, "zorv_seo_link");
  ASSERT_EQ(table.WriteToFile(exe), 0);
  ResourceTable second;
  second.Set("CHANNEL", 138, "upgrade");
  ASSERT_EQ(second.WriteToFile(exe), 0);

  ResourceTable read;
  ASSERT_TRUE(ResourceTable::ReadFromFile(exe, &read));
  ASSERT_EQ(read.entries().size(), 1u);  // the table was replaced, not stacked
  std::string channel;
  ASSERT_TRUE(LoadResourceFromFile(exe, kChannelResourceType, kChannelResourceId, &channel));
  EXPECT_EQ(channel, "upgrade");
  struct stat st;
  ASSERT_EQ(stat(exe.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0751u);
  EXPECT_TRUE(StillRuns(exe));
}

// What every release pipeline does to an executable: strip it, or copy it
// with objcopy. The table stays, and can still be rewritten afterwards.
TEST(ResourceTableTest, StripAndObjcopyKeepTheTableAndItStaysWritable) {
  ScopedTempDir dir;
  const std::string exe = CopyOfThisProgram(dir.path());
  ResourceTable table;
  table.Set("CHANNEL", 138, "zorv_seo_link");
  table.Set("THEME", 136, std::string(70000, 'z'));
  ASSERT_EQ(table.WriteToFile(exe), 0);
  for (const std::string& tool : {"objcopy " + exe + " " + exe + ".copy", "strip " + exe}) {
    SCOPED_TRACE(tool);
    ASSERT_EQ(RunShell(tool), 0);
    const std::string result = tool.rfind("strip", 0) == 0 ? exe : exe + ".copy";
    std::string channel;
    ASSERT_TRUE(LoadResourceFromFile(result, kChannelResourceType, kChannelResourceId, &channel));
    EXPECT_EQ(channel, "zorv_seo_link");
    ResourceTable rewritten;
    ASSERT_TRUE(ResourceTable::ReadFromFile(result, &rewritten));
    rewritten.Set("CHANNEL", 138, "upgrade");
    ASSERT_EQ(rewritten.WriteToFile(result), 0);
    ASSERT_TRUE(LoadResourceFromFile(result, kChannelResourceType, kChannelResourceId, &channel));
    EXPECT_EQ(channel, "upgrade");
    std::string theme;
    ASSERT_TRUE(LoadResourceFromFile(result, kThemeResourceType, kThemeResourceId, &theme));
    EXPECT_EQ(theme, std::string(70000, 'z'));
    EXPECT_TRUE(StillRuns(result));
  }
}

TEST(ResourceTableTest, FilesWithoutAResourceSectionAreRefusedAndLeftAlone) {
  ScopedTempDir dir;
  const std::string not_elf = dir.path() + "/setup";
  WriteFile(not_elf, kProgram);
  const std::string no_section = dir.path() + "/sh";
  WriteFile(no_section, ReadFile("/bin/sh"));
  ResourceTable table;
  table.Set("CHANNEL", 138, "abc");
  EXPECT_EQ(table.WriteToFile(not_elf), ENOEXEC);
  EXPECT_EQ(table.WriteToFile(no_section), ENOENT);
  EXPECT_EQ(ReadFile(not_elf), kProgram);
  EXPECT_EQ(ReadFile(no_section), ReadFile("/bin/sh"));
  ResourceTable read;
  EXPECT_FALSE(ResourceTable::ReadFromFile(not_elf, &read));
  EXPECT_FALSE(ResourceTable::ReadFromFile(no_section, &read));
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
  std::string exe = CopyOfThisProgram(dir.path());
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
  EXPECT_TRUE(StillRuns(exe));

  EXPECT_EQ(RunTool(exe + " --get CHANNEL 999", &output), 3);
  EXPECT_EQ(RunTool(exe + " --channel " + std::string(261, 'x')), 1);
  EXPECT_EQ(RunTool(exe + " --version 1.6.1"), 1);
  EXPECT_EQ(RunTool(exe + " --theme " + dir.path() + "/missing.zip"), 2);
  ASSERT_EQ(RunTool(exe + " --get CHANNEL 138", &output), 0);
  EXPECT_EQ(output, "upgrade");  // refused calls changed nothing
}

}  // namespace
}  // namespace platform
