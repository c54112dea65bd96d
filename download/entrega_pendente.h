// The deliveries that a plan left in the journal by an interrupted pass
// will finish: read from the plan's own steps, so that a dry run counts with
// them and a report says where each archive's data goes and which numbered
// names the plan has already drawn.
#pragma once

#include <string>
#include <vector>

#include "download/colocacao.h"
#include "journal/journal_file.h"

namespace torvex {

struct EntregaPendente {
  std::string arquivo;  // the received archive's name, as its record gives it
  std::string final;    // where its data file goes
  std::string destino;  // the FI expanded; a final path unlike it is a drawn numbered name
  ModoEntrega modo = ModoEntrega::Move;
  bool registrada = false;  // its record already stands in the control file
};

// In the plan's order; items the plan gave up are not among them (their
// archives went back to be decided afresh).
std::vector<EntregaPendente> entregasPendentes(const Plan& plano);

}  // namespace torvex
