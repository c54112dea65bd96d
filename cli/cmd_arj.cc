// `torvex arj 'COMMAND LINE'`: one call of the archive library's entry. The
// command line goes as the 8-bit text it is typed in (the ANSI code page,
// UTF-8 on POSIX). The result goes to stdout as the number ExecArj returned;
// a failure's meaning goes to stderr (success stays quiet for scripts).
#include <cstdio>

#include "arj/exec_arj.h"
#include "cli/subcommands.h"
#include "cli/usage.h"

namespace torvex::cli {

namespace {

// ExecArj's error levels (arj/README.md); never negative.
const char* meaningOf(int level) {
  switch (level) {
    case 2:
      return "fatal error: a member refused (unsupported method, encrypted, unsafe name), a "
             "read error, or a file over 4 GiB";
    case 3:
      return "CRC error: the archive is damaged or cut short";
    case 5:
      return "write error: a file could not be created, written or renamed";
    case 6:
      return "cannot open the archive or the file to add, or the target is not a folder";
    case 7:
      return "not a command line the library takes: a \"ARC\" \"FILE\", t \"ARC\" or "
             "e \"ARC\" \"DIR\" -y";
    case 8:
      return "out of memory";
    case 9:
      return "not an ARJ archive";
    default:
      return "an error level this library does not document";
  }
}

}  // namespace

int runArj(std::span<char* const> args) {
  if (args.size() != 1) return usageError("arj takes one quoted command line, e.g. 'a \"x.arj\" \"f.txt\"'");
  const int level = ExecArj(args[0], 0);
  std::printf("%d\n", level);
  if (level != 0) {
    std::fflush(stdout);
    std::fprintf(stderr, "torvex: arj: %d: %s\n", level, meaningOf(level));
  }
  return kExitOk;
}

}  // namespace torvex::cli
