// `torvex --version`: the product version, which the build takes from the
// one project(VERSION) of the top CMakeLists.txt.
#include <cstdio>

#include "cli/subcommands.h"
#include "cli/usage.h"

namespace torvex::cli {

int runVersion(std::span<char* const> args) {
  if (!args.empty()) return usageError("--version takes no arguments");
  std::printf("torvex %s\n", TORVEX_VERSION);
  return kExitOk;
}

}  // namespace torvex::cli
