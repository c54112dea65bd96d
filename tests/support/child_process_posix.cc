// POSIX: fork and exec, both output pipes read as they fill, so that a child
// writing much to one of them never waits on the other.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/child_process.h"

namespace torvex::testing {

namespace {

// The argument or environment vector that exec takes; it points into `texts`.
std::vector<char*> nullTerminated(const std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (const std::string& t : texts) pointers.push_back(const_cast<char*>(t.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

std::vector<std::string> commandLine(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  return words;
}

}  // namespace

ChildRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::vector<std::string>& environment) {
  ChildRun run;
  int out[2], err[2];
  if (::pipe(out) != 0) return run;
  if (::pipe(err) != 0) {
    ::close(out[0]), ::close(out[1]);
    return run;
  }
  const std::vector<std::string> words = commandLine(program, arguments);
  const std::vector<std::string> variables = environmentWith(environment);
  std::vector<char*> argv = nullTerminated(words), envp = nullTerminated(variables);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    ::close(out[0]), ::close(out[1]), ::close(err[0]), ::close(err[1]);
    ::execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  ::close(out[1]), ::close(err[1]);
  pollfd ends[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* into[2] = {&run.out, &run.err};
  for (int open = pid > 0 ? 2 : 0; open > 0;) {
    if (::poll(ends, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (ends[i].fd < 0 || !ends[i].revents) continue;
      char buffer[4096];
      const ssize_t n = ::read(ends[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        into[i]->append(buffer, static_cast<size_t>(n));
      } else {
        ::close(ends[i].fd);
        ends[i].fd = -1;
        --open;
      }
    }
  }
  for (const pollfd& end : ends) {
    if (end.fd >= 0) ::close(end.fd);
  }
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    run.exitCode = WEXITSTATUS(status);
  }
  return run;
}

bool runProgramKilledAfter(const std::string& program, const std::vector<std::string>& arguments,
                           int killAfterMs) {
  const std::vector<std::string> words = commandLine(program, arguments);
  std::vector<char*> argv = nullTerminated(words);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int discard = ::open("/dev/null", O_WRONLY);
    ::dup2(discard, STDOUT_FILENO);
    ::execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (pid < 0) return false;
  if (killAfterMs >= 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs));
    ::kill(pid, SIGKILL);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status);
}

}  // namespace torvex::testing
