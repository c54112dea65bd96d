// The seven methods of IControlador as the interface table calls them:
// wide-string arguments in, a long or a BSTR (owned by the caller) out.
// Argument conversion, normalizaPath and the result strings happen here; the
// bodies live in trays/, upload/ and download/ and work on 8-bit text.
#pragma once

#include "com/com.h"

namespace torvex {

struct Controlador {
  static LONG criaInfraEstrutura(BSTR bstrPathRaiz);
  static BSTR recuperaArquivoUpload(BSTR bstrPathRaiz, LONG lIndice);
  static LONG existeArquivo(BSTR bstrNomeArquivo);
  static LONG deletaArquivo(BSTR bstrNomeArquivo);
  static LONG geraArquivoUpload(BSTR bstrPathRaiz, BSTR bstrFI, BSTR bstrFIRename, LONG lIndice);
  static BSTR recuperaControleDownload(BSTR bstrPathRaiz);
  static LONG disponibilizaArquivos(BSTR bstrPathRaiz);
};

}  // namespace torvex
