#include "cli/usage.h"

#include <cstdio>

namespace torvex::cli {

int usageError(std::string_view message) {
  std::fprintf(stderr, "torvex: %.*s (see torvex --help)\n", static_cast<int>(message.size()),
               message.data());
  return kExitUsage;
}

}  // namespace torvex::cli
