#include "download/lote_entrega.h"

#include <algorithm>

#include "download/controle_download.h"
#include "journal/bookkeeping.h"
#include "journal/file_steps.h"
#include "journal/plan.h"
#include "journal/tray_session.h"
#include "platform/file.h"
#include "platform/text_file.h"

namespace torvex {
namespace {

std::string registro(const Entrega& e, int64_t quando) {
  return textBytes(montaRegistro(e.carimbo.c_str(), e.nomeArquivo.c_str(), e.colocacao.final,
                                 platform().toLocalTime(quando)));
}

// The control file's second name for the batch's Write step. Made now when
// the file stands (the plan's first sync makes it durable); the write makes
// it for a file it creates. Empty when it cannot be had (a name there that
// will not go, a volume without second names): a run again then cannot tell
// what the host took and writes those records again rather than lose one.
std::string segundoNome(const char* raiz, const char* controle, bool existe, DurableSet& duraveis) {
  char privado[kTamanhoCaminho], nome[kTamanhoCaminho];
  if (!caminhoPrivado(raiz, privado) || !caminhoSegundoNome(raiz, nome)) return {};
  if (platform().createDirectory(privado)) duraveis.arrival(privado);
  platform().deleteFile(nome);  // an earlier batch's: ours
  if (pathExists(nome) || (existe && !platform().linkFile(controle, nome))) return {};
  duraveis.arrival(nome);
  return nome;
}

}  // namespace

std::optional<uint64_t> tamanhoAtual(const char* caminho, bool& legivel) {
  legivel = true;
  File f(caminho, OpenMode::Read);
  const int64_t n = f ? f.size() : -1;
  if (n >= 0) return static_cast<uint64_t>(n);
  legivel = !pathExists(caminho);
  return std::nullopt;
}

LoteEntrega::LoteEntrega(const char* raiz, Journal& journal) : raiz_(raiz), journal_(journal) {
  guardaControle();
}

void LoteEntrega::guardaControle() {
  char controle[kTamanhoCaminho];
  if (!guarda_ && caminhoControle(raiz_.c_str(), controle) && pathExists(controle)) {
    guarda_ = File(controle, OpenMode::Read);
    escrita_ = File(controle, OpenMode::ReadWrite);
  }
}

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
  const std::vector<Entrega> entregas = std::move(entregas_);
  entregas_.clear();
  nomes_.clear();
  bytes_ = 0;
  char controle[kTamanhoCaminho];
  if (!caminhoControle(raiz_.c_str(), controle)) return false;
  // Where the records go is stated, or nothing is planned.
  bool legivel = false;
  const std::optional<uint64_t> tamanhoControle = tamanhoAtual(controle, legivel);
  if (!legivel) return false;
  // Nor is anything placed whose record could not be written: a host that
  // holds the control file sharing only reading (Windows then refuses every
  // writer) would get deliveries without records. Held for writing from
  // here on, no such hold can begin before the records are in.
  guardaControle();
  if (tamanhoControle && !escrita_) return false;

