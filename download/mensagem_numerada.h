// Numbered message files ("M00001.QVX" ...) and the counter that names them,
// "SEQPOST.DAT" in the data directory of the tray tree.
#pragma once

#include <cstdint>

#include "component/conventions.h"
#include "platform/file.h"

namespace torvex {

constexpr int32_t kUltimaMensagem = 99999;

// Draws the next message number for the tray tree at `raiz`: the counter
// file's last number plus one, 1 after 99999 and when the file is missing,
// shorter than four bytes or out of range. The new number is stored back
// (four bytes, little-endian) and returned even when it cannot be stored.
// 0 only when the counter file's path does not fit.
int32_t proximaSequencia(const char* raiz);

// The counter file's path for the tray tree at `raiz`; false when it does not fit.
bool caminhoContador(const char* raiz, char (&caminho)[kTamanhoCaminho]);
// The last number the counter file holds; false when it is missing or
// shorter than four bytes (the next number is then 1).
bool leContador(const char* caminho, int32_t& ultimo);
// The number drawn after `ultimo`: 1 after 99999 and for a value out of range.
int32_t sucessorSequencia(int32_t ultimo);

// Where numbered names get their numbers and their existence answers: a pass
// draws from the counter file and asks the file system; a dry run counts in
// memory and also sees the files that its earlier archives would have made.
class Numeracao {
 public:
  virtual ~Numeracao() = default;
  virtual int32_t proxima(const char* raiz) { return proximaSequencia(raiz); }
  virtual bool existe(const char* caminho) { return pathExists(caminho); }
};
// The pass's numbering: the counter file and the file system themselves.
Numeracao& numeracaoDoDisco();

// Finds a free numbered path beside `destino` (in its directory; under "/"
// when it has none) and writes it to `saida`, a 256-byte buffer. Every try
// draws a number. False when all 99,999 names are taken or a path does not
// fit.
bool geraNomeMensagem(const char* destino, const char* raiz, char* saida,
                      Numeracao& numeracao = numeracaoDoDisco());

}  // namespace torvex
