#include "bench/table/machine_info.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

namespace benchtable {

namespace {

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

// The value of the first line "<key><sep>value" of `text`, trimmed.
bool FindValue(std::string_view text, std::string_view key, char separator, std::string* value) {
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    const size_t sep = line.find(separator);
    if (sep != std::string_view::npos && Trim(line.substr(0, sep)) == key) {
      *value = std::string(Trim(line.substr(sep + 1)));
      return true;
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return false;
}

}  // namespace

std::string MachineInfo::CpuModel(std::string_view cpuinfo) {
  std::string model;
  return FindValue(cpuinfo, "model name", ':', &model) && !model.empty() ? model
                                                                         : "unknown processor";
}

std::string MachineInfo::TotalMemory(std::string_view meminfo) {
  std::string value;
  if (!FindValue(meminfo, "MemTotal", ':', &value)) return "unknown";
  char* end = nullptr;
  const double kib = std::strtod(value.c_str(), &end);
  if (end == value.c_str() || Trim(end) != "kB" || kib <= 0) return "unknown";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f GiB", kib / (1024.0 * 1024.0));
  return text;
}

std::string MachineInfo::LoadAverage(std::string_view loadavg) {
  std::istringstream in{std::string(loadavg)};
  std::string parts[3];
  for (std::string& part : parts) {
    if (!(in >> part)) return "unknown";
    char* end = nullptr;
    std::strtod(part.c_str(), &end);
    if (end == part.c_str() || *end != '\0') return "unknown";
  }
  return parts[0] + " " + parts[1] + " " + parts[2];
}

std::string MachineInfo::OsName(std::string_view os_release) {
  std::string name;
  if (!FindValue(os_release, "PRETTY_NAME", '=', &name)) return "Linux";
  if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
      name.back() == name.front()) {
    name = name.substr(1, name.size() - 2);
  }
  return name.empty() ? "Linux" : name;
}

std::string MachineInfo::CurrentLoad() { return LoadAverage(ReadFile("/proc/loadavg")); }

MachineInfo MachineInfo::Gather() {
  MachineInfo info;
  info.cpu = CpuModel(ReadFile("/proc/cpuinfo"));
  info.cores = static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
  info.memory = TotalMemory(ReadFile("/proc/meminfo"));
  info.os = OsName(ReadFile("/etc/os-release"));
  utsname names{};
  info.kernel = uname(&names) == 0 ? std::string(names.sysname) + " " + names.release : "unknown";
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", &utc);
  info.date = date;
  return info;
}

}  // namespace benchtable
