// The FI expander: turns an FI expression into a concrete path.
#pragma once

#include <cstdint>

namespace torvex {

// `saida` is a caller's 256-byte buffer; `raiz` is already normalised;
// `carimboP` is the stamp or null. Always returns 0.
int32_t trataMacroFI(char* saida, const char* fi, const char* raiz, const char* carimboP);

}  // namespace torvex
