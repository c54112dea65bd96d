#include "download/disponibiliza_arquivos.h"

#include "conventions/conventions.h"
#include "download/controle_download.h"
#include "download/lote_entrega.h"
#include "download/percurso_recebidos.h"
#include "download/processa_recebido.h"
#include "journal/tray_session.h"
#include "platform/file.h"

namespace torvex {

LONG disponibilizaArquivos(const char* raizRecebida) {
  char raiz[kTamanhoCaminho];
  if (!copia(raiz, sizeof raiz, raizRecebida)) return 1;
  normalizaPath(raiz);
  char padrao[kTamanhoCaminho];
  char controle[kTamanhoCaminho];
  if (!padraoRecebidos(raiz, padrao) || !caminhoControle(raiz, controle)) return 1;
  // Whatever an interrupted call left is finished before anything else; a
  // call that cannot do that does nothing and says so.
  TraySession sessao(raiz);
  // A tree that cannot be changed (DATA cannot be made, a read-only medium)
  // gives the failure value, which is also what an empty work area gives.
  if (!sessao.ready()) return 1;
  // Deliveries finished for an interrupted call are this call's deliveries.
  const bool recuperou = sessao.recovered().recorded > 0;
  // Archives are decided one by one into batches; a batch that cannot be
  // finished stops the pass, and the journal keeps it for the next call.
  LoteEntrega lote(raiz, sessao.journal());
  const BandejasRecebimento bandejas = BandejasRecebimento::comoNoDisco(raiz);
  BookkeepingFiles proprios(raiz);
  bool segue = true;
  const bool encontrou = percorreRecebidos(
      padrao, listaAntesDeProcessar(),
      [&](const DirEntry& arquivo) {
        segue = segue && processaRecebido(raiz, bandejas, proprios, arquivo, lote);
      },
      {});
  if (!encontrou && !recuperou) return 1;
  if (segue) lote.executa();
  // A directory of that name is no control file for the host to read.
  return fileExists(controle) ? 0 : 1;
}

}  // namespace torvex
