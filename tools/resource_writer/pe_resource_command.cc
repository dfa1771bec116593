#include "tools/resource_writer/pe_resource_command.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/embedded_resources.h"
#include "tools/resource_writer/file_bytes.h"
#include "tools/resource_writer/pe_resource_file.h"

namespace resource_writer {
namespace {

// Writes beside the file and renames over it, keeping its permissions, so a
// crash never leaves half an executable.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".resources-tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::remove(temp.c_str());
      return false;
    }
  }
  std::error_code error;
  std::filesystem::permissions(temp, std::filesystem::status(path, error).permissions(), error);
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

int RunPeCommand(const std::string& exe, std::string bytes, int argc, char** argv) {
  PeResourceFile file;
  std::string error;
  if (!file.Parse(std::move(bytes), &error)) {
    std::fprintf(stderr, "%s: %s\n", exe.c_str(), error.c_str());
    return 2;
  }
  if (argc == 3 && std::strcmp(argv[2], "--list") == 0) {
    for (const auto& resource : file.resources()) {
      std::printf("%s %s %u\n", resource.type.c_str(), resource.name.c_str(), resource.size);
    }
    return 0;
  }
  if (argc == 5 && std::strcmp(argv[2], "--get") == 0) {
    const auto* resource = file.Find(argv[3], argv[4]);
    if (resource == nullptr) {
      std::fprintf(stderr, "%s: no resource %s %s\n", exe.c_str(), argv[3], argv[4]);
      return 3;
    }
    const std::string_view content = file.Content(*resource);
    std::fwrite(content.data(), 1, content.size(), stdout);
    return 0;
  }

  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    std::string type, name, content;
    if (option == "--channel" && i + 1 < argc) {
      type = "CHANNEL";
      name = std::to_string(platform::kChannelResourceId);
      content = argv[++i];
      if (content.size() > platform::kMaxChannelBytes) {
        std::fprintf(stderr, "channel longer than %zu bytes\n", platform::kMaxChannelBytes);
        return 1;
      }
    } else if (option == "--theme" && i + 1 < argc) {
      type = "THEME";
      name = std::to_string(platform::kThemeResourceId);
      if (!ReadFileBytes(argv[++i], &content)) {
        std::fprintf(stderr, "cannot read %s\n", argv[i]);
        return 2;
      }
    } else if (option == "--resource" && i + 3 < argc) {
      type = argv[i + 1];
      name = argv[i + 2];
      if (!ReadFileBytes(argv[i + 3], &content)) {
        std::fprintf(stderr, "cannot read %s\n", argv[i + 3]);
        return 2;
      }
      i += 3;
    } else if (option == "--version" && i + 1 < argc) {
      std::fprintf(stderr,
                   "the version of a Windows executable comes from its .rc file at build time\n");
      return 1;
    } else {
      std::fprintf(stderr, "unknown or incomplete option %s\n", option.c_str());
      return 1;
    }
    if (file.Find(type, name) == nullptr) {
      std::fprintf(stderr, "%s: no resource %s %s to rewrite\n", exe.c_str(), type.c_str(),
                   name.c_str());
      return 3;
    }
    if (!file.Rewrite(type, name, content, &error)) {
      std::fprintf(stderr, "%s: %s\n", exe.c_str(), error.c_str());
      return 1;
    }
  }
  if (!ReplaceFile(exe, file.bytes())) {
    std::fprintf(stderr, "cannot write %s\n", exe.c_str());
    return 2;
  }
  return 0;
}

}  // namespace resource_writer
