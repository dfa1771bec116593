// Builds the demo installation package: the shell script (which starts with
// the letters M and Z), comment lines that pad the file past the package's
// least size, and the product application as the file's last bytes.
//
// Usage: varnik_demo_package_builder SCRIPT PRODUCT_APP OUTPUT
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

constexpr size_t kLeastPackageBytes = 10485760;

bool ReadAll(const char* path, std::string* content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *content = buffer.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: " << argv[0] << " SCRIPT PRODUCT_APP OUTPUT\n";
    return 2;
  }
  std::string script;
  std::string app;
  if (!ReadAll(argv[1], &script) || !ReadAll(argv[2], &app)) {
    std::cerr << "cannot read the script or the product application\n";
    return 1;
  }
  const std::string marker = "@PAYLOAD_SIZE@";
  size_t at = script.find(marker);
  if (at == std::string::npos || script.compare(0, 2, "MZ") != 0) {
    std::cerr << "the script must start with MZ and hold " << marker << "\n";
    return 1;
  }
  script.replace(at, marker.size(), std::to_string(app.size()));
  if (script.empty() || script.back() != '\n') script += '\n';

  // Comment lines the shell never reaches (it leaves at "exit"), up to a
  // little more than the least size of a package.
  std::string padding;
  const size_t target = kLeastPackageBytes + 65536;
  const std::string line = "# " + std::string(77, '-') + "\n";
  while (script.size() + padding.size() + app.size() < target) padding += line;

  std::string output = std::string(argv[3]) + ".part";
  {
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << script << padding << app;
    if (!out) {
      std::cerr << "cannot write " << output << "\n";
      return 1;
    }
  }
  chmod(output.c_str(), 0755);
  if (std::rename(output.c_str(), argv[3]) != 0) {
    std::cerr << "cannot rename " << output << "\n";
    return 1;
  }
  return 0;
}
