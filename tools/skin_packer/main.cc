// skin_packer: packs the staged skin tree into the skin package at build time.
//   skin_packer <root> <out.zip> [<expected folders> <expected files>]
// With the expected counts, a tree that does not match them fails the build
// instead of shipping a package with a file too many or too few.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/skin_packer/skin_tree_packer.h"

int main(int argc, char** argv) {
  using skin_tools::SkinTreePacker;
  if (argc != 3 && argc != 5) {
    std::fprintf(stderr, "usage: skin_packer <root> <out.zip> [<folders> <files>]\n");
    return 2;
  }
  std::string archive, error;
  SkinTreePacker::Counts counts;
  if (SkinTreePacker::Pack(argv[1], &archive, &counts, &error) != 0) {
    std::fprintf(stderr, "skin_packer: %s\n", error.c_str());
    return 1;
  }
  if (argc == 5 &&
      (counts.directories != std::atoi(argv[3]) || counts.files != std::atoi(argv[4]))) {
    std::fprintf(stderr, "skin_packer: %d folders and %d files, expected %s and %s\n",
                 counts.directories, counts.files, argv[3], argv[4]);
    return 1;
  }
  if (SkinTreePacker::WriteFile(argv[2], archive, &error) != 0) {
    std::fprintf(stderr, "skin_packer: %s\n", error.c_str());
    return 1;
  }
  std::printf("skin_packer: %s: %d folders, %d files, %zu bytes\n", argv[2], counts.directories,
              counts.files, archive.size());
  return 0;
}
