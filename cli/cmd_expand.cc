// `torvex expand FI [ROOT [STAMP]]`: the FI expander on its own, with the root
// normalised as the methods normalise it. Texts go as typed (the ANSI code
// page, UTF-8 on POSIX), each in a 256-byte buffer as the component holds it.
#include <cstdio>
#include <string>

#include "cli/subcommands.h"
#include "cli/usage.h"
#include "conventions/conventions.h"
#include "macros/trata_macro_fi.h"

namespace torvex::cli {

namespace {

bool copiaArgumento(const char* nome, const char* texto, char (&buffer)[kTamanhoCaminho]) {
  if (copia(buffer, sizeof buffer, texto)) return true;
  erroDeUso(std::string(nome) + " is longer than 255 bytes");
  return false;
}

}  // namespace

int executaExpand(std::span<char* const> args) {
  if (args.empty() || args.size() > 3) return erroDeUso("expand takes FI [ROOT [STAMP]]");
  char fi[kTamanhoCaminho], raiz[kTamanhoCaminho] = "", carimbo[kTamanhoCaminho];
  if (!copiaArgumento("FI", args[0], fi)) return kSaidaUso;
  if (args.size() > 1 && !copiaArgumento("ROOT", args[1], raiz)) return kSaidaUso;
  if (args.size() > 2 && !copiaArgumento("STAMP", args[2], carimbo)) return kSaidaUso;
  normalizaPath(raiz);
  char saida[kTamanhoCaminho] = "";
  trataMacroFI(saida, fi, raiz, args.size() > 2 ? carimbo : nullptr);
  std::printf("%s\n", saida);
  return kSaidaOk;
}

}  // namespace torvex::cli
