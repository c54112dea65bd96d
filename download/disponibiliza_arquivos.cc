#include "download/disponibiliza_arquivos.h"

#include "component/conventions.h"
#include "download/controle_download.h"
#include "download/percurso_recebidos.h"
#include "download/processa_recebido.h"
#include "platform/file.h"

namespace torvex {

LONG disponibilizaArquivos(const char* raizRecebida) {
  char raiz[kTamanhoCaminho];
  if (!copia(raiz, sizeof raiz, raizRecebida)) return 1;
  normalizaPath(raiz);
  char padrao[kTamanhoCaminho];
  char controle[kTamanhoCaminho];
  if (!padraoRecebidos(raiz, padrao) || !caminhoControle(raiz, controle)) return 1;
  const bool encontrou = percorreRecebidos(
      padrao, listaAntesDeProcessar(),
      [raiz](const DirEntry& arquivo) { processaRecebido(raiz, arquivo); }, {});
  if (!encontrou) return 1;
  return DirSearch(controle).found() ? 0 : 1;
}

}  // namespace torvex
