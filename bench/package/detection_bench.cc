// Installed-product detection over many desktop entries: the installer's
// IsProductInstalled (the InstallerPath record, then both installed-program
// views, the product absent so that every entry is looked at) against a
// plain loop that lists the same folder and reads every file once, measured
// in the same run. Sizes 500 and 2,000; the growth from one to the other
// should be linear (about 4), and detection over 2,000 entries well under
// one frame.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/common/bench_metric.h"
#include "package/product_detection.h"

namespace {

constexpr int kRounds = 15;

// An ordinary application's desktop entry, with the translations such files
// usually carry.
std::string EntryText(int number) {
  const std::string n = std::to_string(number);
  std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
  text += "Name=Application " + n + "\nName[zh_CN]=应用程序 " + n + "\n";
  for (const char* locale : {"de", "fr", "es", "it", "ja", "ko", "pt_BR", "ru", "zh_TW"}) {
    text += std::string("Name[") + locale + "]=Application " + n + " (" + locale + ")\n";
    text += std::string("Comment[") + locale + "]=Does useful things, number " + n + "\n";
  }
  text += "Comment=Does useful things, number " + n + "\n";
  text += "GenericName=Tool\nExec=/usr/bin/app" + n + " %U\nIcon=app" + n + "\n";
  text += "Terminal=false\nCategories=Utility;Office;\nKeywords=tool;office;number" + n + ";\n";
  text += "StartupNotify=true\nMimeType=application/x-app" + n + ";\n";
  text += "\n[Desktop Action New]\nName=New Window\nExec=/usr/bin/app" + n + " --new\n";
  return text;
}

// A data folder holding `count` desktop entries.
void Populate(const std::string& data_dir, int count) {
  std::filesystem::remove_all(data_dir);
  std::filesystem::create_directories(data_dir + "/applications");
  for (int i = 0; i < count; ++i) {
    std::ofstream(data_dir + "/applications/org.example.app" + std::to_string(i) + ".desktop")
        << EntryText(i);
  }
}

// The floor: list the folder and read every entry's bytes once.
size_t ReadEveryFile(const std::string& folder) {
  size_t bytes = 0;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return 0;
  char buffer[16384];
  while (dirent* item = readdir(dir)) {
    if (item->d_name[0] == '.') continue;
    const int fd = open((folder + "/" + item->d_name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) bytes += static_cast<size_t>(n);
    close(fd);
  }
  closedir(dir);
  return bytes;
}

template <typename F>
double MedianMs(F&& run) {
  std::vector<double> samples;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    run();
    samples.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

}  // namespace

int main() {
  char pattern[] = "/tmp/detection_bench.XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string root = pattern;
  const std::string system_data = root + "/system-data";
  setenv("XDG_DATA_DIRS", system_data.c_str(), 1);
  setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  unsetenv("VARNIK_DEBUG");

  std::printf("installed-product detection, product absent (every entry looked at)\n");
  std::printf("%8s %16s %22s %8s\n", "entries", "detection ms", "list + read each ms", "ratio");
  double detection[2] = {0, 0};
  double floor[2] = {0, 0};
  const int sizes[2] = {500, 2000};
  bool found = false;
  for (int i = 0; i < 2; ++i) {
    Populate(system_data, sizes[i]);
    found = found || package::IsProductInstalled();  // warms the page cache too
    detection[i] = MedianMs([&] { found = found || package::IsProductInstalled(); });
    floor[i] = MedianMs([&] { ReadEveryFile(system_data + "/applications"); });
    std::printf("%8d %16.3f %22.3f %8.2f\n", sizes[i], detection[i], floor[i],
                detection[i] / floor[i]);
  }
  const double growth = detection[1] / detection[0];
  const double floor_growth = floor[1] / floor[0];
  std::printf("growth 500 -> 2000: detection %.2f x, list + read %.2f x (linear: 4.00)\n", growth,
              floor_growth);
  std::printf("median of %d rounds each%s\n", kRounds,
              found ? "; PRODUCT FOUND (setup error)" : "");

  bench::PrintMetric("detection_2000_ms", detection[1]);
  bench::PrintMetric("detection_2000_floor_ms", floor[1]);
  bench::PrintMetric("detection_growth", growth);
  bench::PrintMetric("detection_floor_growth", floor_growth);
  std::filesystem::remove_all(root);
  return found ? 1 : 0;
}
