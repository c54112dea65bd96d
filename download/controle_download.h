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

// The control file held open while a batch's records are written.
class ControleDownload {
 public:
  bool abre(const char* caminho);

  // For records written again after a crash: what stands past `tamanho`
  // (the file's length when the batch was planned) is cut off first.
  bool retomaEm(uint64_t tamanho);

  // Writes the record in one write and syncs it. On any failure the file is
  // cut back to its former size: a record is there whole or not at all.
  bool grava(std::string_view registro);

  // Takes back what `grava` just wrote.
  bool retira();

  // For records that could not be written: a control file that this opening
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
