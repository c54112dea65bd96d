// `torvex --help`: what the tool is, every subcommand and method, and the
// environment that stands in for Windows.
#include <cstdio>
#include <string>

#include "cli/methods.h"
#include "cli/subcommands.h"
#include "cli/usage.h"

namespace torvex::cli {

namespace {

constexpr const char* kIntroduction =
    "torvex - drives the TORVEX controller component from a shell.\n"
    "\n"
    "The component prepares files for a file-exchange service and puts received\n"
    "files in place, all inside a tray tree under a root path such as C:/Troca:\n"
    "it packs files named by FI expressions into upload archives (F<n>_<name>.ARJ)\n"
    "in OUTTRAY/WORK, and distributes received archives (D?????.ARJ in\n"
    "INTRAY/WORK) to their destinations, recording each in OUTTRAY/ContDown.dat.\n"
    "\n"
    "Usage:\n"
    "  torvex METHOD ARG...     call one interface method\n"
    "  torvex SUBCOMMAND ...    see below\n";

constexpr const char* kMethodsText =
    "\n"
    "Methods (arguments in this order; text as UTF-8, numbers in decimal; the\n"
    "result is printed on one line: a number, a text, or an empty line for the\n"
    "null string):\n";

constexpr const char* kEnvironment =
    "\n"
    "Exit status: 0 when the call was made (whatever its result), 1 when it could\n"
    "not be made, 2 for a wrong command line.\n"
    "\n"
    "Paths look like Windows paths (C:/Troca or C:\\Troca); on Linux the drive\n"
    "letters and the rest of the Windows environment come from variables:\n"
    "  TORVEX_DRIVES    drive letters to directories, e.g. \"C=/srv/c;D=/mnt/d\"\n"
    "                   (unset: only Z: maps to /)\n"
    "  TORVEX_REGISTRY  a Windows .reg file standing in for the registry\n"
    "  TORVEX_WINVER    the Windows version reported, \"PLATFORMID.MAJOR\" or \"fail\"\n"
    "  TORVEX_NOW       a fixed local clock, YYYY-MM-DDTHH:MM:SS\n"
    "Details: docs/environment.md.\n"
    "\n"
    "Examples:\n"
    "  torvex demo\n"
    "  TORVEX_DRIVES=C=$HOME/c torvex criaInfraEstrutura 'C:\\Troca'\n"
    "  TORVEX_DRIVES=C=$HOME/c torvex recuperaArquivoUpload C:/Troca 1\n"
    "  torvex expand '&QVDIR/DATA/&YY&MM&DD.txt' C:/Troca\n";

void printIndented(const char* text) {
  std::string line;
  for (const char* p = text;; ++p) {
    if (*p == '\n' || *p == '\0') {
      std::printf("      %s\n", line.c_str());
      line.clear();
      if (*p == '\0') return;
    } else {
      line.push_back(*p);
    }
  }
}

}  // namespace

int runHelp(std::span<char* const> args) {
  if (!args.empty()) return usageError("--help takes no arguments");
  std::fputs(kIntroduction, stdout);
  std::fputs(kMethodsText, stdout);
  for (const Method& m : methods()) {
    std::string line = m.name;
    for (const Parameter& p : m.parameters) line += std::string(" ") + p.name;
    std::printf("  %s -> %s\n", line.c_str(), m.result == Type::Number ? "long" : "text");
    printIndented(m.help);
  }
  std::puts("\nSubcommands:");
  for (const Subcommand& s : subcommands()) {
    std::printf("  %s\n", s.synopsis);
    printIndented(s.summary);
  }
  std::fputs(kEnvironment, stdout);
  return kExitOk;
}

}  // namespace torvex::cli
