// The per-user hive on disk: $XDG_CONFIG_HOME/varnik/user.hive (default
// ~/.config/varnik/user.hive), next to its lock file user.hive.lock.
//
// Promises:
// - Readers always see a whole hive: writers replace the file by rename.
// - Every update is crash-safe: the new hive goes to user.hive.tmp, is
//   fsync'd, renamed over user.hive, and the folder is fsync'd; a writer
//   killed at any point leaves either the old or the new hive.
// - Updates are serialised between processes by an exclusive flock on the
//   lock file and re-read the hive under that lock, so no update is lost.
// - A damaged hive is never overwritten silently: the next update moves it
//   aside to user.hive.damaged-<ms>-<pid> and starts from an empty hive.
// - Nothing blocks for long: the files are opened so that no file type can
//   hold the caller (anything but a regular file at the hive's or the lock's
//   path is refused and left alone), and an update waits for the lock at
//   most kLockWaitBound. After such a time-out the process goes on without
//   writing this hive (updates fail at once) for the rest of its run;
//   reads, which take no lock, go on.
// - An update that leaves the hive as it was writes nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/hive.h"

namespace platform {

class HiveFile {
 public:
  // Long enough for other writers' fsyncs on a slow disk; short enough that
  // start-up does not seem to hang behind a lock that is never let go.
  static constexpr std::chrono::milliseconds kLockWaitBound{2000};

  explicit HiveFile(std::string path) : path_(std::move(path)) {}

  // The current user's hive file; empty when no config folder is known.
  static std::string DefaultPath();

  // 0 with the hive, kErrorFileNotFound when there is no hive file,
  // kErrorInvalidData when it is damaged (left as it is), kErrorAccessDenied
  // when something other than a regular file stands at its path.
  int32_t Read(Hive* hive) const;

  // Applies `change` to the current hive under the lock and writes the
  // result unless it equals the hive read. When `change` returns non-zero
  // nothing is written and that code is returned. Otherwise 0, or an error
  // code when the folder, lock or file cannot be written (the old hive then
  // stays as it was): kErrorTimeout when the lock was not had within
  // kLockWaitBound, now or earlier in this process.
  int32_t Update(const std::function<int32_t(Hive*)>& change);

  const std::string& path() const { return path_; }

 private:
  // Read, also giving the file's text (what was read of it).
  int32_t ReadWithText(Hive* hive, std::string* content) const;

  std::string path_;
};

}  // namespace platform
