#include "macros/carimbo.h"

#include <cstring>

namespace torvex {
namespace {

// One step of the format: a literal character, or a field of up to
// `largura` characters when `largura` is not 0.
struct Passo {
  char literal;
  int largura;
};

constexpr Passo kFormato[] = {{0, 6}, {'.', 0}, {0, 2}, {'+', 0}, {0, 4}, {0, 2},
                              {0, 2}, {0, 2},   {0, 2}, {'+', 0}};
constexpr int kCamposDescartados = 2;

// isspace of the "C" locale, whatever locale the process runs in.
bool branco(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

CamposCarimbo leCarimbo(const char* carimbo) {
  CamposCarimbo resultado;
  const char* p = carimbo;
  int campo = 0;
  for (const Passo& passo : kFormato) {
    if (passo.largura == 0) {
      if (*p != passo.literal) break;
      ++p;
      continue;
    }
    while (branco(*p)) ++p;
    const char* inicio = p;
    while (*p != '\0' && !branco(*p) && p - inicio < passo.largura) ++p;
    if (p == inicio) break;
    if (campo >= kCamposDescartados) {
      resultado.campos[campo - kCamposDescartados].assign(inicio, p);
      resultado.lidos = campo - kCamposDescartados + 1;
    }
    ++campo;
  }
  return resultado;
}

}  // namespace torvex
