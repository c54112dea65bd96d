// Windows: CreateProcess with the command line quoted as the C runtime parses
// it back into arguments. A program named without a folder is looked for
// first beside the test program (CreateProcess's own search), where the
// build puts the programs the suites start. Standard error is read on a
// thread of its own, so that a child writing much to one pipe never waits on
// the other.
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

void readAll(HANDLE pipe, std::string& into) {
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) into.append(buffer, n);
}

}  // namespace

ChildRun runProgram(const std::string& program, const std::vector<std::string>& arguments) {
  ChildRun run;
  std::string line = quoted(program);
  for (const std::string& a : arguments) line += " " + quoted(a);
  std::wstring commandLine = wide(line);

  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite;
  if (!CreatePipe(&outRead, &outWrite, &inherited, 0)) return run;
  if (!CreatePipe(&errRead, &errWrite, &inherited, 0)) {
    CloseHandle(outRead), CloseHandle(outWrite);
    return run;
  }
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
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

}  // namespace torvex::testing
