// The subcommands of `torvex` other than the method calls. Each lives in its
// own file; to add one, write its function and add one line to the table in
// subcomandos.cc.
#pragma once

#include <span>

namespace torvex::cli {

struct Subcomando {
  const char* nome;     // as typed: "demo", "--help"
  const char* sinopse;  // "arj 'COMMAND LINE'"
  const char* resumo;   // one or more lines for --help
  // Receives the arguments after the name; returns the exit status.
  int (*executa)(std::span<char* const> args);
};

std::span<const Subcomando> subcomandos();
const Subcomando* procuraSubcomando(const char* nome);

int executaAjuda(std::span<char* const> args);
int executaVersao(std::span<char* const> args);
int executaArj(std::span<char* const> args);
int executaExpand(std::span<char* const> args);
int executaDemo(std::span<char* const> args);
int executaRegister(std::span<char* const> args);
int executaUnregister(std::span<char* const> args);
int executaDispatch(std::span<char* const> args);
int executaStatus(std::span<char* const> args);

}  // namespace torvex::cli
