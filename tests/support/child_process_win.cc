// Windows: CreateProcess with the command line quoted as the C runtime parses
// it back into arguments. A program named without a folder is looked for
// first beside the test program (CreateProcess's own search), where the
// build puts the programs the suites start. Standard error is read on a
// thread of its own, so that a child writing much to one pipe never waits on
// the other. A changed environment goes to the child as a block of its own.
#include <windows.h>

#include <functional>
#include <thread>

#include "tests/support/child_process.h"

namespace torvex::testing {

namespace {

// One argument as the runtime's parser reads it back: quoted, a quote
// escaped, backslashes doubled only before a quote.
std::string quoted(const std::string& argument) {
  std::string text = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    text.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    text += c;
  }
  text.append(2 * backslashes, '\\');
  return text + "\"";
}

std::wstring wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, w.data(), n);
  w.resize(static_cast<size_t>(n - 1));
  return w;
}

// The exit status a killed child gets: a shell's for SIGKILL.
constexpr UINT kKilled = 137;

void readAll(HANDLE pipe, std::string& into) {
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) into.append(buffer, n);
}

// The child's environment block: this process's variables with the changes.
std::wstring environmentBlock(const std::vector<std::string>& changes) {
  std::wstring block;
  for (const std::string& entry : environmentWith(changes)) block += wide(entry) + L'\0';
  return block + L'\0';
}

// Starts the program with the given standard handles; with no changes to
// the environment the child inherits this process's as it is.
bool start(const std::string& program, const std::vector<std::string>& arguments,
           const std::vector<std::string>& environment, HANDLE out, HANDLE err,
           PROCESS_INFORMATION& process) {
  std::string line = quoted(program);
  for (const std::string& a : arguments) line += " " + quoted(a);
  std::wstring commandLine = wide(line);
  std::wstring block = environment.empty() ? std::wstring() : environmentBlock(environment);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  process = {};
  return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                        block.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT,
                        block.empty() ? nullptr : block.data(), nullptr, &startup, &process);
}

}  // namespace

ChildRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                    const std::vector<std::string>& environment) {
  ChildRun run;
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite;
  if (!CreatePipe(&outRead, &outWrite, &inherited, 0)) return run;
  if (!CreatePipe(&errRead, &errWrite, &inherited, 0)) {
    CloseHandle(outRead), CloseHandle(outWrite);
    return run;
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  PROCESS_INFORMATION process;
  const bool started = start(program, arguments, environment, outWrite, errWrite, process);
  CloseHandle(outWrite), CloseHandle(errWrite);
  if (started) {
    std::thread errors(readAll, errRead, std::ref(run.err));
    readAll(outRead, run.out);
    errors.join();
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process.hProcess, &code)) {
      run.exitCode = static_cast<int>(code);
    }
    CloseHandle(process.hThread), CloseHandle(process.hProcess);
  }
  CloseHandle(outRead), CloseHandle(errRead);
  return run;
}

bool runProgramKilledAfter(const std::string& program, const std::vector<std::string>& arguments,
                           int killAfterMs) {
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE discard = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                               OPEN_EXISTING, 0, nullptr);
  PROCESS_INFORMATION process;
  const bool started = start(program, arguments, {}, discard, GetStdHandle(STD_ERROR_HANDLE), process);
  CloseHandle(discard);
  if (!started) return false;
  // Killed only if still running: an exit status cannot tell a kill from an
  // exit with the same number.
  const DWORD wait = killAfterMs >= 0 ? static_cast<DWORD>(killAfterMs) : INFINITE;
  const bool killed = WaitForSingleObject(process.hProcess, wait) == WAIT_TIMEOUT &&
                      TerminateProcess(process.hProcess, kKilled);
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread), CloseHandle(process.hProcess);
  return killed;
}

}  // namespace torvex::testing
