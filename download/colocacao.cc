#include "download/colocacao.h"

namespace torvex {

bool escolheColocacao(const char* destino, char codigo, const char* raiz, Colocacao& colocacao,
                      Numeracao& numeracao) {
  if (destino[0] == '\0') return false;
  if (!numeracao.existe(destino)) {
    colocacao.modo = ModoEntrega::Move;
    return copia(colocacao.final, sizeof colocacao.final, destino);
  }
  switch (codigo) {
    case 'A':
      colocacao.modo = ModoEntrega::Anexa;
      return copia(colocacao.final, sizeof colocacao.final, destino);
    case 'M':
      colocacao.modo = ModoEntrega::Move;
      return geraNomeMensagem(destino, raiz, colocacao.final, numeracao);
    default:
      colocacao.modo = ModoEntrega::Substitui;
      return copia(colocacao.final, sizeof colocacao.final, destino);
  }
}

}  // namespace torvex
