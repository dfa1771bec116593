// Packs a folder tree into a ZIP archive: every folder becomes a stored
// directory entry, every regular file a deflated entry, named by its path
// below the root with "/" separators, all in byte-wise sorted order so that
// the same tree always gives the same archive.
#pragma once

#include <string>

namespace skin_tools {

class SkinTreePacker {
 public:
  struct Counts {
    int directories = 0;
    int files = 0;
  };

  // Packs everything below `root` (the root itself is not an entry).
  // Returns 0 and fills `archive` and `counts`; otherwise 1 with `error` set
  // (unreadable files, links or special files, names the archive refuses).
  static int Pack(const std::string& root, std::string* archive, Counts* counts,
                  std::string* error);

  // Writes `data` to `path` through a temporary file renamed into place, so
  // a failed build never leaves half an archive behind. Returns 0 or 1.
  static int WriteFile(const std::string& path, const std::string& data, std::string* error);
};

}  // namespace skin_tools
