// `torvex --help`: what the tool is, every subcommand and method with its
// result values, and the environment that stands in for Windows.
// `torvex help NAME`: one method or subcommand in full.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/method_help.h"
#include "cli/methods.h"
#include "cli/nearest_name.h"
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
    "null string). torvex help METHOD gives its arguments and what it leaves\n"
    "on disk:\n";

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
    "Details: docs/environment.md. Writing a host: docs/host-guide.md; file\n"
    "formats and the FI macros: docs/formats.md.\n"
    "\n"
    "Examples:\n"
    "  torvex demo\n"
    "  TORVEX_DRIVES=C=$HOME/c torvex criaInfraEstrutura 'C:\\Troca'\n"
    "  TORVEX_DRIVES=C=$HOME/c torvex recuperaArquivoUpload C:/Troca 1\n"
    "  torvex expand '&QVDIR/DATA/&YY&MM&DD.txt' C:/Troca\n"
    "  torvex help geraArquivoUpload\n";

void printIndented(const char* text, const char* indent = "      ") {
  std::string line;
  for (const char* p = text;; ++p) {
    if (*p == '\n' || *p == '\0') {
      std::printf("%s%s\n", indent, line.c_str());
      line.clear();
      if (*p == '\0') return;
    } else {
      line.push_back(*p);
    }
  }
}

std::string signature(const Method& m) {
  std::string line = m.name;
  for (const Parameter& p : m.parameters) line += std::string(" ") + p.name;
  return line + (m.result == Type::Number ? " -> long" : " -> text");
}

// "0  meaning", the meaning wrapped to 79 columns under its first line.
void printResults(const MethodHelp& h, const char* indent) {
  constexpr size_t kWidth = 79;
  for (const ResultMeaning& r : h.results) {
    std::string line = std::string(indent) + r.value;
    const size_t column = std::max(line.size() + 2, std::strlen(indent) + 12);
    line.resize(column, ' ');
    std::string word;
    size_t inLine = 0;  // words on the current line
    for (const char* p = r.meaning;; ++p) {
      if (*p != ' ' && *p != '\n' && *p != '\0') {
        word.push_back(*p);
        continue;
      }
      if (!word.empty()) {
        if (inLine > 0 && line.size() + 1 + word.size() > kWidth) {
          std::puts(line.c_str());
          line.assign(column, ' ');
          inLine = 0;
        }
        line += (inLine++ > 0 ? " " : "") + word;
        word.clear();
      }
      if (*p == '\0') break;
    }
    std::puts(line.c_str());
  }
}

int helpOnMethod(const Method& m, const MethodHelp& h) {
  std::printf("torvex %s\n\n", signature(m).c_str());
  printIndented(h.summary, "  ");
  std::puts("\nArguments:");
  printIndented(h.arguments, "  ");
  std::puts("\nResult:");
  printResults(h, "  ");
  std::puts("\nLeaves on disk:");
  printIndented(h.onDisk, "  ");
  std::puts("\nMore: docs/host-guide.md (the rounds a host runs) and docs/formats.md.");
  return kExitOk;
}

}  // namespace

int runHelpOn(std::span<char* const> args) {
  if (args.empty()) return runHelp(args);
  if (args.size() > 1) return usageError("help takes one method or subcommand name");
  if (const Method* m = findMethod(args[0]); m != nullptr) {
    if (const MethodHelp* h = methodHelp(m->name); h != nullptr) return helpOnMethod(*m, *h);
  }
  if (const Subcommand* s = findSubcommand(args[0]); s != nullptr) {
    std::printf("torvex %s\n\n", s->synopsis);
    printIndented(s->summary, "  ");
    return kExitOk;
  }
  return unknownName("method or subcommand", args[0], commandNames());
}

int runHelp(std::span<char* const> args) {
  if (!args.empty()) return usageError("--help takes no arguments");
  std::fputs(kIntroduction, stdout);
  std::fputs(kMethodsText, stdout);
  for (const Method& m : methods()) {
    std::printf("  %s\n", signature(m).c_str());
    printIndented(m.help);
    if (const MethodHelp* h = methodHelp(m.name); h != nullptr) printResults(*h, "      ");
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
