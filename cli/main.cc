// torvex: drives the controller component from a shell. The first argument
// picks a subcommand from the table, or else names an interface method.
#include <cstdio>
#include <span>
#include <string>

#include "cli/methods.h"
#include "cli/nearest_name.h"
#include "cli/subcommands.h"
#include "cli/usage.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  using namespace torvex::cli;
  std::span<char* const> args(argv + 1, argc > 1 ? static_cast<size_t>(argc - 1) : 0);
  if (args.empty()) return usageError("a subcommand or method name is missing");
  const Subcommand* s = findSubcommand(args[0]);
  if (s == nullptr && findMethod(args[0]) == nullptr) {
    return unknownName("subcommand or method", args[0], commandNames());
  }
  // A malformed variable stops every command that uses the environment; help
  // and version use none, so they still answer.
  if (s == nullptr || (s->run != runHelp && s->run != runHelpOn && s->run != runVersion)) {
    if (std::string problem = torvex::environmentProblem(); !problem.empty()) {
      std::fprintf(stderr, "torvex: %s\n", problem.c_str());
      return kExitFailure;
    }
  }
  if (s != nullptr) return s->run(args.subspan(1));
  DirectCaller direct;
  return callMethod(direct, args);
}
