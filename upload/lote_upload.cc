#include "upload/lote_upload.h"

#include "journal/durable_set.h"
#include "upload/nomes_upload.h"
#include "journal/plan.h"
#include "journal/tray_session.h"

namespace torvex {
namespace {

Step passo(Op op, long item, const char* a, const char* b = "") {
  Step s;
  s.op = op;
  s.item = item;
  s.a = a;
  s.b = b;
  return s;
}

}  // namespace

void LoteUpload::adiciona(const Empacotado& e) {
  itens_.push_back(e);
  bytes_ += e.tamanho;
}

bool LoteUpload::cheio() const {
  return itens_.size() >= batchLimits().files || bytes_ >= batchLimits().bytes;
}

bool LoteUpload::colide(const char* caminho) const {
  const std::string alvo = dobraCaixa(caminho);
  for (const Empacotado& e : itens_) {
    if ((e.destino[0] != '\0' && dobraCaixa(e.destino) == alvo) ||
        dobraCaixa(e.pacote.arquivo) == alvo) {
      return true;
    }
  }
  return false;
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
    p.push_back(passo(Op::DropOld, i, k.arquivoTemporario, k.arquivo));
    p.push_back(passo(Op::Publish, i, k.controleTemporario, k.controle));
    p.push_back(passo(Op::Publish, i, k.arquivoTemporario, k.arquivo));
    for (const char* resto : {k.controleTemporario, k.arquivoTemporario, k.controle}) {
      p.push_back(passo(Op::Delete, i, resto));
      p.back().undo = true;
    }
  }
  p.push_back(passo(Op::Barrier, -1, ""));
  for (long i = 0; i < static_cast<long>(itens_.size()); ++i) {
    const Empacotado& e = itens_[static_cast<size_t>(i)];
    p.push_back(passo(Op::Retire, i, e.pacote.origem, e.destino));
    p.back().n = static_cast<int64_t>(e.tamanho);
    p.back().m = e.ultimaGravacao;
  }
  p.push_back(passo(Op::Barrier, -1, ""));
  itens_.clear();
  bytes_ = 0;
  return feitos.flush() && commitAndRun(journal_, plano);
}

}  // namespace torvex
