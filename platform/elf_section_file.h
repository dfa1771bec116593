// One named section of an ELF executable, read and rewritten in the file:
// where the executable's resource table lives on Linux. A section that is
// not loaded into memory (no SHF_ALLOC) is kept by `strip` and `objcopy`,
// and its content can be replaced after linking without relinking: the
// loaded part of the file (headers, program headers and every loaded
// section) stays byte for byte; the sections after it are laid out afresh
// and the section header table follows them.
//
// Only 64-bit little-endian ELF files are handled (the installer's build);
// anything else, or a file whose headers do not check out, is refused.
#pragma once

#include <string>
#include <string_view>

namespace platform {

class ElfSectionFile {
 public:
  ElfSectionFile() = delete;

  // The largest section content either call handles.
  static constexpr size_t kMaxSectionBytes = size_t{256} << 20;

  // The content of the section `name` of the file at `path` (UTF-8). Reads
  // only the headers and that section. False when the file cannot be read,
  // is no ELF file we handle, or has no such section.
  static bool ReadSection(const std::string& path, std::string_view name, std::string* content);

  // Replaces the content of the existing, not loaded section `name`.
  // Written to a temporary file beside it and renamed over it, keeping the
  // file's mode, so a running copy or a crash never sees half a file. 0 on
  // success, else an errno value (ENOEXEC: no ELF file we handle; ENOENT:
  // no such section; EINVAL: the section is loaded into memory).
  static int ReplaceSection(const std::string& path, std::string_view name,
                            std::string_view content);
};

}  // namespace platform
