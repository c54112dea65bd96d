// The files a tray tree keeps for itself, which no received archive may
// overwrite: the control file, the message counter, the lock and the journal,
// and anything in the incoming work area.
#pragma once

#include "conventions/conventions.h"

namespace torvex {

// R + "/DATA/TORVEX.LCK" and R + "/DATA/TORVEX.JNL"; false when they do not fit.
bool caminhoTrava(const char* raiz, char (&saida)[kTamanhoCaminho]);
bool caminhoDiario(const char* raiz, char (&saida)[kTamanhoCaminho]);

// True when `caminho` names, or would create, one of the tree's bookkeeping
// files. Judged by file identity, so other spellings, links and letter case
// are seen through.
bool isBookkeeping(const char* raiz, const char* caminho);

}  // namespace torvex
