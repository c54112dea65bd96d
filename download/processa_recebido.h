// One received archive, from the incoming work area to a delivery planned in
// a batch. Deciding (where its data file goes, or why it stays) is kept apart
// from doing, which the batch's plan does.
#pragma once

#include "component/conventions.h"
#include "download/descritor_nome.h"
#include "download/lote_entrega.h"
#include "platform/platform.h"

namespace torvex {

// Every path one archive needs, built before anything is touched so that a
// path too long for its buffer leaves the archive untouched.
struct CaminhosRecebido {
  char bandeja[kTamanhoCaminho];    // I, the incoming tray, ending in "/"
  char arquivo[kTamanhoCaminho];    // A, the archive in the work area
  char reservado[kTamanhoCaminho];  // A while its delivery runs
  char descritor[kTamanhoCaminho];  // D, extension "FN"
  char dados[kTamanhoCaminho];      // S, extension "ARQ"
  char comando[2 * kTamanhoCaminho + 16];

  bool monta(const char* raiz, const char* nome);
};

// Why an archive stays in the work area this pass.
enum class Situacao {
  Pronto,        // extracted, its destination known
  NaoExtraido,   // a path does not fit, or the archive did not extract
  SemDestino,    // no readable descriptor, or its FI did not expand
  NaoColocavel,  // no plain data file, a bookkeeping destination, or no free name
};

struct Recebido {
  CaminhosRecebido c;
  DescritorNome descritor;
  char destino[kTamanhoCaminho] = {};
};

// Extracts the archive into the incoming tray and reads where its data file
// is to go. Pronto, NaoExtraido or SemDestino; the members of an archive
// without a destination stay in the tray, as extracted.
Situacao extraiRecebido(const char* raiz, const DirEntry& arquivo, Recebido& r);

// Whether the data file may go to its destination at all. A destination
// that is one of the tray tree's bookkeeping files is refused.
Situacao avaliaDestino(const char* raiz, const Recebido& r);

// The delivery of an archive judged Pronto, its final path chosen now (an
// "M" draws a number). NaoColocavel when no final path can be had.
Situacao planejaEntrega(const char* raiz, const DirEntry& arquivo, const Recebido& r,
                        Entrega& entrega);

// For an archive that cannot be placed: the members go, the archive stays
// and is extracted afresh by a later pass.
void descartaMembros(const Recebido& r);

}  // namespace torvex
