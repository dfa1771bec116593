// ChildProcess: one program the performance table measures from outside.
// It starts without a shell, with the parent's environment plus changes,
// its standard output and error together in a private file; it records the
// CLOCK_MONOTONIC time just before the start, reads the process's CPU time
// while it runs and its peak resident memory when it has ended. Every wait
// has a deadline; a child still running when the object goes is killed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace benchtable {

class ChildProcess {
 public:
  // `argv[0]` is the program (a path, or a name looked up in PATH). An empty
  // value in `environment` removes the variable.
  ChildProcess(std::vector<std::string> argv, std::map<std::string, std::string> environment);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start();
  // Waits until the output so far satisfies `ready`; false at the deadline
  // or when the child ended first without satisfying it.
  bool WaitForOutput(const std::function<bool(const std::string&)>& ready,
                     std::chrono::milliseconds timeout);
  bool WaitForText(const std::string& text, std::chrono::milliseconds timeout);
  std::string Output() const;

  // CPU time of all its threads so far, in milliseconds, to the nanosecond
  // where the kernel keeps scheduler statistics (else to the clock tick);
  // nullopt once ended.
  std::optional<double> CpuTimeMs() const;
  // Sends `signal_number`, waits up to `timeout` for the end, then kills.
  // True when the child ended within the time.
  bool Stop(int signal_number, std::chrono::milliseconds timeout);
  // Waits for an end the child reaches by itself.
  bool WaitForExit(std::chrono::milliseconds timeout);

  pid_t pid() const { return pid_; }
  bool running() const { return pid_ > 0 && !ended_; }
  double started_ms() const { return started_ms_; }
  int exit_code() const { return exit_code_; }
  // Peak resident memory of the ended child, in KiB (0 before its end).
  long peak_rss_kib() const { return peak_rss_kib_; }

  // CLOCK_MONOTONIC in milliseconds.
  static double MonotonicMs();
  // User + system clock ticks from the text of /proc/<pid>/stat (fields 14
  // and 15, counted after the parenthesised command name, which may itself
  // hold spaces and parentheses).
  static std::optional<uint64_t> ParseStatCpuTicks(std::string_view stat);
  // Nanoseconds on the CPU from the text of /proc/<pid>/task/<tid>/schedstat
  // (its first field).
  static std::optional<uint64_t> ParseSchedstatNs(std::string_view schedstat);

 private:
  bool Reap(bool block);

  std::vector<std::string> argv_;
  std::map<std::string, std::string> environment_;
  std::string output_path_;
  pid_t pid_ = -1;
  bool ended_ = false;
  double started_ms_ = 0;
  int exit_code_ = -1;
  long peak_rss_kib_ = 0;
};

}  // namespace benchtable
