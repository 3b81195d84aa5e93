// Starting a program from one command-line string, the way the Windows build does, and
// watching it without blocking.
#pragma once

#include <sys/types.h>

#include <string>
#include <system_error>
#include <vector>

namespace platform {

// Splits a command line by the Windows rules: blanks separate arguments; double quotes
// group; 2n backslashes before a quote give n backslashes and the quote groups, 2n+1 give n
// backslashes and a literal quote; other backslashes are literal. The program name (the first
// argument) ends at its closing quote or first blank, with no backslash rules.
std::vector<std::string> SplitCommandLine(const std::string& line);

class Process {
 public:
  Process() = default;
  ~Process();
  Process(Process&& o) noexcept : pid_(o.pid_), status_(o.status_) { o.pid_ = -1; }
  Process& operator=(Process&& o) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts argv[0] of the split command line with the caller's environment and current
  // folder. Returns a Process that is not running when it could not start.
  static Process Start(const std::string& commandLine, std::error_code& ec);

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  // True once the process has ended; never blocks.
  bool HasEnded();
  // Blocks until the process ends; returns its wait status.
  int Wait();
  void Kill();
  int Status() const { return status_; }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
  bool ended_ = false;
};

}  // namespace platform
