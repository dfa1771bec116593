// Files, folders and free space, as the installer's configuration, the
// package download and the readers of small files ask for them. Paths are
// UTF-16 with the system's separators (see path_util.h); results are plain
// booleans or small result values, failures are silent.
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

// The size of the file at `path` itself (a symbolic link is not followed),
// or -1 when nothing is there.
int64_t GetFileSize(std::u16string_view path);

// Deletes the file at `path` (a symbolic link itself, never its target).
// False when nothing was deleted.
bool RemoveFile(std::u16string_view path);

enum class ReadFileResult {
  kOk,
  kMissing,     // nothing at the path
  kNotRegular,  // a folder, a device, a FIFO: never read, never waited on
  kTooLarge,    // more than the caller's bound; nothing is kept
  kFailed,      // the system refused to open or read it
};

// The whole content of the regular file at `path`, at most `max_bytes`.
// Opening never blocks (a planted FIFO is refused, not waited on). On any
// result but kOk, `content` is empty.
ReadFileResult ReadWholeFile(std::u16string_view path, uint64_t max_bytes, std::string* content);

// The first `count` bytes of the regular file at `path` (fewer when the file
// is shorter) and the file's size; for looking at a large file's head.
// False when it is not a regular file or cannot be read.
bool ReadFileHead(std::u16string_view path, size_t count, std::string* head, uint64_t* file_size);

}  // namespace platform
