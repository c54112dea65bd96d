// Where a received data file goes and how it gets there, from the
// destination's existence and the disposition code.
#pragma once

#include "component/conventions.h"
#include "download/mensagem_numerada.h"

namespace torvex {

enum class ModoEntrega {
  Move,       // to a name that does not exist: a new destination or a numbered message
  Substitui,  // over the existing destination, in one atomic rename
  Anexa,      // appended to the existing destination
};

struct Colocacao {
  char final[kTamanhoCaminho] = {};
  ModoEntrega modo = ModoEntrega::Move;
};

// Decides the final path for `destino` (normalised). A new destination is
// taken as it is whatever the code; for an existing one "A" appends, "M"
// draws a numbered name beside it and anything else (lower case included)
// replaces it. False when no numbered name is free or a path does not fit.
// Numbers and existence answers come from `numeracao`.
bool escolheColocacao(const char* destino, char codigo, const char* raiz, Colocacao& colocacao,
                      Numeracao& numeracao = numeracaoDoDisco());

}  // namespace torvex
