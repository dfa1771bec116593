#include "platform/elf_section_file.h"

#include <elf.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace platform {
namespace {

// Copies `size` bytes at `offset` of the file into `out`; false past its end.
using ReadAt = std::function<bool(uint64_t offset, size_t size, void* out)>;

struct ElfImage {
  Elf64_Ehdr header{};
  std::vector<Elf64_Phdr> programs;
  std::vector<Elf64_Shdr> sections;
  std::string names;  // the section name table
};

bool FitsIn(uint64_t offset, uint64_t size, uint64_t file_size) {
  return offset <= file_size && size <= file_size - offset;
}

// Reads and checks the headers of a 64-bit little-endian ELF file.
bool ParseImage(const ReadAt& read_at, uint64_t file_size, ElfImage* image) {
  Elf64_Ehdr& h = image->header;
  if (!read_at(0, sizeof h, &h)) return false;
  if (std::memcmp(h.e_ident, ELFMAG, SELFMAG) != 0 || h.e_ident[EI_CLASS] != ELFCLASS64 ||
      h.e_ident[EI_DATA] != ELFDATA2LSB || h.e_shentsize != sizeof(Elf64_Shdr) || h.e_shnum == 0 ||
      h.e_shstrndx >= h.e_shnum || (h.e_phnum != 0 && h.e_phentsize != sizeof(Elf64_Phdr))) {
    return false;
  }
  if (!FitsIn(h.e_shoff, uint64_t{h.e_shnum} * sizeof(Elf64_Shdr), file_size) ||
      !FitsIn(h.e_phoff, uint64_t{h.e_phnum} * sizeof(Elf64_Phdr), file_size)) {
    return false;
  }
  image->sections.resize(h.e_shnum);
  image->programs.resize(h.e_phnum);
  if (!read_at(h.e_shoff, h.e_shnum * sizeof(Elf64_Shdr), image->sections.data())) return false;
  if (h.e_phnum != 0 &&
      !read_at(h.e_phoff, h.e_phnum * sizeof(Elf64_Phdr), image->programs.data())) {
    return false;
  }
  const Elf64_Shdr& names = image->sections[h.e_shstrndx];
  if (names.sh_type != SHT_STRTAB || names.sh_size > (1u << 20) ||
      !FitsIn(names.sh_offset, names.sh_size, file_size)) {
    return false;
  }
  image->names.resize(names.sh_size);
  return read_at(names.sh_offset, names.sh_size, image->names.data());
}

// The index of the section named `name`, or -1.
int FindSection(const ElfImage& image, std::string_view name) {
  for (size_t i = 1; i < image.sections.size(); ++i) {
    const uint32_t at = image.sections[i].sh_name;
    if (at >= image.names.size()) continue;
    const size_t end = image.names.find('\0', at);
    if (end != std::string::npos && std::string_view(image.names).substr(at, end - at) == name) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool HasBytes(const Elf64_Shdr& section) { return section.sh_type != SHT_NOBITS; }

// The end of what the loader uses: the headers, every segment and every
// loaded section. Nothing before it moves.
uint64_t LoadedEnd(const ElfImage& image) {
  uint64_t end = sizeof(Elf64_Ehdr);
  end = std::max<uint64_t>(end, image.header.e_phoff + image.programs.size() * sizeof(Elf64_Phdr));
  for (const Elf64_Phdr& p : image.programs) end = std::max(end, p.p_offset + p.p_filesz);
  for (const Elf64_Shdr& s : image.sections) {
    if ((s.sh_flags & SHF_ALLOC) && HasBytes(s)) end = std::max(end, s.sh_offset + s.sh_size);
  }
  return end;
}

bool ReadWholeFile(const std::string& path, std::string* content) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    errno = EINVAL;
    return false;
  }
  content->resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < content->size()) {
    const ssize_t n = read(fd, &(*content)[got], content->size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  content->resize(got);
  return true;
}

int WriteFileReplacing(const std::string& path, const std::string& content, mode_t mode) {
  const std::string temp = path + ".resources-tmp";
  unlink(temp.c_str());
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) return errno;
  const char* data = content.data();
  size_t left = content.size();
  int error = 0;
  while (left > 0 && error == 0) {
    const ssize_t n = write(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : EIO;
      break;
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  if (error == 0 && (fchmod(fd, mode) != 0 || fsync(fd) != 0)) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) unlink(temp.c_str());
  return error;
}

}  // namespace

bool ElfSectionFile::ReadSection(const std::string& path, std::string_view name,
                                 std::string* content) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool found = false;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    const uint64_t file_size = static_cast<uint64_t>(st.st_size);
    const ReadAt read_at = [fd, file_size](uint64_t offset, size_t size, void* out) {
      if (!FitsIn(offset, size, file_size)) return false;
      size_t got = 0;
      while (got < size) {
        const ssize_t n =
            pread(fd, static_cast<char*>(out) + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
      }
      return true;
    };
    ElfImage image;
    if (ParseImage(read_at, file_size, &image)) {
      const int index = FindSection(image, name);
      if (index > 0) {
        const Elf64_Shdr& section = image.sections[index];
        if (HasBytes(section) && section.sh_size <= kMaxSectionBytes) {
          content->resize(section.sh_size);
          found = read_at(section.sh_offset, section.sh_size, content->data());
        }
      }
    }
  }
  close(fd);
  return found;
}

