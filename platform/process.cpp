#include "platform/process.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = line.size();
  auto blank = [](char c) { return c == ' ' || c == '\t'; };

  // The program name.
  std::string prog;
  if (i < n && line[i] == '"') {
    ++i;
    while (i < n && line[i] != '"') prog += line[i++];
    if (i < n) ++i;
  } else {
    while (i < n && !blank(line[i])) prog += line[i++];
  }
  args.push_back(prog);

  while (true) {
    while (i < n && blank(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !blank(line[i]))) {
      if (line[i] == '\\') {
        size_t slashes = 0;
        while (i < n && line[i] == '\\') ++slashes, ++i;
        if (i < n && line[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (line[i] == '"') {
        // Inside quotes, a doubled quote stands for one quote character.
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg += line[i++];
    }
    args.push_back(arg);
  }
  return args;
}

Process::~Process() {
  // A child that is still running is left to run; one that ended is reaped.
  if (pid_ > 0 && !ended_) waitpid(pid_, &status_, WNOHANG);
}

Process& Process::operator=(Process&& o) noexcept {
  if (this != &o) {
    pid_ = o.pid_;
    status_ = o.status_;
    ended_ = o.ended_;
    o.pid_ = -1;
  }
  return *this;
}

Process Process::Start(const std::string& commandLine, std::error_code& ec) {
  ec.clear();
  std::vector<std::string> args = SplitCommandLine(commandLine);
  if (args.empty() || args[0].empty()) {
    ec = std::make_error_code(std::errc::invalid_argument);
    return Process();
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int r = posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (r != 0) {
    ec = std::error_code(r, std::generic_category());
    return Process();
  }
  Process p;
  p.pid_ = pid;
  return p;
}

bool Process::HasEnded() {
  if (pid_ <= 0 || ended_) return true;
  const pid_t r = waitpid(pid_, &status_, WNOHANG);
  if (r == pid_ || (r < 0 && errno == ECHILD)) ended_ = true;
  return ended_;
}

int Process::Wait() {
  while (pid_ > 0 && !ended_) {
    const pid_t r = waitpid(pid_, &status_, 0);
    if (r == pid_ || (r < 0 && errno != EINTR)) ended_ = true;
  }
  return status_;
}

void Process::Kill() {
  if (pid_ > 0 && !ended_) kill(pid_, SIGKILL);
}

}  // namespace platform
