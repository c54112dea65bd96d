// A dry run of a distribution pass: what the next pass would do with each
// received archive, decided by the pass's own routines while nothing on disk
// changes. Members are decoded in memory, numbers are drawn from a copy of
// the counter, and a delivery decided for one archive counts as made for the
// archives after it (its final path then exists). A plan an interrupted
// pass left in the journal is finished first, as the next call does: its
// deliveries come first and their archives are not decided again; those it
// gives up go back under their names and are decided with the others.
#pragma once

#include <string>
#include <vector>

#include "download/decisao_recebido.h"
#include "platform/platform.h"

namespace torvex {

struct PrevisaoRecebido {
  DirEntry arquivo;
  bool adiado = false;  // past the collect table: this pass does not take it
  bool pendente = false;    // delivered by finishing the pending plan (name only in `arquivo`)
  bool destinoConhecido = true;  // pending: the journal records the destination it expanded
  bool registrado = false;  // pending, and its record already stands
  DecisaoRecebido decisao;
};

struct PrevisaoPasso {
  bool coleta = false;  // collect-first mode: the listing's last archive goes first
  bool bloqueado = false;  // the journal cannot be read: the pass changes nothing
  // The file on which the next call stops (the journal cannot be written, or
  // the interrupted plan cannot be finished): it goes no further than the
  // plan's steps, and delivers and records nothing. Empty when it goes on.
  std::string bloqueio;
  std::vector<PrevisaoRecebido> recebidos;  // in the order the pass takes them
};

// `raiz` is the normalised root.
PrevisaoPasso simulaPasso(const char* raiz);

}  // namespace torvex
