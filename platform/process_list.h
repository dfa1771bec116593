// The running processes by executable name, the stand-in for the system's
// process snapshot, and their forced end.
//
// A process's executable name is the file name (no folder) of the program
// it runs: the target of /proc/<pid>/exe, without the " (deleted)" mark of
// a replaced file. For a script that the system started through its
// interpreter (a "#!" script, or a file run through /bin/sh), the name is the
// script's own file name, taken from the interpreter's arguments. When the
// program of another user's process cannot be read, the file name of its
// first argument stands in. /proc/<pid>/comm is never used: it is cut at 15
// characters. Names compare exactly (case-sensitive, byte for byte).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The ids of the running processes whose executable name is `name`, in
// ascending order. The calling process itself is never listed. Zombies
// (ended, not yet reaped) do not run and are not listed.
std::vector<pid_t> ListProcessesByName(const std::u16string& name);

// The number of running processes whose executable name is `name`. With
// `terminate`, also ends each of them with SIGKILL; a process that may not
// be ended is still counted.
int32_t FindProcesses(const std::u16string& name, bool terminate);

}  // namespace platform
