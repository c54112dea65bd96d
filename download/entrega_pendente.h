// What the plan that an interrupted pass left in the journal will do when
// the next call runs it again: read from the plan's own steps, and its
// failures foreseen by the steps' own checks, so that a dry run counts with
// it and a report says where each archive's data goes, which numbered names
// the plan has already drawn, which archives it gives back, and whether it
// can be finished at all.
#pragma once

#include <string>
#include <vector>

#include "download/colocacao.h"
#include "journal/journal_file.h"

namespace torvex {

struct EntregaPendente {
  std::string arquivo;  // the received archive's name, as its record gives it
  std::string final;    // where its data file goes
  // The FI expanded; a final path unlike it is a drawn numbered name. Empty
  // when the journal was written before plans recorded it.
  std::string destino;
  ModoEntrega modo = ModoEntrega::Move;
  bool registrada = false;  // its record already stands in the control file
};

// An archive whose delivery the plan gave up, or will give up when run
// again (a step of it fails): it goes back under its name, and the same pass
// decides it afresh.
struct ArquivoDevolvido {
  std::string arquivo;      // its name in the work area
  std::string estacionado;  // the parked file it is renamed back from; empty when it stands under its name
};

struct PlanoPendente {
  std::vector<EntregaPendente> entregas;  // in the plan's order
  std::vector<ArquivoDevolvido> devolvidos;
  // The file on which a step of the whole batch fails (the control file
  // cannot be written): the plan then stays, and every call that changes the
  // tree fails, until an operator mends it. Empty when it can be finished.
  std::string bloqueio;
};

PlanoPendente planoPendente(const Plan& plano);

}  // namespace torvex
