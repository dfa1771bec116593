// PrivateXServer and RunCommand: what the tests that drive a real window
// from outside (the installer on Xvfb, the Windows installer under Wine)
// share. The X server is an Xvfb of the test's own on a free display
// number; commands run as real processes, with their arguments as given
// (no shell) and extra environment variables on top of the test's.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace varnik_test {

class PrivateXServer {
 public:
  PrivateXServer() = default;
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;
  ~PrivateXServer();

  // Starts Xvfb (screen `width` x `height`) and waits until it reports its
  // display number (it does so once it accepts clients). False, with the
  // reason, when no X server could be started within 20 s.
  bool Start(std::string* error, int width = 1280, int height = 800);
  // ":<number>".
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Runs `argv` and returns its standard output; `ok` is false unless it
// exited with 0.
std::string RunCommand(std::vector<std::string> argv, const std::map<std::string, std::string>& env,
                       bool* ok);

}  // namespace varnik_test
