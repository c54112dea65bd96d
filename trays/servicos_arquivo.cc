// The four thin file services: existence test, deletion, the listing of the
// upload archives one at a time, and the download control file's path.
#include <cstring>

#include "platform/file.h"
#include "trays/bandejas.h"

namespace torvex {

LONG existeArquivo(const char* nome) {
  constexpr LONG kExiste = 0, kAusente = 1;
  char n[kTamanhoCaminho];
  if (!copia(n, sizeof n, nome)) return kAusente;
  // A search for a name ending in "/" never matches: strip the separators so
  // that "C:/Dados/" asks for the directory itself.
  size_t tamanho = std::strlen(n);
  while (tamanho > 0 && n[tamanho - 1] == '/') n[--tamanho] = '\0';
  if (tamanho == 0) return kAusente;
  DirSearch busca(n);
  return busca.found() ? kExiste : kAusente;
}

LONG deletaArquivo(const char* nome) {
  constexpr LONG kExcluido = 0, kFalha = -1;
  if (std::strlen(nome) >= kTamanhoCaminho) return kFalha;
  return platform().deleteFile(nome) ? kExcluido : kFalha;
}

bool recuperaArquivoUpload(const char* raiz, LONG lIndice, char (&nome)[kTamanhoCaminho]) {
  nome[0] = '\0';
  char padrao[kTamanhoCaminho];
  if (!formata(padrao, sizeof padrao, "%s/Outtray/Work/f*_*.arj", raiz)) return false;
  // Indexes of 1 or less all mean the first archive; the order is the
  // search's own. A folder bearing an archive's name is none: a host given
  // its name could not send it.
  const LONG alvo = lIndice < 1 ? 1 : lIndice;
  LONG arquivos = 0;
  DirSearch busca(padrao);
  for (bool mais = busca.found(); mais; mais = busca.next()) {
    if (busca.entry().attributes & kAttrDirectory) continue;
    if (++arquivos == alvo) return copia(nome, sizeof nome, busca.entry().name.c_str());
  }
  return false;
}

bool recuperaControleDownload(const char* raiz, char (&caminho)[kTamanhoCaminho]) {
  if (!formata(caminho, sizeof caminho, "%s/Outtray/ContDown.dat", raiz)) return false;
  // A directory of that name is no control file for the host to read.
  if (fileExists(caminho)) return true;
  caminho[0] = '\0';
  return false;
}

}  // namespace torvex
