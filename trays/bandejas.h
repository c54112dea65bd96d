// The tray tree and the file services, on converted and normalised 8-bit text.
#pragma once

#include "conventions/conventions.h"
#include "com/com.h"

namespace torvex {

LONG criaInfraEstrutura(const char* raiz);
LONG existeArquivo(const char* nome);
LONG deletaArquivo(const char* nome);
// The lIndice-th upload archive's bare name; false when there is none.
bool recuperaArquivoUpload(const char* raiz, LONG lIndice, char (&nome)[kTamanhoCaminho]);
// The control file's path as built from the root; false when it is absent.
bool recuperaControleDownload(const char* raiz, char (&caminho)[kTamanhoCaminho]);

}  // namespace torvex
