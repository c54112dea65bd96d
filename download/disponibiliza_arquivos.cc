#include "download/disponibiliza_arquivos.h"

#include <cstring>
#include <vector>

#include "component/conventions.h"
#include "download/controle_download.h"
#include "download/lote_entrega.h"
#include "download/processa_recebido.h"
#include "journal/tray_session.h"
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

// One pass: each archive decided in turn and added to the batch, which runs
// when it is full, before a delivery that concerns one of its files, and at
// the end.
class Passagem {
 public:
  Passagem(const char* raiz, Journal& journal) : raiz_(raiz), lote_(raiz, journal) {}

  // False once a batch could not be finished: the pass stops there.
  bool processa(const DirEntry& arquivo) {
    Recebido r;
    // Names differing only in letter case extract to the same members: a
    // delivery still waiting in the batch must not see its data file replaced.
    if (r.c.monta(raiz_, arquivo.name.c_str()) && lote_.colide(r.c.dados) && !lote_.executa()) {
      return false;
    }
    if (extraiRecebido(raiz_, arquivo, r) != Situacao::Pronto) return true;
    if (avaliaDestino(raiz_, r) != Situacao::Pronto) {
      descartaMembros(r);
      return true;
    }
    if (lote_.colide(r.destino) && !lote_.executa()) return false;
    Entrega e;
    Situacao s = planejaEntrega(raiz_, arquivo, r, e);
    if (s == Situacao::Pronto && lote_.colide(e.colocacao.final)) {
      if (!lote_.executa()) return false;
      s = planejaEntrega(raiz_, arquivo, r, e);
    }
    if (s != Situacao::Pronto) {
      descartaMembros(r);
      return true;
    }
    lote_.adiciona(std::move(e));
    return !lote_.cheio() || lote_.executa();
  }

  void termina() { lote_.executa(); }

 private:
  const char* raiz_;
  LoteEntrega lote_;
};

void processaDireto(Passagem& passagem, DirSearch& busca) {
  do {
    if (!passagem.processa(busca.entry())) return;
  } while (busca.next());
  passagem.termina();
}

// Keeps the first 999 entries listed (later ones wait for a later pass) and
// processes them from the last kept back to the first.
void processaColetados(Passagem& passagem, DirSearch& busca) {
  std::vector<DirEntry> tabela;
  tabela.reserve(kTabelaColeta);
  do {
    if (tabela.size() < kTabelaColeta) tabela.push_back(busca.entry());
  } while (busca.next());
  busca.close();
  for (; !tabela.empty(); tabela.pop_back()) {
    if (!passagem.processa(tabela.back())) return;
  }
  passagem.termina();
}

// A control file that cannot be opened stops every delivery before anything
// moves. One not there yet is not made here: an empty control file would
// tell the host that something was delivered.
bool controlePodeAbrir(const char* controle) {
  if (pathExists(controle)) return static_cast<bool>(File(controle, OpenMode::Append));
  char diretorio[kTamanhoCaminho];
  if (!copia(diretorio, sizeof diretorio, controle)) return false;
  *std::strrchr(diretorio, '/') = '\0';  // the control file's path always holds one
  return pathExists(diretorio);
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
  TraySession sessao(raiz);
  if (!sessao.ready()) return DirSearch(controle).found() ? 0 : 1;
  bool coleta = listaAntesDeProcessar();
  {
    DirSearch busca(padrao);
    if (!busca.found()) return 1;
    if (controlePodeAbrir(controle)) {
      Passagem passagem(raiz, sessao.journal());
      if (coleta) {
        processaColetados(passagem, busca);
      } else {
        processaDireto(passagem, busca);
      }
    }
  }
  return DirSearch(controle).found() ? 0 : 1;
}

}  // namespace torvex
