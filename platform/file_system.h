// Files, folders and free space, as the installer's configuration and the
// installed-product test ask for them. Paths are UTF-16 with "/" separators
// (see path_util.h); all results are plain booleans, failures are silent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The least free space a download folder must offer: the full package and
// room to run it (403.5 MiB, not 400 MiB).
inline constexpr uint64_t kMinDownloadFreeBytes = 423116800;

// True when anything (file, folder, device) exists at `path`; a dangling
// symbolic link counts as existing, like a reparse point did.
bool PathExists(std::u16string_view path);

// True when `path` is a folder (following symbolic links).
bool IsDirectory(std::u16string_view path);

// Creates every missing folder of `path`, from the shortest prefix on.
// True when `path` is a folder at the end, also when another process created
// some of it at the same time. An empty path gives false.
bool CreateDirectoryTree(std::u16string_view path);

// Bytes available to this user on the file system holding `path`.
bool GetFreeDiskBytes(std::u16string_view path, uint64_t* bytes);

// True when `path` is a folder (created when missing) whose file system has
// at least `min_free_bytes` available.
bool IsUsableDownloadDir(std::u16string_view path, uint64_t min_free_bytes = kMinDownloadFreeBytes);

}  // namespace platform
