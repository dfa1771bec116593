// The running processes by executable name, from the system's process
// snapshot, and their forced end. Names compare exactly (case-sensitive,
// code unit for code unit) and carry no folder.
//
// On Windows the name is the executable file name of the tool-help snapshot.
// On Linux it is the file name (no folder) of the program a process runs:
// the target of /proc/<pid>/exe, without the " (deleted)" mark of a replaced
// file. For a script that the system started through its interpreter (a
// "#!" script, or a file run through /bin/sh), the name is the script's own
// file name, taken from the interpreter's arguments. When the program of
// another user's process cannot be read, the file name of its first
// argument stands in. /proc/<pid>/comm is never used: it is cut at 15
// characters.
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
// `terminate`, also ends each of them (TerminateProcess with exit code 0;
// SIGKILL on Linux); a process that may not be opened or ended is still
// counted.
int32_t FindProcesses(const std::u16string& name, bool terminate);

}  // namespace platform