int ElfSectionFile::ReplaceSection(const std::string& path, std::string_view name,
                                   std::string_view content) {
  if (content.size() > kMaxSectionBytes) return EFBIG;
  std::string file;
  if (!ReadWholeFile(path, &file)) return errno != 0 ? errno : EIO;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return errno;
  const ReadAt read_at = [&file](uint64_t offset, size_t size, void* out) {
    if (!FitsIn(offset, size, file.size())) return false;
    std::memcpy(out, file.data() + offset, size);
    return true;
  };
  ElfImage image;
  if (!ParseImage(read_at, file.size(), &image)) return ENOEXEC;
  const int target = FindSection(image, name);
  if (target <= 0) return ENOENT;
  const uint64_t kept = LoadedEnd(image);
  if ((image.sections[target].sh_flags & SHF_ALLOC) || image.sections[target].sh_offset < kept) {
    return EINVAL;
  }
  // The sections after the loaded part, in their order in the file, each at
  // its alignment; the new content goes where the old one was in that order.
  std::vector<size_t> moved;
  for (size_t i = 1; i < image.sections.size(); ++i) {
    const Elf64_Shdr& s = image.sections[i];
    if (!(s.sh_flags & SHF_ALLOC) && s.sh_offset >= kept) {
      if (HasBytes(s) && !FitsIn(s.sh_offset, s.sh_size, file.size())) return ENOEXEC;
      moved.push_back(i);
    }
  }
  std::stable_sort(moved.begin(), moved.end(), [&image](size_t a, size_t b) {
    return image.sections[a].sh_offset < image.sections[b].sh_offset;
  });
  std::string out = file.substr(0, kept);
  for (size_t i : moved) {
    Elf64_Shdr& s = image.sections[i];
    const uint64_t align = std::max<uint64_t>(s.sh_addralign, 1);
    out.resize((out.size() + align - 1) / align * align, '\0');
    const uint64_t offset = out.size();
    if (static_cast<int>(i) == target) {
      out.append(content);
      s.sh_size = content.size();
    } else if (HasBytes(s)) {
      out.append(file, s.sh_offset, s.sh_size);
    }
    s.sh_offset = offset;
  }
  out.resize((out.size() + 7) / 8 * 8, '\0');
  image.header.e_shoff = out.size();
  out.append(reinterpret_cast<const char*>(image.sections.data()),
             image.sections.size() * sizeof(Elf64_Shdr));
  std::memcpy(&out[0], &image.header, sizeof image.header);
  return WriteFileReplacing(path, out, st.st_mode & 07777);
}

}  // namespace platform
