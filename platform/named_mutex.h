// A named mutex shared by the processes of one user: the single-instance
// guard of the installer.
//
// Windows: CreateMutexW with initial ownership in the session's namespace;
// a name that already exists (another process holds a handle) gives
// kErrorAlreadyExists and the handle is closed at once. Child processes do
// not inherit the handle; the system closes it when the holder ends.
//
// Linux: an exclusive flock on the file
// "<name>.lock" in $XDG_RUNTIME_DIR, or, when that is unset or not a folder,
// in the user's private folder under /tmp (see GetPrivateTempFolder). The
// lock file is opened close-on-exec, so a child program never inherits the
// lock, and the kernel releases it when the holder ends in any way, SIGKILL
// included.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class NamedMutex {
 public:
  NamedMutex() = default;
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Takes the mutex `name` (no "/" in it). 0 when this object now owns it,
  // kErrorAlreadyExists while another holder has it, another code when the
  // lock file cannot be made (callers treat that as another instance running,
  // as the original did with a null handle). Taking it twice in one object
  // first lets go of the earlier one.
  int32_t Create(std::u16string_view name);

  // Lets go of the mutex (also done by the destructor).
  void Release();

  bool owned() const { return handle_ != kNoHandle; }

  // Linux: the lock file that Create uses for `name`; empty when no folder
  // is usable.
  static std::string LockFilePath(std::u16string_view name);

 private:
  static constexpr intptr_t kNoHandle = -1;
  // The lock file's descriptor (Linux) or the mutex handle (Windows).
  intptr_t handle_ = kNoHandle;
};

}  // namespace platform
