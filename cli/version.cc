// `torvex --version`: the product version, which the build takes from the
// one project(VERSION) of the top CMakeLists.txt.
#include <cstdio>

#include "cli/subcomandos.h"
#include "cli/uso.h"

namespace torvex::cli {

int executaVersao(std::span<char* const> args) {
  if (!args.empty()) return erroDeUso("--version takes no arguments");
  std::printf("torvex %s\n", TORVEX_VERSION);
  return kSaidaOk;
}

}  // namespace torvex::cli
