#include "download/percurso_recebidos.h"

#include <vector>

#include "platform/file.h"

namespace torvex {
namespace {

constexpr size_t kTabelaColeta = 999;

}  // namespace

bool padraoRecebidos(const char* raiz, char (&padrao)[kTamanhoCaminho]) {
  return formata(padrao, sizeof padrao, "%s%s/D?????.ARJ", raiz, "/Intray/Work");
}

bool listaAntesDeProcessar() {
  uint32_t plataforma = 0, versao = 0;
  if (!platform().osVersion(plataforma, versao)) return true;
  if (plataforma == 1) return true;
  return plataforma == 2 && versao <= 4;
}

bool percorreRecebidos(const char* padrao, bool coleta,
                       const std::function<void(const DirEntry&)>& trata,
                       const std::function<void(const DirEntry&)>& adia,
                       const std::function<bool(const DirEntry&)>& ignora) {
  DirSearch busca(padrao);
  if (!busca.found()) return false;
  if (!coleta) {
    do {
      if (!ignora || !ignora(busca.entry())) trata(busca.entry());
    } while (busca.next());
    return true;
  }
  std::vector<DirEntry> tabela;
  tabela.reserve(kTabelaColeta);
  do {
    if (ignora && ignora(busca.entry())) continue;
    if (tabela.size() < kTabelaColeta) {
      tabela.push_back(busca.entry());
    } else if (adia) {
      adia(busca.entry());
    }
  } while (busca.next());
  busca.close();
  while (!tabela.empty()) {
    trata(tabela.back());
    tabela.pop_back();
  }
  return true;
}

}  // namespace torvex
