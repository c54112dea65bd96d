// The download control file "ContDown.dat" in the outgoing tray: one
// five-line record per delivered archive, CR LF line ends, append only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "conventions/conventions.h"
#include "platform/file.h"

namespace torvex {

// R + "/Outtray/ContDown.dat" into a 256-byte buffer; false when it does not fit.
bool caminhoControle(const char* raiz, char* saida);

// "#", the stamp, the archive's name, the final path and the time, each
// line ended by "\n" (stored as CR LF when written).
std::string montaRegistro(const char* carimbo, const char* nomeArquivo, const char* caminhoFinal,
                          const LocalTime& hora);

// The control file held open for one delivery. It is opened before the data
// file is placed, so a control file that cannot be opened stops a delivery
// before anything moves.
class ControleDownload {
 public:
  bool abre(const char* caminho);

  // Writes the record in one write and syncs it. On any failure the file is
  // cut back to its former size: a record is there whole or not at all.
  bool grava(std::string_view registro);

  // Takes back the record that `grava` just wrote, for a delivery that could
  // not be finished after it.
  bool retira();

  // For a delivery that did not happen: a control file that this opening
  // created is removed again, so an empty file never tells the host that
  // something was delivered.
  void abandona();

 private:
  File arquivo_;
  char caminho_[kTamanhoCaminho] = {};
  bool criado_ = false;
  uint64_t tamanhoAnterior_ = 0;
};

}  // namespace torvex
