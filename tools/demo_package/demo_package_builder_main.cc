// Builds the demo installation package: the shell script (which starts with
// the letters M and Z), comment lines that pad the file past the package's
// least size, and the product application as the file's last bytes.
// With --pad it makes the Windows package from the built program instead:
// the program, then zero bytes past the least size (data after a program's
// last section is never loaded).
//
// Usage: varnik_demo_package_builder SCRIPT PRODUCT_APP OUTPUT
//        varnik_demo_package_builder --pad PROGRAM OUTPUT
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

// Writes `content` to `path` through a temporary file and a rename, as an
// executable file.
int WriteOutput(const std::string& content, const std::string& path) {
  const std::string part = path + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) {
      std::cerr << "cannot write " << part << "\n";
      return 1;
    }
  }
  chmod(part.c_str(), 0755);
  if (std::rename(part.c_str(), path.c_str()) != 0) {
    std::cerr << "cannot rename " << part << "\n";
    return 1;
  }
  return 0;
}

int Pad(const char* program_path, const char* output) {
  std::string program;
  if (!ReadAll(program_path, &program) || program.compare(0, 2, "MZ") != 0) {
    std::cerr << "cannot read a program from " << program_path << "\n";
    return 1;
  }
  if (program.size() < kLeastPackageBytes + 65536) program.resize(kLeastPackageBytes + 65536);
  return WriteOutput(program, output);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--pad") return Pad(argv[2], argv[3]);
  if (argc != 4) {
    std::cerr << "usage: " << argv[0] << " SCRIPT PRODUCT_APP OUTPUT\n"
              << "       " << argv[0] << " --pad PROGRAM OUTPUT\n";
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

  return WriteOutput(script + padding + app, argv[3]);
}
