#include "cli/subcomandos.h"

#include <cstring>

namespace torvex::cli {

namespace {

constexpr Subcomando kSubcomandos[] = {
    {"--help", "--help", "This text.", executaAjuda},
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
