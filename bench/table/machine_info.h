// MachineInfo: the machine a performance run measured, for the notes above
// the table: processor, cores, memory, operating system, kernel, the date
// and the load average before and after the run (figures taken on a busy
// machine read differently).
#pragma once

#include <string>
#include <string_view>

namespace benchtable {

class MachineInfo {
 public:
  static MachineInfo Gather();

  // The first "model name" of /proc/cpuinfo text, or "unknown processor".
  static std::string CpuModel(std::string_view cpuinfo);
  // "MemTotal" of /proc/meminfo text in GiB with one decimal, or "unknown".
  static std::string TotalMemory(std::string_view meminfo);
  // The three load averages of /proc/loadavg text ("0.52 0.58 0.59"), or
  // "unknown".
  static std::string LoadAverage(std::string_view loadavg);
  // PRETTY_NAME of /etc/os-release text (quotes removed), or "Linux".
  static std::string OsName(std::string_view os_release);
  // The current load average of this machine.
  static std::string CurrentLoad();

  std::string cpu;
  int cores = 0;
  std::string memory;
  std::string os;
  std::string kernel;
  std::string date;  // UTC, "YYYY-MM-DD HH:MM"
};

}  // namespace benchtable
