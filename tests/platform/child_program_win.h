// A real second process for Windows tests: a program started with pipes on
// its standard input and output, read line by line under a watchdog, and
// ended by closing its input or by TerminateProcess. The destructor ends a
// child that still runs, so no test leaves one behind.
#pragma once

#include <chrono>
#include <string>

namespace varnik_test {

class ChildProgram {
 public:
  ChildProgram() = default;
  ~ChildProgram();
  ChildProgram(const ChildProgram&) = delete;
  ChildProgram& operator=(const ChildProgram&) = delete;

  // Starts `command_line` (UTF-8, the program first, quoted when it holds
  // blanks). False when the system refuses.
  bool Start(const std::string& command_line);

  // The next line the child writes (without its line end), waiting at most
  // `timeout`; false on time-out or end of output.
  bool ReadLine(std::string* line, std::chrono::milliseconds timeout = std::chrono::seconds(30));

  // Closes the child's standard input: it sees the end of its input.
  void CloseInput();

  // Waits at most `timeout` for the child to end; its exit code, or -1.
  int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(30));

  // Ends the child at once, as a crash or a task manager would.
  void Terminate();

 private:
  void* process_ = nullptr;
  void* input_ = nullptr;   // our end of the child's standard input
  void* output_ = nullptr;  // our end of the child's standard output
  std::string pending_;     // bytes read past the last line returned
};

// The folder holding the running test program, with a trailing separator.
std::string TestProgramFolder();

}  // namespace varnik_test
