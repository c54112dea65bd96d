// Windows: only Wine starts a Unix program, and only in part (W10 in
// docs/wine-departures.md): CreateProcess runs /bin/sh but hands back no
// process to wait for and passes no pipe as its output. So the shell writes
// its status to a file of its own, renamed into place when complete, and the
// call waits for that file.
#include <windows.h>

#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "tests/support/unix_shell.h"
#include "tests/support/wine.h"

namespace torvex::testing {

namespace fs = std::filesystem;

namespace {

// A peer that has not finished in this time is taken for hung.
constexpr auto kPatience = std::chrono::minutes(5);

}  // namespace

std::optional<int> unixShell(const fs::path& folder, const std::string& command) {
  const std::optional<std::string> unixFolder = wineUnixPath(folder);
  if (!unixFolder) return std::nullopt;
  // The command line is parsed back into arguments by Wine's own rules;
  // a script without quotes and backslashes passes through one pair as is.
  if (command.find_first_of("\"\\") != std::string::npos) {
    throw std::invalid_argument("a shell command for Wine must hold no '\"' or '\\': " + command);
  }
  std::random_device random;
  const std::string status =
      "/tmp/torvex-shell-" + std::to_string(random()) + "-" + std::to_string(random());
  const std::string script = "cd '" + *unixFolder + "' && { " + command +
                             " ; } >/dev/null 2>&1 </dev/null; echo $? >'" + status +
                             ".part' && mv '" + status + ".part' '" + status + "'";
  std::wstring line = L"\"" + wineWindowsPath("/bin/sh")->wstring() + L"\" -c \"" +
                      fs::path(script).wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return std::nullopt;
  }
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  const fs::path done = *wineWindowsPath(status);
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  std::error_code ec;
  while (!fs::exists(done, ec)) {
    if (std::chrono::steady_clock::now() > deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  int code = -1;
  std::ifstream(done) >> code;
  fs::remove(done, ec);
  return code;
}

}  // namespace torvex::testing
