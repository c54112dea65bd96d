#include "cli/subcommands.h"

#include <cstring>

#include "cli/methods.h"

namespace torvex::cli {

namespace {

constexpr Subcommand kSubcommands[] = {
    {"--help", "--help", "This text.", runHelp},
    {"help", "help [METHOD|SUBCOMMAND]",
     "One method's arguments, every result value and its meaning, and what the\n"
     "call leaves on disk; or one subcommand's use. Without a name, this text.",
     runHelpOn},
    {"--version", "--version", "The version of this command and its library.", runVersion},
    {"demo", "demo [--keep]",
     "A full round trip in a fresh temporary tray tree, explained step by step.\n"
     "--keep leaves the tree in place and prints where it is.",
     runDemo},
    {"arj", "arj 'COMMAND LINE'",
     "Hands one ARJ command line (a, t or e) to the archive library's ExecArj\n"
     "and prints its result: 0 for success, else an error level, with what it\n"
     "means on stderr: 2 fatal, 3 CRC error, 5 write error, 6 cannot open,\n"
     "7 not a command line it takes, 8 out of memory, 9 not an ARJ archive.",
     runArj},
    {"expand", "expand FI [ROOT [STAMP]]",
     "Expands the FI macro expression with the root path ROOT and the\n"
     "23-character stamp STAMP, and prints the path it names.",
     runExpand},
    {"status", "status ROOT [--json]",
     "A read-only report of the tray tree at ROOT: uploads waiting, what the next\n"
     "disponibilizaArquivos would do with each received archive or why it would\n"
     "stay, the control file, the message counter, leftovers of interrupted work.\n"
     "Changes nothing. Exit status 1 when something needs an operator.",
     runStatus},
    {"register", "register",
     "Registers the component (the library beside this command, or else the one\n"
     "installed with it) under HKEY_CLASSES_ROOT with its type library; prints\n"
     "the HRESULT.",
     runRegister},
    {"unregister", "unregister",
     "Removes the component's registration; prints the HRESULT.", runUnregister},
    {"--dispatch", "--dispatch METHOD ARG...",
     "Calls METHOD as a late-bound host does: creates TORVEX.Controlador through\n"
     "the registry and calls through GetIDsOfNames and Invoke, which take the\n"
     "name in any letter case. Needs register.",
     runDispatch},
};

}  // namespace

std::span<const Subcommand> subcommands() { return kSubcommands; }

std::vector<std::string_view> commandNames() {
  std::vector<std::string_view> names = methodNames();
  for (const Subcommand& s : kSubcommands) names.push_back(s.name);
  return names;
}

const Subcommand* findSubcommand(const char* name) {
  for (const Subcommand& s : kSubcommands) {
    if (std::strcmp(s.name, name) == 0) return &s;
  }
  return nullptr;
}

}  // namespace torvex::cli
