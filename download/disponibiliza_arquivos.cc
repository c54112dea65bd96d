#include "download/disponibiliza_arquivos.h"

#include <vector>

#include "conventions/conventions.h"
#include "download/controle_download.h"
#include "download/processa_recebido.h"
#include "platform/file.h"

namespace torvex {
namespace {

// Older systems cannot be trusted to list a directory while it changes, so
// there the listing is collected first and then processed.
constexpr size_t kTabelaColeta = 999;

bool listaAntesDeProcessar() {
  uint32_t plataforma = 0, versao = 0;
  if (!platform().osVersion(plataforma, versao)) return true;
  if (plataforma == 1) return true;
  return plataforma == 2 && versao <= 4;
}

void processaDireto(const char* raiz, DirSearch& busca) {
  do {
    processaRecebido(raiz, busca.entry());
  } while (busca.next());
}

// Keeps the first 999 entries listed (later ones wait for a later pass) and
// processes them from the last kept back to the first.
void processaColetados(const char* raiz, DirSearch& busca) {
  std::vector<DirEntry> tabela;
  tabela.reserve(kTabelaColeta);
  do {
    if (tabela.size() < kTabelaColeta) tabela.push_back(busca.entry());
  } while (busca.next());
  busca.close();
  while (!tabela.empty()) {
    processaRecebido(raiz, tabela.back());
    tabela.pop_back();
  }
}

}  // namespace

LONG disponibilizaArquivos(const char* raizRecebida) {
  char raiz[kTamanhoCaminho];
  if (!copia(raiz, sizeof raiz, raizRecebida)) return 1;
  normalizaPath(raiz);
  char padrao[kTamanhoCaminho];
  char controle[kTamanhoCaminho];
  if (!formata(padrao, sizeof padrao, "%s%s/D?????.ARJ", raiz, "/Intray/Work") ||
      !caminhoControle(raiz, controle)) {
    return 1;
  }
  bool coleta = listaAntesDeProcessar();
  {
    DirSearch busca(padrao);
    if (!busca.found()) return 1;
    if (coleta) {
      processaColetados(raiz, busca);
    } else {
      processaDireto(raiz, busca);
    }
  }
  return DirSearch(controle).found() ? 0 : 1;
}

}  // namespace torvex
