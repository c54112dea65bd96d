#include "cli/usage.h"

#include <cstdio>

namespace torvex::cli {

int erroDeUso(std::string_view mensagem) {
  std::fprintf(stderr, "torvex: %.*s (see torvex --help)\n", static_cast<int>(mensagem.size()),
               mensagem.data());
  return kSaidaUso;
}

}  // namespace torvex::cli
