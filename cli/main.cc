// torvex: drives the controller component from a shell. The first argument
// picks a subcommand from the table, or else names an interface method.
#include <cstdio>
#include <span>
#include <string>

#include "cli/metodos.h"
#include "cli/subcomandos.h"
#include "cli/uso.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  using namespace torvex::cli;
  std::span<char* const> args(argv + 1, argc > 1 ? static_cast<size_t>(argc - 1) : 0);
  if (args.empty()) return erroDeUso("a subcommand or method name is missing");
  const Subcomando* s = procuraSubcomando(args[0]);
  // A malformed variable stops every command that uses the environment; help
  // and version use none, so they still answer.
  if (s == nullptr || (s->executa != executaAjuda && s->executa != executaVersao)) {
    if (std::string problema = torvex::environmentProblem(); !problema.empty()) {
      std::fprintf(stderr, "torvex: %s\n", problema.c_str());
      return kSaidaFalha;
    }
  }
  if (s != nullptr) return s->executa(args.subspan(1));
  ChamadorDireto direto;
  return chamaMetodo(direto, args);
}
