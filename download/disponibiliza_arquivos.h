#pragma once

#include "com/com.h"

namespace torvex {

// The root converted to 8-bit text but not yet normalised.
LONG disponibilizaArquivos(const char* raiz);

}  // namespace torvex
