// The interface table of IControlador as hosts call it early-bound: IDispatch's
// seven slots, then the seven methods in the order of the interface table,
// each returning its result directly.
#pragma once

#include "com/com.h"

namespace torvex {

struct IControlador : IDispatch {
  virtual LONG STDMETHODCALLTYPE criaInfraEstrutura(BSTR bstrPathRaiz) = 0;
  virtual BSTR STDMETHODCALLTYPE recuperaArquivoUpload(BSTR bstrPathRaiz, LONG lIndice) = 0;
  virtual LONG STDMETHODCALLTYPE existeArquivo(BSTR bstrNomeArquivo) = 0;
  virtual LONG STDMETHODCALLTYPE deletaArquivo(BSTR bstrNomeArquivo) = 0;
  virtual LONG STDMETHODCALLTYPE geraArquivoUpload(BSTR bstrPathRaiz, BSTR bstrFI,
                                                   BSTR bstrFIRename, LONG lIndice) = 0;
  virtual BSTR STDMETHODCALLTYPE recuperaControleDownload(BSTR bstrPathRaiz) = 0;
  virtual LONG STDMETHODCALLTYPE disponibilizaArquivos(BSTR bstrPathRaiz) = 0;
};

}  // namespace torvex
