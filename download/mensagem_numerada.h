// Numbered message files ("M00001.QVX" ...) and the counter that names them,
// "SEQPOST.DAT" in the data directory of the tray tree.
#pragma once

#include <cstdint>

namespace torvex {

constexpr int32_t kUltimaMensagem = 99999;

// Draws the next message number for the tray tree at `raiz`: the counter
// file's last number plus one, 1 after 99999 and when the file is missing,
// shorter than four bytes or out of range. The new number is stored back
// (four bytes, little-endian) and returned even when it cannot be stored.
// 0 only when the counter file's path does not fit.
int32_t proximaSequencia(const char* raiz);

// Finds a free numbered path beside `destino` (in its directory; under "/"
// when it has none) and writes it to `saida`, a 256-byte buffer. Every try
// draws a number. False when all 99,999 names are taken or a path does not
// fit.
bool geraNomeMensagem(const char* destino, const char* raiz, char* saida);

}  // namespace torvex
