// Starting processes from one command-line text, without a shell and
// without a window.
//
// On Windows the text goes to CreateProcessW as it is: the system finds the
// program by its rules and the program reads the very same text with
// GetCommandLineW.
//
// On Linux the text is split by the rules of command_line.h and the program
// started directly; no shell ever sees it. The program (the first argument)
// is found like execvp finds it: a name with a "/" is used as it is, any
// other name is looked up in $PATH; a file that the system cannot run
// itself (no ELF or "#!" header, for example a file that starts with "MZ"
// and holds a shell script) runs through /bin/sh. The child gets the
// caller's environment plus kCommandLineVariable holding the whole
// command-line text as given, so that a program which, like Windows
// programs, reads its arguments from the raw text (for example everything
// after "/D=") sees exactly what the caller wrote. Its standard input is
// /dev/null; no other descriptor of the caller leaks in.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

inline constexpr char kCommandLineVariable[] = "VARNIK_COMMAND_LINE";

// The result of RunAndWait when the child ended without an exit code (for
// example through a signal) or its state could not be read.
inline constexpr int32_t kNoExitCode = -10002;

// Starts the command line, waits for the process without a time limit and
// returns its exit code; when it cannot be started, the system's start error
// (2 for a missing program on both systems; on Linux errno values such as 13
// for a program that may not be run and 22 for an empty command line, on
// Windows GetLastError values such as 5 and 87); kNoExitCode when no exit
// code can be read.
int32_t RunAndWait(const std::u16string& command_line);

// Starts the command line detached from the caller: it is never waited for
// and outlives the caller (on Linux in a session of its own, not a child of
// the caller). 0 when it started, else the start error as above.
int32_t LaunchDetached(const std::u16string& command_line);

}  // namespace platform
