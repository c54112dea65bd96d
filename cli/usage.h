// Exit statuses and the one-line usage message every subcommand shares.
#pragma once

#include <string_view>

namespace torvex::cli {

constexpr int kExitOk = 0;     // the call was made; its result is on stdout
constexpr int kExitFailure = 1;  // the call could not be made
constexpr int kExitUsage = 2;    // the command line was wrong

// Prints "torvex: <message> (see torvex --help)" on stderr; returns kExitUsage.
int usageError(std::string_view message);

}  // namespace torvex::cli
