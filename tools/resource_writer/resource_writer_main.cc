// varnik_resource_writer: writes, rewrites and reads the resources of a built
// installer: the resource table that a Linux executable carries in its
// resource section (also after the executable was stripped), or the PE
// resources of a Windows executable (an "MZ" file with a PE header), whose
// existing resources it rewrites in place.
//
//   varnik_resource_writer EXE [--theme FILE] [--channel TEXT] [--version TEXT]
//                              [--resource TYPE ID FILE]...
//       sets the given resources, keeping every other resource of EXE;
//   varnik_resource_writer EXE --list
//       prints one line "TYPE ID SIZE" per resource;
//   varnik_resource_writer EXE --get TYPE ID
//       writes the resource's bytes to standard output.
// Exit code 0 on success, 1 on a usage error, 2 when a file cannot be read
// or written, 3 when a requested resource is absent.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/embedded_resources.h"
#include "platform/resource_table.h"
#include "tools/resource_writer/file_bytes.h"
#include "tools/resource_writer/pe_resource_command.h"
#include "tools/resource_writer/pe_resource_file.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: varnik_resource_writer EXE [--theme FILE] [--channel TEXT] "
               "[--version TEXT] [--resource TYPE ID FILE]...\n"
               "       varnik_resource_writer EXE --list\n"
               "       varnik_resource_writer EXE --get TYPE ID\n");
  return 1;
}

bool ParseId(const char* text, int32_t* id) {
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < INT32_MIN || value > INT32_MAX) {
    return false;
  }
  *id = static_cast<int32_t>(value);
  return true;
}

bool IsVersionText(const std::string& text) {
  int parts = 0;
  size_t start = 0;
  while (true) {
    size_t dot = text.find('.', start);
    std::string part =
        text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (part.empty() || part.size() > 5 ||
        part.find_first_not_of("0123456789") != std::string::npos ||
        std::atol(part.c_str()) > 65535) {
      return false;
    }
    ++parts;
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return parts == 4;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string exe = argv[1];
  std::string exe_bytes;
  if (resource_writer::ReadFileBytes(exe.c_str(), &exe_bytes) &&
      resource_writer::PeResourceFile::LooksLikePe(exe_bytes)) {
    return resource_writer::RunPeCommand(exe, std::move(exe_bytes), argc, argv);
  }
  platform::ResourceTable table;
  platform::ResourceTable::ReadFromFile(exe, &table);  // none yet: start empty

  if (std::strcmp(argv[2], "--list") == 0 && argc == 3) {
    for (const auto& entry : table.entries()) {
      std::printf("%s %d %zu\n", entry.type.c_str(), entry.id, entry.bytes.size());
    }
    return 0;
  }
  if (std::strcmp(argv[2], "--get") == 0 && argc == 5) {
    int32_t id = 0;
    if (!ParseId(argv[4], &id)) return Usage();
    const auto* entry = table.Find(argv[3], id);
    if (entry == nullptr) {
      std::fprintf(stderr, "%s: no resource %s %d\n", exe.c_str(), argv[3], id);
      return 3;
    }
    std::fwrite(entry->bytes.data(), 1, entry->bytes.size(), stdout);
    return 0;
  }

  for (int i = 2; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--theme" && i + 1 < argc) {
      std::string bytes;
      if (!resource_writer::ReadFileBytes(argv[++i], &bytes)) {
        std::fprintf(stderr, "cannot read %s\n", argv[i]);
        return 2;
      }
      table.Set("THEME", platform::kThemeResourceId, std::move(bytes));
    } else if (option == "--channel" && i + 1 < argc) {
      std::string channel = argv[++i];
      if (channel.size() > platform::kMaxChannelBytes) {
        std::fprintf(stderr, "channel longer than %zu bytes\n", platform::kMaxChannelBytes);
        return 1;
      }
      table.Set("CHANNEL", platform::kChannelResourceId, channel);
    } else if (option == "--version" && i + 1 < argc) {
      std::string version = argv[++i];
      if (!IsVersionText(version)) {
        std::fprintf(stderr, "version must be four numbers a.b.c.d\n");
        return 1;
      }
      table.Set("VERSION", platform::kVersionResourceId, version);
    } else if (option == "--resource" && i + 3 < argc) {
      int32_t id = 0;
      if (!ParseId(argv[i + 2], &id)) return Usage();
      std::string bytes;
      if (!resource_writer::ReadFileBytes(argv[i + 3], &bytes)) {
        std::fprintf(stderr, "cannot read %s\n", argv[i + 3]);
        return 2;
      }
      table.Set(argv[i + 1], id, std::move(bytes));
      i += 3;
    } else {
      return Usage();
    }
  }
  int error = table.WriteToFile(exe);
  if (error == ENOENT) {
    std::fprintf(stderr, "%s has no section %s (it must link the platform library)\n", exe.c_str(),
                 platform::ResourceTable::kSectionName);
    return 2;
  }
  if (error != 0) {
    std::fprintf(stderr, "cannot write %s: %s\n", exe.c_str(), std::strerror(error));
    return 2;
  }
  return 0;
}
