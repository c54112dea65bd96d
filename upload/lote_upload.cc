#include "upload/lote_upload.h"

#include <algorithm>

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
  DurableSet feitos;
  Plan plano;
  std::vector<Step>& p = plano.steps;
  for (long i = 0; i < static_cast<long>(itens_.size()); ++i) {
    const PacoteUpload& k = itens_[static_cast<size_t>(i)].pacote;
    feitos.file(k.arquivoTemporario);
    feitos.file(k.controleTemporario);
    // An older archive of the same name goes before the new record arrives,
    // so no archive ever stands beside a record that describes another file;
    // the record is published before its archive.
    p.push_back(makeStep(Op::DropOld, i, k.arquivoTemporario, k.arquivo));
    p.push_back(makeStep(Op::Publish, i, k.controleTemporario, k.controle));
    p.push_back(makeStep(Op::Publish, i, k.arquivoTemporario, k.arquivo));
    for (const char* resto : {k.controleTemporario, k.arquivoTemporario, k.controle}) {
      p.push_back(makeStep(Op::Delete, i, resto));
      p.back().undo = true;
    }
  }
  p.push_back(makeStep(Op::Barrier, -1, {}));
  for (long i = 0; i < static_cast<long>(itens_.size()); ++i) {
    const Empacotado& e = itens_[static_cast<size_t>(i)];
    p.push_back(makeStep(Op::Retire, i, e.pacote.origem, e.destino));
    p.back().n = static_cast<int64_t>(e.tamanho);
    p.back().m = e.ultimaGravacao;
  }
  p.push_back(makeStep(Op::Barrier, -1, {}));
  itens_.clear();
  nomes_.clear();
  bytes_ = 0;
  return feitos.flush() && commitAndRun(journal_, plano);
}

}  // namespace torvex
