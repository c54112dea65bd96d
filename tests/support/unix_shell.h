// Runs a command of the Unix shell in a folder, its output discarded: how
// the tests drive the Linux peers (arj, 7zz, mkfifo) that the archive
// library is compared with.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace torvex::testing {

// The command's exit status, or nullopt where no Unix shell can be started
// (Windows itself; under Wine it can, see unix_shell_win.cc).
std::optional<int> unixShell(const std::filesystem::path& folder, const std::string& command);

}  // namespace torvex::testing
