// `torvex arj 'COMMAND LINE'`: one call of the archive library's entry. The
// command line goes as the 8-bit text it is typed in (the ANSI code page,
// UTF-8 on POSIX).
#include <cstdio>

#include "arj/exec_arj.h"
#include "cli/subcommands.h"
#include "cli/usage.h"

namespace torvex::cli {

int runArj(std::span<char* const> args) {
  if (args.size() != 1) return usageError("arj takes one quoted command line, e.g. 'a \"x.arj\" \"f.txt\"'");
  std::printf("%d\n", ExecArj(args[0], 0));
  return kExitOk;
}

}  // namespace torvex::cli
