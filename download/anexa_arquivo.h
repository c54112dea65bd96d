// Appending a received data file to an existing destination.
#pragma once

#include <cstdint>

namespace torvex {

enum : int {
  kAnexoFeito = 0,
  kAnexoNaoAbriu = 1,  // source or target could not be opened, or they are one file
  kAnexoFalhou = 2,    // a read, write or sync failed part-way
};

// Copies the bytes of `origem` to the end of `destino` in 512-byte blocks,
// without text translation; the copy stops at the first block shorter than
// 512 bytes. On kAnexoFalhou the target is cut back to its former size, so a
// failed append leaves it as it was. `tamanhoAnterior` receives that former
// size, for a caller that must undo a finished append later.
int anexaArquivo(const char* origem, const char* destino, uint64_t& tamanhoAnterior);

// Cuts `destino` back to `tamanho` bytes. False when that cannot be done.
bool desfazAnexo(const char* destino, uint64_t tamanho);

}  // namespace torvex
