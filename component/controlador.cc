// The seven methods as the interface table calls them: each converts its
// arguments, hands 8-bit text to the body in trays/, upload/ or download/, and
// turns the body's answer into the method's result. An argument too long for
// the 256-byte buffers gives the method's failure value, never a cut path.
#include "component/controlador.h"

#include "conventions/arguments.h"
#include "download/disponibiliza_arquivos.h"
#include "journal/tray_session.h"
#include "trays/bandejas.h"
#include "upload/gera_arquivo_upload.h"

namespace torvex {

namespace {

// Status values for arguments that do not fit the buffers.
constexpr LONG kFalhaCriacao = 1;
constexpr LONG kArquivoAusente = 1;
constexpr LONG kFalhaExclusao = -1;
// -1 already means "argument refused, nothing done"; 0 would read as a
// completed run with nothing left to send.
constexpr LONG kUploadRecusado = -1;
constexpr LONG kSemControleDownload = 1;

}  // namespace

LONG Controlador::criaInfraEstrutura(BSTR bstrPathRaiz) {
  Argumento raiz(bstrPathRaiz);
  if (!raiz.valido()) return kFalhaCriacao;
  return torvex::criaInfraEstrutura(raiz.normalizado().texto());
}

BSTR Controlador::recuperaArquivoUpload(BSTR bstrPathRaiz, LONG lIndice) {
  Argumento raiz(bstrPathRaiz);
  if (!raiz.valido()) return nullptr;
  char nome[kTamanhoCaminho];
  // What a crashed call left is finished before the listing is read, and no
  // call changes the trays while it is; a tree without its lock (no DATA)
  // is listed as it stands, and a listing makes no file of its own.
  TraySession sessao(raiz.normalizado().texto(), TrayAccess::List);
  if (!torvex::recuperaArquivoUpload(raiz.normalizado().texto(), lIndice, nome)) return nullptr;
  return resultadoAnsi(nome);
}

LONG Controlador::existeArquivo(BSTR bstrNomeArquivo) {
  Argumento nome(bstrNomeArquivo);
  if (!nome.valido()) return kArquivoAusente;
  return torvex::existeArquivo(nome.normalizado().texto());
}

LONG Controlador::deletaArquivo(BSTR bstrNomeArquivo) {
  Argumento nome(bstrNomeArquivo);
  if (!nome.valido()) return kFalhaExclusao;
  return torvex::deletaArquivo(nome.normalizado().texto());
}

LONG Controlador::geraArquivoUpload(BSTR bstrPathRaiz, BSTR bstrFI, BSTR bstrFIRename,
                                    LONG lIndice) {
  if (bstrFI == nullptr || bstrPathRaiz == nullptr) return -1;
  Argumento raiz(bstrPathRaiz);
  Argumento fi(bstrFI);
  Argumento fiRename(bstrFIRename);
  if (!raiz.valido() || !fi.valido() || !fiRename.valido()) return kUploadRecusado;
  return torvex::geraArquivoUpload(raiz.texto(), fi.texto(), fiRename.texto(), lIndice);
}

BSTR Controlador::recuperaControleDownload(BSTR bstrPathRaiz) {
  Argumento raiz(bstrPathRaiz);
  if (!raiz.valido()) return nullptr;
  char caminho[kTamanhoCaminho];
  // The records of a crashed call's deliveries are written before the host
  // is pointed at the control file.
  TraySession sessao(raiz.normalizado().texto(), TrayAccess::List);
  if (!torvex::recuperaControleDownload(raiz.normalizado().texto(), caminho)) return nullptr;
  return resultadoAnsi(caminho);
}

LONG Controlador::disponibilizaArquivos(BSTR bstrPathRaiz) {
  Argumento raiz(bstrPathRaiz);
  if (!raiz.valido()) return kSemControleDownload;
  return torvex::disponibilizaArquivos(raiz.texto());
}

}  // namespace torvex
