// The download control file "ContDown.dat" in the outgoing tray: one
// five-line record per delivered archive, CR LF line ends, append only.
// A batch's records are written by a step of its plan (journal/plan.h).
#pragma once

#include <string>

#include "conventions/conventions.h"

namespace torvex {

// R + "/Outtray/ContDown.dat" into a 256-byte buffer; false when it does not fit.
bool caminhoControle(const char* raiz, char* saida);

// "#", the stamp, the archive's name, the final path and the time, each
// line ended by "\n" (stored as CR LF when written).
std::string montaRegistro(const char* carimbo, const char* nomeArquivo, const char* caminhoFinal,
                          const LocalTime& hora);

}  // namespace torvex
