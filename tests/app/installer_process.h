// A real installer process for tests: started with a clean environment made
// of temporary user folders, the headless SDL driver, a fixed DPI and the
// loopback report server, working in the temporary home; its diagnostic
// output goes to a file the test can read. Every wait has a deadline; a process still running when the object
// goes is killed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace varnik_test {

class InstallerProcess {
 public:
  // `home` holds the user's folders (created here); `environment` adds to or
  // replaces the defaults (an empty value removes a variable).
  InstallerProcess(std::string executable, std::string home,
                   std::map<std::string, std::string> environment);
  ~InstallerProcess();
  InstallerProcess(const InstallerProcess&) = delete;
  InstallerProcess& operator=(const InstallerProcess&) = delete;

  // Command-line arguments after the program name (the installer takes none).
  void AddArgument(std::string argument) { arguments_.push_back(std::move(argument)); }
  bool Start();
  bool Signal(int signal_number);
  // True when the process ended within `timeout`; then exit_code() or
  // term_signal() tell how.
  bool WaitForExit(std::chrono::milliseconds timeout);
  // Waits until the diagnostic output contains `text`.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout);

  bool running() const { return pid_ > 0 && !ended_; }
  int exit_code() const { return exit_code_; }
  int term_signal() const { return term_signal_; }
  std::string Output() const;

 private:
  std::string executable_;
  std::string home_;
  std::map<std::string, std::string> environment_;
  std::vector<std::string> arguments_;
  std::string output_path_;
  pid_t pid_ = -1;
  bool ended_ = false;
  int exit_code_ = -1;
  int term_signal_ = 0;
};

}  // namespace varnik_test
