#include "download/lote_entrega.h"

#include <algorithm>

#include "download/controle_download.h"
#include "journal/plan.h"
#include "journal/tray_session.h"
#include "platform/file.h"

namespace torvex {

uint64_t tamanhoAtual(const char* caminho) {
  File f(caminho, OpenMode::Read);
  int64_t n = f ? f.size() : 0;
  return n > 0 ? static_cast<uint64_t>(n) : 0;
}

LoteEntrega::LoteEntrega(const char* raiz, Journal& journal) : raiz_(raiz), journal_(journal) {}

bool LoteEntrega::colide(const char* caminho) const {
  return std::find(nomes_.begin(), nomes_.end(), dobraCaixa(caminho)) != nomes_.end();
}

bool LoteEntrega::cheio() const {
  return entregas_.size() >= batchLimits().files || bytes_ >= batchLimits().bytes;
}

void LoteEntrega::adiciona(Entrega e) {
  nomes_.push_back(dobraCaixa(e.colocacao.final));
  nomes_.push_back(dobraCaixa(e.dados));
  bytes_ += e.tamanho;
  entregas_.push_back(std::move(e));
}

bool LoteEntrega::executa() {
  if (entregas_.empty()) return true;
  char controle[kTamanhoCaminho];
  if (!caminhoControle(raiz_.c_str(), controle)) return false;

  // What extraction and numbering wrote must be on the medium before the
  // plan that relies on it.
  DurableSet extraidos;
  extraidos.file(raiz_ + "/DATA/SEQPOST.DAT");
  Plan plano;
  std::vector<Step>& p = plano.steps;
  for (long i = 0; i < static_cast<long>(entregas_.size()); ++i) {
    const Entrega& e = entregas_[static_cast<size_t>(i)];
    extraidos.file(e.dados);
    if (!e.descritor.empty()) extraidos.file(e.descritor);
    if (!e.arquivo.empty()) p.push_back(makeStep(Op::Reserve, i, e.arquivo, e.reservado));
    const Op coloca = e.colocacao.modo == ModoEntrega::Anexa       ? Op::Append
                      : e.colocacao.modo == ModoEntrega::Substitui ? Op::Replace
                                                                   : Op::Move;
    p.push_back(makeStep(coloca, i, e.dados, e.colocacao.final));
    p.back().n = static_cast<int64_t>(e.tamanhoAnterior);
    Step registro = makeStep(Op::Record, i, e.carimbo, e.nomeArquivo);
    registro.c = e.colocacao.final;
    registro.d = e.dados;
    registro.n = e.criacaoArquivo;
    p.push_back(std::move(registro));
    if (!e.arquivo.empty()) {
      // Given up: the archive goes back and is extracted afresh next time.
      for (Step s : {makeStep(Op::Unreserve, i, e.reservado, e.arquivo),
                     makeStep(Op::Delete, i, e.dados), makeStep(Op::Delete, i, e.descritor)}) {
        s.undo = true;
        p.push_back(std::move(s));
      }
    }
  }
  p.push_back(makeStep(Op::Barrier, -1, {}));
  p.back().n = 1;
  for (long i = 0; i < static_cast<long>(entregas_.size()); ++i) {
    const Entrega& e = entregas_[static_cast<size_t>(i)];
    if (e.colocacao.modo == ModoEntrega::Anexa) p.push_back(makeStep(Op::Delete, i, e.dados));
  }
  p.push_back(makeStep(Op::WriteRecords, -1, controle));
  p.back().n = static_cast<int64_t>(tamanhoAtual(controle));
  for (long i = 0; i < static_cast<long>(entregas_.size()); ++i) {
    const Entrega& e = entregas_[static_cast<size_t>(i)];
    if (!e.reservado.empty()) p.push_back(makeStep(Op::Delete, i, e.reservado));
    if (!e.descritor.empty()) p.push_back(makeStep(Op::Delete, i, e.descritor));
  }
  p.push_back(makeStep(Op::Barrier, -1, {}));

  entregas_.clear();
  nomes_.clear();
  bytes_ = 0;
  return extraidos.flush() && commitAndRun(journal_, plano);
}

}  // namespace torvex
