#include "bench/table/machine_info.h"

#include <gtest/gtest.h>

namespace benchtable {
namespace {

TEST(MachineInfoTest, ProcessorMemoryLoadAndSystemFromTheirFiles) {
  EXPECT_EQ(
      MachineInfo::CpuModel("processor\t: 0\nvendor_id\t: X\nmodel name\t: Test CPU @ 2.0GHz\n"
                            "model name\t: Second\n"),
      "Test CPU @ 2.0GHz");
  EXPECT_EQ(MachineInfo::CpuModel("processor : 0\nmodel name :\n"), "unknown processor");
  EXPECT_EQ(MachineInfo::CpuModel(""), "unknown processor");

  EXPECT_EQ(MachineInfo::TotalMemory("MemTotal:        8388608 kB\nMemFree: 1 kB\n"), "8.0 GiB");
  EXPECT_EQ(MachineInfo::TotalMemory("MemTotal: lots\n"), "unknown");
  EXPECT_EQ(MachineInfo::TotalMemory("MemTotal: 1024 MB\n"), "unknown");
  EXPECT_EQ(MachineInfo::TotalMemory("MemFree: 1 kB\n"), "unknown");

  EXPECT_EQ(MachineInfo::LoadAverage("0.52 0.58 0.59 1/234 5678\n"), "0.52 0.58 0.59");
  EXPECT_EQ(MachineInfo::LoadAverage("0.52 0.58\n"), "unknown");
  EXPECT_EQ(MachineInfo::LoadAverage("0.52 high 0.59\n"), "unknown");

  EXPECT_EQ(
      MachineInfo::OsName("NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"),
      "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(MachineInfo::OsName("PRETTY_NAME=Plain\n"), "Plain");
  EXPECT_EQ(MachineInfo::OsName("PRETTY_NAME=\"\"\n"), "Linux");
  EXPECT_EQ(MachineInfo::OsName("NAME=x\n"), "Linux");
}

TEST(MachineInfoTest, ThisMachineIsDescribed) {
  const MachineInfo info = MachineInfo::Gather();
  EXPECT_GT(info.cores, 0);
  EXPECT_NE(info.kernel, "unknown");
  EXPECT_EQ(info.date.size(), std::string("2026-01-01 00:00 UTC").size()) << info.date;
  EXPECT_NE(MachineInfo::CurrentLoad(), "unknown");
}

}  // namespace
}  // namespace benchtable
