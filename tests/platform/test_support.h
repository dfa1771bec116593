// Helpers for tests that use real files, real processes and real mounts:
// temporary folders, scoped environment variables, and (Linux) child
// processes with a watchdog so that a hang fails the test instead of
// blocking the run. Paths are UTF-8 with the system's separators.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace varnik_test {

// A fresh folder in the system's temporary folder ($TMPDIR, default /tmp;
// the user's temporary folder on Windows), removed with its contents.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  const std::string& path() const { return path_; }
  std::u16string path16() const;

 private:
  std::string path_;
};

// Sets (or with a null value, unsets) an environment variable for the
// lifetime of the object. (Windows has no empty variables: an empty value
// unsets it too.)
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();

 private:
  std::string name_;
  bool had_value_ = false;
  std::string old_value_;
};

// The per-user registry of this test process, private to it: on Linux a
// temporary XDG_CONFIG_HOME, which holds the hive; on Windows
// HKEY_CURRENT_USER redirected, for this process only, to a fresh key below
// the real one, deleted at the end. Make it before any thread uses the
// registry; child processes see the real one.
class PrivateUserRegistry {
 public:
  PrivateUserRegistry();
  ~PrivateUserRegistry();
  PrivateUserRegistry(const PrivateUserRegistry&) = delete;
  PrivateUserRegistry& operator=(const PrivateUserRegistry&) = delete;

 private:
  ScopedTempDir folder_;                    // Linux
  std::unique_ptr<ScopedEnv> config_home_;  // Linux
  std::u16string key_;                      // Windows
};

// Linux only from here to WriteFile.
struct ChildResult {
  int exit_code = -1;  // -1 when the child did not exit normally
  int signal = 0;      // the signal that ended it, 0 when none
  std::string output;  // what the child wrote to its result pipe
};

// Runs `body` in a forked child; whatever it returns is sent back as the
// output and the child exits with 0. The child is killed by SIGALRM after
// `watchdog_seconds`.
ChildResult RunInChild(const std::function<std::string()>& body, unsigned watchdog_seconds = 60);

// Child exit code meaning "this machine cannot run the test" (no mount
// namespaces): the test skips.
constexpr int kChildCannotRun = 77;

// In a child: a private mount namespace, so mounts vanish with the child.
// False when the system refuses.
bool EnterPrivateMountNamespace();

// In a child: a tmpfs of exactly `kib` KiB at `path` (created when missing).
bool MountTmpfs(const std::string& path, unsigned long kib);

// A small real executable at `path` (/bin/true) that carries an empty
// resource section, as every program of ours that reads its resources does.
bool MakeProgramWithResourceSection(const std::string& path);

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);

// Polls `condition` until it holds or `seconds` pass; true when it held.
bool WaitFor(const std::function<bool()>& condition, double seconds = 30);

}  // namespace varnik_test
