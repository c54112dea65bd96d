// The FI expander: turns an FI expression into a concrete path.
#pragma once

#include <cstdint>

namespace torvex {

// `saida` is a caller's 256-byte buffer; `raiz` is already normalised;
// `carimboP` is the stamp or null. Always returns 0.
int32_t trataMacroFI(char* saida, const char* fi, const char* raiz, const char* carimboP);

// Why an expansion came out empty.
enum class FalhaExpansao {
  Nenhuma,        // a name (possibly empty, when the FI is)
  MacroSemValor,  // a macro has no sound value: a date field the stamp lacks
  Longa,          // the name, or a macro's value, would pass its buffer
};

// trataMacroFI, telling why the output is empty when it failed.
FalhaExpansao expandeFI(char* saida, const char* fi, const char* raiz, const char* carimboP);

}  // namespace torvex
