#include <string.h>
#include <sys/utsname.h>

#include "base/string_util.h"
#include "base/utf.h"
#include "platform/file_system.h"
#include "platform/system_info.h"

namespace platform {
namespace {

// An os-release file is a few hundred bytes; a larger one is not read.
constexpr uint64_t kMaxOsReleaseBytes = 64 * 1024;

std::string ReadOsRelease(const char16_t* path) {
  std::string content;
  ReadWholeFile(path, kMaxOsReleaseBytes, &content);
  return content;
}

}  // namespace

std::u16string PrettyNameFromOsRelease(std::string_view content) {
  std::string_view found;
  bool have = false;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(start, end - start);
    start = end + 1;
    if (line.substr(0, 12) == "PRETTY_NAME=") {
      found = line.substr(12);
      have = true;  // The last assignment wins, as in a shell.
    }
  }
  if (!have) return std::u16string();
  while (!found.empty() && (found.back() == '\r' || found.back() == ' ')) found.remove_suffix(1);
  std::string value;
  if (!found.empty() && (found.front() == '"' || found.front() == '\'')) {
    char quote = found.front();
    if (found.size() < 2 || found.back() != quote) return std::u16string();
    found = found.substr(1, found.size() - 2);
    for (size_t i = 0; i < found.size(); ++i) {
      if (quote == '"' && found[i] == '\\' && i + 1 < found.size()) ++i;
      value.push_back(found[i]);
    }
  } else {
    value.assign(found);
  }
  return nbase::Utf8ToUtf16(value);
}

const char* GetPlatformName() { return "linux"; }

std::u16string GetOsName() {
  for (const char16_t* path : {u"/etc/os-release", u"/usr/lib/os-release"}) {
    std::u16string name = PrettyNameFromOsRelease(ReadOsRelease(path));
    if (!name.empty()) return name;
  }
  struct utsname uts;
  if (uname(&uts) == 0 && uts.sysname[0] != '\0') {
    return nbase::Utf8ToUtf16(std::string(uts.sysname) + " " + uts.release);
  }
  return u"unknown OperatingSystem.";
}

std::u16string BitnessTextForMachine(std::string_view machine) {
  bool is_64 = machine.size() >= 2 && machine.substr(machine.size() - 2) == "64";
  is_64 = is_64 || machine == "s390x" || machine == "ppc64le" || machine == "mips64el";
  return is_64 ? u"64bit" : u"32bit";
}

std::u16string GetBitnessText() {
  struct utsname uts;
  if (uname(&uts) != 0) return u"32bit";
  return BitnessTextForMachine(uts.machine);
}

std::u16string SystemErrorText(int32_t code) {
  // strerrorname_np knows exactly the codes that have a text of their own;
  // strerror would invent "Unknown error N" for the rest.
  if (code != 0 && strerrorname_np(code) == nullptr) return std::u16string();
  char buffer[256];
  const char* text = strerror_r(code, buffer, sizeof(buffer));
  std::u16string result = nbase::Utf8ToUtf16(text != nullptr ? text : "");
  nbase::ReplaceAll(result, u"\r", u"");
  nbase::ReplaceAll(result, u"\n", u"");
  return result;
}

}  // namespace platform
