#include "cli/subcomandos.h"

#include <cstring>

namespace torvex::cli {

namespace {

constexpr Subcomando kSubcomandos[] = {
    {"--help", "--help", "This text.", executaAjuda},
    {"--version", "--version", "The version of this command and its library.", executaVersao},
    {"demo", "demo [--keep]",
     "A full round trip in a fresh temporary tray tree, explained step by step.\n"
     "--keep leaves the tree in place and prints where it is.",
     executaDemo},
    {"arj", "arj 'COMMAND LINE'",
     "Hands one ARJ command line (a, t or e) to the archive library's ExecArj and\n"
     "prints its result: 0 for success, an error level otherwise.",
     executaArj},
    {"expand", "expand FI [ROOT [STAMP]]",
     "Expands the FI macro expression with the root path ROOT and the\n"
     "23-character stamp STAMP, and prints the path it names.",
     executaExpand},
    {"status", "status ROOT [--json]",
     "A read-only report of the tray tree at ROOT: uploads waiting, what the next\n"
     "disponibilizaArquivos would do with each received archive or why it would\n"
     "stay, the control file, the message counter, leftovers of interrupted work.\n"
     "Changes nothing. Exit status 1 when something needs an operator.",
     executaStatus},
    {"register", "register",
     "Registers the component (the library beside this command, or else the one\n"
     "installed with it) under HKEY_CLASSES_ROOT with its type library; prints\n"
     "the HRESULT.",
     executaRegister},
    {"unregister", "unregister",
     "Removes the component's registration; prints the HRESULT.", executaUnregister},
    {"--dispatch", "--dispatch METHOD ARG...",
     "Calls METHOD as a late-bound host does: creates TORVEX.Controlador through\n"
     "the registry and calls through GetIDsOfNames and Invoke, which take the\n"
     "name in any letter case. Needs register.",
     executaDispatch},
};

}  // namespace

std::span<const Subcomando> subcomandos() { return kSubcomandos; }

const Subcomando* procuraSubcomando(const char* nome) {
  for (const Subcomando& s : kSubcomandos) {
    if (std::strcmp(s.nome, nome) == 0) return &s;
  }
  return nullptr;
}

}  // namespace torvex::cli
