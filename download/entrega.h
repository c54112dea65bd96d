// One delivery: the data file put at its final place and its record written
// to the control file, as one step that either happens whole or is undone.
#pragma once

#include <cstdint>

#include "download/colocacao.h"
#include "download/controle_download.h"

namespace torvex {

struct DadosRegistro {
  const char* carimbo;
  const char* nomeArquivo;    // the archive's name as listed
  int64_t criacaoArquivo;     // the archive's creation time, seconds since 1970
};

// Places `origem` as `colocacao` says and appends its record to `controle`.
// When either fails the other is taken back (the record cut off, the append
// cut off, the rename never made), so the caller may keep the archive for a
// later pass without delivering twice.
bool entrega(const char* origem, const Colocacao& colocacao, ControleDownload& controle,
             const DadosRegistro& dados);

}  // namespace torvex
