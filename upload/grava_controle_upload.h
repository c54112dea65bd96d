// The upload control record: two lines, the source path and its local
// last-write time, each ending in CR LF.
#pragma once

#include "conventions/conventions.h"

namespace torvex {

// Writes the record to `caminho` in one write; the batch that publishes it
// makes it durable. 0, or 1 when it cannot be written whole (nothing is left at `caminho` then).
int gravaControleUpload(const char* caminho, const char* origem, const char* dataHora);

// Reads both lines of the record at `caminho` into path-sized buffers, line
// ends dropped. False when it cannot be opened or holds no first line.
bool leControleUpload(const char* caminho, char (&origem)[kTamanhoCaminho],
                      char (&dataHora)[kTamanhoCaminho]);

}  // namespace torvex
