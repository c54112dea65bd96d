#include <sys/wait.h>

#include <cstdlib>

#include "tests/support/unix_shell.h"

namespace torvex::testing {

std::optional<int> unixShell(const std::filesystem::path& folder, const std::string& command) {
  const std::string script = "cd '" + folder.string() + "' && { " + command + " ; } >/dev/null 2>&1";
  const int status = std::system(script.c_str());
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace torvex::testing
