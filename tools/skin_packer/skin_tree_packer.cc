#include "tools/skin_packer/skin_tree_packer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "tools/skin_packer/zip_writer.h"

namespace skin_tools {

namespace fs = std::filesystem;

int SkinTreePacker::Pack(const std::string& root, std::string* archive, Counts* counts,
                         std::string* error) {
  std::error_code ec;
  if (!fs::is_directory(root, ec)) {
    *error = "not a folder: " + root;
    return 1;
  }
  // Entry names: folders end with "/"; sorting them byte-wise puts every
  // folder right before its contents.
  std::vector<std::string> names;
  fs::recursive_directory_iterator it(root, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    const std::string name = fs::relative(entry.path(), root, ec).generic_string();
    if (ec) break;
    if (entry.is_symlink(ec)) {
      *error = "links are not packed: " + entry.path().string();
      return 1;
    }
    if (entry.is_directory(ec)) {
      names.push_back(name + "/");
    } else if (entry.is_regular_file(ec)) {
      names.push_back(name);
    } else {
      *error = "not a file or folder: " + entry.path().string();
      return 1;
    }
  }
  if (ec) {
    *error = "cannot list " + root + ": " + ec.message();
    return 1;
  }
  std::sort(names.begin(), names.end());

  ZipWriter writer;
  for (const std::string& name : names) {
    bool added;
    if (name.back() == '/') {
      added = writer.AddDirectory(name);
    } else {
      std::ifstream in(fs::path(root) / name, std::ios::binary);
      std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (!in.good() && !in.eof()) {
        *error = "cannot read " + name;
        return 1;
      }
      added = writer.AddFile(name, data);
    }
    if (!added) {
      *error = "the archive refuses the entry \"" + name + "\"";
      return 1;
    }
  }
  *archive = writer.Finish();
  counts->directories = writer.directory_count();
  counts->files = writer.file_count();
  return 0;
}

int SkinTreePacker::WriteFile(const std::string& path, const std::string& data,
                              std::string* error) {
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) {
      *error = "cannot write " + temporary;
      std::remove(temporary.c_str());
      return 1;
    }
  }
  std::error_code ec;
  fs::rename(temporary, path, ec);
  if (ec) {
    *error = "cannot rename " + temporary + ": " + ec.message();
    std::remove(temporary.c_str());
    return 1;
  }
  return 0;
}

}  // namespace skin_tools
