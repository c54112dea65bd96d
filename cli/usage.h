// Exit statuses and the one-line usage message every subcommand shares.
#pragma once

#include <string_view>

namespace torvex::cli {

constexpr int kSaidaOk = 0;     // the call was made; its result is on stdout
constexpr int kSaidaFalha = 1;  // the call could not be made
constexpr int kSaidaUso = 2;    // the command line was wrong

// Prints "torvex: <mensagem> (see torvex --help)" on stderr; returns kSaidaUso.
int erroDeUso(std::string_view mensagem);

}  // namespace torvex::cli
