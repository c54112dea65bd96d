// torvex: drives the controller component from a shell. The first argument
// picks a subcommand from the table, or else names an interface method.
#include <span>

#include "cli/methods.h"
#include "cli/subcommands.h"
#include "cli/usage.h"

int main(int argc, char** argv) {
  using namespace torvex::cli;
  std::span<char* const> args(argv + 1, argc > 1 ? static_cast<size_t>(argc - 1) : 0);
  if (args.empty()) return usageError("a subcommand or method name is missing");
  if (const Subcommand* s = findSubcommand(args[0])) return s->run(args.subspan(1));
  DirectCaller direct;
  return callMethod(direct, args);
}