  // What extraction and numbering wrote must be on the medium before the
  // plan that relies on it. The descriptors need not be: once the plan holds
  // each record nothing reads them, and the archive of a delivery given up
  // is extracted afresh. (Where each file is flushed by itself, as on
  // Windows, that is one flush a delivery instead of two.)
  DurableSet extraidos;
  extraidos.file(raiz_ + "/DATA/SEQPOST.DAT");
  const std::string segundo = segundoNome(raiz_.c_str(), controle, tamanhoControle.has_value(), extraidos);
  Plan plano;
  std::vector<Step>& p = plano.steps;
  for (long i = 0; i < static_cast<long>(entregas.size()); ++i) {
    const Entrega& e = entregas[static_cast<size_t>(i)];
    extraidos.file(e.dados);
    if (!e.arquivo.empty()) {
      p.push_back(withDigest(makeStep(Op::Rename, i, e.arquivo, e.reservado), e.digestoArquivo));
      p.back().replace = true;  // over a reserved name a failed delete left
      // An archive taken away by someone does not undo a delivery whose data
      // file is extracted, or already placed.
      p.back().ifPresent = true;
    }
    const bool anexa = e.colocacao.modo == ModoEntrega::Anexa;
    const Op coloca = anexa ? Op::Append : e.copia.empty() ? Op::Rename : Op::Copy;
    p.push_back(withDigest(makeStep(coloca, i, e.dados, e.colocacao.final), e.digestoDados));
    p.back().replace = e.colocacao.modo == ModoEntrega::Substitui;
    p.back().c = e.copia;
    p.back().d = e.destino;  // for a report of what the plan will finish
    if (anexa) p.back().m = static_cast<int64_t>(e.tamanhoAnterior);
    // The record; when the data file is still there (its delete after an
    // append failed) it bears that file's time instead of the archive's.
    Step fragmento = makeStep(Op::Fragment, i, registro(e, e.criacaoArquivo),
                              anexa ? registro(e, e.gravacaoDados) : std::string());
    fragmento.c = e.dados;
    p.push_back(std::move(fragmento));
    // Given up: appended bytes of ours taken back, the archive back under its
    // name to be extracted afresh, the members away.
    if (anexa) {
      Step corte = asUndo(withDigest(makeStep(Op::CutBack, i, e.dados, e.colocacao.final), e.digestoDados));
      corte.m = static_cast<int64_t>(e.tamanhoAnterior);
      p.push_back(std::move(corte));
    }
    if (!e.arquivo.empty()) {
      p.push_back(asUndo(withDigest(makeStep(Op::Rename, i, e.reservado, e.arquivo), e.digestoArquivo)));
      p.push_back(asUndo(withDigest(makeStep(Op::Delete, i, e.dados), e.digestoDados)));
      Step s = asUndo(makeStep(Op::Delete, i, e.descritor));
      s.n = -1;  // the archive still holds it
      p.push_back(std::move(s));
    }
  }
  p.push_back(makeStep(Op::Barrier, -1, {}));
  p.back().n = 1;
  for (long i = 0; i < static_cast<long>(entregas.size()); ++i) {
    const Entrega& e = entregas[static_cast<size_t>(i)];
    // An append or a copy leaves the data file: it goes once the
    // destination is durably whole (on its own volume, by its own sync).
    if (e.colocacao.modo == ModoEntrega::Anexa || !e.copia.empty()) {
      p.push_back(withDigest(makeStep(Op::Delete, i, e.dados), e.digestoDados));
    }
  }
  p.push_back(makeStep(Op::Write, -1, controle));
  p.back().m = tamanhoControle ? static_cast<int64_t>(*tamanhoControle) : -1;
  p.back().c = identityText(controle);
  p.back().d = segundo;
  // Marked once written: the host may take the file as soon as the records
  // are in it, and a run again must not give it them a second time.
  p.push_back(makeStep(Op::Barrier, -1, {}));
  p.back().n = 1;
  for (long i = 0; i < static_cast<long>(entregas.size()); ++i) {
    const Entrega& e = entregas[static_cast<size_t>(i)];
    if (!e.reservado.empty()) {
      p.push_back(withDigest(makeStep(Op::Delete, i, e.reservado), e.digestoArquivo));
    }
    if (!e.descritor.empty()) {
      p.push_back(makeStep(Op::Delete, i, e.descritor));
      p.back().n = -1;  // extraction made it under the archive's name
    }
  }
  p.push_back(makeStep(Op::Barrier, -1, {}));
  const bool feito = extraidos.flush() && commitAndRun(journal_, plano);
  // The second name goes with the plan it served; one a plan left for the
  // next call stays. A name of a file held open cannot go: the guard lets
  // go of the file (both holds) for that moment, when the batch is over.
  if (feito && !segundo.empty()) {
    guarda_.close();
    escrita_.close();
    platform().deleteFile(segundo.c_str());
  }
  guardaControle();
  return feito;
}

}  // namespace torvex
