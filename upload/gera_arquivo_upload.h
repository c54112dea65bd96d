#pragma once

#include "com/com.h"

namespace torvex {

// Arguments converted to 8-bit text but not yet normalised; the null-argument
// results (-1) are decided by the caller.
LONG geraArquivoUpload(const char* raiz, const char* fi, const char* fiRename, LONG lIndice);

}  // namespace torvex
