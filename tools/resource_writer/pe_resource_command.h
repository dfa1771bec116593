// The resource writer's commands on a Windows executable (a PE file): list,
// read and rewrite its resources in place (see pe_resource_file.h). The
// command line is the tool's own (resource_writer_main.cc).
#pragma once

#include <string>

namespace resource_writer {

// Runs the command `argv[2..]` on the PE file `exe` whose bytes are `bytes`.
// Exit codes as the tool's: 0 success, 1 usage error or a change the file
// cannot take, 2 a file that cannot be read or written, 3 a missing resource.
int RunPeCommand(const std::string& exe, std::string bytes, int argc, char** argv);

}  // namespace resource_writer
