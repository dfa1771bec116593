// Which programs run on this machine, read from /proc: for tests that must
// find, and end, the programs that an installer or a package started, or
// make sure none is left over from elsewhere.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace varnik_test {

struct RunningProgram {
  pid_t pid;
  pid_t session;  // getsid() of the process
};

// Processes whose executable lies under `folder`.
std::vector<RunningProgram> ProgramsUnder(const std::string& folder);

// Processes that run a program with the file name `name`: by executable, or
// as the script an interpreter runs (among the first two words of the
// command line). A deleted executable still counts.
std::vector<pid_t> ProgramsNamed(const std::string& name);

}  // namespace varnik_test
