// Whole-file reads for the resource writer: the executable itself and the
// files its options name (a skin package, a resource's content).
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace resource_writer {

// False when the file cannot be opened or read.
inline bool ReadFileBytes(const char* path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace resource_writer
