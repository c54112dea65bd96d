#include "upload/lote_upload.h"

#include <algorithm>

#include "journal/digest.h"
#include "journal/durable_set.h"
#include "journal/plan.h"
#include "journal/tray_session.h"

namespace torvex {
void LoteUpload::adiciona(const Empacotado& e) {
  itens_.push_back(e);
  if (e.destino[0] != '\0') nomes_.push_back(dobraCaixa(e.destino));
  nomes_.push_back(dobraCaixa(e.pacote.arquivo));
  bytes_ += e.tamanho;
}

bool LoteUpload::cheio() const {
  return itens_.size() >= batchLimits().files || bytes_ >= batchLimits().bytes;
}

bool LoteUpload::colide(const char* caminho) const {
  return std::find(nomes_.begin(), nomes_.end(), dobraCaixa(caminho)) != nomes_.end();
}

bool LoteUpload::executa() {
  if (itens_.empty()) return true;
  const std::vector<Empacotado> itens = std::move(itens_);
  itens_.clear();
  nomes_.clear();
  bytes_ = 0;
  DurableSet feitos;
  Plan plano;
  std::vector<Step>& p = plano.steps;
  std::vector<long> publicados;
  for (long i = 0; i < static_cast<long>(itens.size()); ++i) {
    const PacoteUpload& k = itens[static_cast<size_t>(i)].pacote;
    // A pair whose bytes cannot be stated is not published: its source waits.
    Digest arquivo, controle;
    if (!digestOf(k.arquivoTemporario, arquivo) || !digestOf(k.controleTemporario, controle)) {
      continue;
    }
    publicados.push_back(i);
    feitos.file(k.arquivoTemporario);
    feitos.file(k.controleTemporario);
    // Nothing of an older pair of the same name is touched unless both new
    // files are still there to take its place. An older archive goes before
    // the new record arrives, so no archive ever stands beside a record that
    // describes another file; the record is published before its archive.
    p.push_back(withDigest(makeStep(Op::Require, i, k.arquivoTemporario, k.arquivo), arquivo));
    p.push_back(withDigest(makeStep(Op::Require, i, k.controleTemporario, k.controle), controle));
    p.push_back(withDigest(makeStep(Op::DropOld, i, k.arquivoTemporario, k.arquivo), arquivo));
    p.push_back(withDigest(makeStep(Op::Rename, i, k.controleTemporario, k.controle), controle));
    p.back().replace = true;
    p.push_back(withDigest(makeStep(Op::Rename, i, k.arquivoTemporario, k.arquivo), arquivo));
    p.back().replace = true;
    Step sobra = asUndo(makeStep(Op::Delete, i, k.controleTemporario));
    sobra.n = -1;  // the private folder holds nothing of anyone else
    p.push_back(sobra);
    sobra.a = k.arquivoTemporario;
    p.push_back(sobra);
    // A record like ours beside an archive is that archive's (an older pair
    // of the same source and time): it stays.
    p.push_back(asUndo(withDigest(makeStep(Op::Delete, i, k.controle), controle)));
    p.back().c = k.arquivo;
  }
  if (p.empty()) return true;
  p.push_back(makeStep(Op::Barrier, -1, {}));
  for (long i : publicados) {
    const Empacotado& e = itens[static_cast<size_t>(i)];
    p.push_back(makeStep(Op::Retire, i, e.pacote.origem, e.destino));
    p.back().n = static_cast<int64_t>(e.tamanho);
    p.back().m = e.ultimaGravacao;
    p.back().c = e.pacote.arquivo;
    p.back().d = e.pacote.controle;
  }
  p.push_back(makeStep(Op::Barrier, -1, {}));
  return feitos.flush() && commitAndRun(journal_, plano);
}

}  // namespace torvex
