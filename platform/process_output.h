// Running a helper program and reading what it prints: the stand-in for the
// system dialogs that answer with a text (the folder chooser). The command
// line is split by the rules of command_line.h and the program is looked up
// in $PATH like execvp does; no shell ever sees the text.
//
// Promises: the call blocks until the program has ended (run it on a worker
// when the caller must stay responsive). Its standard input is /dev/null and
// its standard error is the caller's; at most `max_output_bytes` of its
// standard output are kept, the rest is read and dropped so the program never
// blocks on a full pipe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// The program's exit code; the errno-style start error (2 for a program
// that is not there, 13 for one that may not be run, 22 for an empty command
// line); -10002 (kNoExitCode of process_launcher.h) when it ended without an
// exit code. `output` (may be null) receives what it printed.
int32_t RunAndCaptureOutput(const std::u16string& command_line, std::string* output,
                            size_t max_output_bytes = 64 * 1024);

}  // namespace platform
