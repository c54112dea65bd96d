#include "download/processa_recebido.h"

#include "arj/exec_arj.h"
#include "conventions/conventions.h"
#include "download/controle_download.h"
#include "download/cross_volume.h"
#include "download/decisao_recebido.h"
#include "journal/digest.h"
#include "platform/file.h"

namespace torvex {
namespace {

// An extracted member is used only when it is a plain file in the tray: a
// link planted under a member's name would lead reads and appends elsewhere.
bool arquivoComum(const char* caminho) {
  uint32_t atributos = platform().fileAttributes(caminho);
  return atributos != kInvalidAttributes &&
         (atributos & (kAttrDirectory | kAttrReparsePoint)) == 0;
}

// The pass's members: extracted into the incoming tray by the library.
// Each archive is extracted once per pass, even when it is decided twice.
class MembrosExtraidos : public MembrosRecebido {
 public:
  int extrai(const CaminhosRecebido& c) override {
    if (extraido_) return nivel_;
    // Whatever stands under the members' names goes first, so extraction
    // makes fresh files and never writes through a link planted there.
    platform().deleteFile(c.descritor);
    platform().deleteFile(c.dados);
    nivel_ = ExecArj(c.comando, 0);
    extraido_ = true;
    return nivel_;
  }
  bool leDescritor(const CaminhosRecebido& c, DescritorNome& descritor) override {
    return arquivoComum(c.descritor) && torvex::leDescritor(c.descritor, descritor);
  }
  bool temDados(const CaminhosRecebido& c) override { return arquivoComum(c.dados); }

 private:
  bool extraido_ = false;
  int nivel_ = 0;
};

// What the plan's steps will check, stated now; false when something cannot
// be stated (a file that cannot be read), and the archive then waits.
bool planeja(const DirEntry& arquivo, const CaminhosRecebido& c, const DecisaoRecebido& d,
             Entrega& e) {
  e.dados = c.dados;
  e.descritor = c.descritor;
  e.arquivo = c.arquivo;
  e.reservado = c.reservado;
  e.colocacao = d.colocacao;
  e.destino = d.destino;
  e.carimbo = d.descritor.carimbo;
  e.nomeArquivo = arquivo.name;
  e.criacaoArquivo = arquivo.creationTime;
  e.tamanho = arquivo.size;
  if (!digestOf(c.arquivo, e.digestoArquivo) || !digestOf(c.dados, e.digestoDados)) return false;
  if (d.colocacao.modo != ModoEntrega::Anexa) {
    const std::optional<std::string> copia =
        crossVolumeCopyName(c.dados, d.colocacao.final, c.arquivo, e.digestoDados);
    if (copia) e.copia = *copia;
    return copia.has_value();
  }
  bool legivel = false;
  const std::optional<uint64_t> anterior = tamanhoAtual(d.colocacao.final, legivel);
  DirSearch dados(c.dados);
  if (!anterior || !dados.found()) return false;
  e.tamanhoAnterior = *anterior;
  e.gravacaoDados = dados.entry().lastWriteTime;
  return true;
}

void removeMembros(const CaminhosRecebido& c) {
  platform().deleteFile(c.dados);
  platform().deleteFile(c.descritor);
}

}  // namespace

bool processaRecebido(const char* raiz, const BandejasRecebimento& bandejas,
                      BookkeepingFiles& proprios, const DirEntry& arquivo, LoteEntrega& lote) {
  CaminhosRecebido c;
  if (!c.monta(raiz, bandejas, arquivo.name.c_str())) return true;
  // The batch moves and deletes the tree's own files: what was known of
  // them goes with each run.
  auto executa = [&] {
    proprios.forget();
    return lote.executa();
  };
  // Names differing only in letter case extract to the same members: a
  // delivery still waiting in the batch must not see its data file replaced.
  if (lote.colide(c.dados) && !executa()) return false;
  MembrosExtraidos membros;
  DecisaoRecebido d = decideRecebido(raiz, c, membros, numeracaoDoDisco(), proprios);
  // The destination's state was judged without the batch's own deliveries:
  // when one of them goes to the same final path the batch runs first and
  // the archive is decided again (a numbered name beside an existing
  // destination depends on nothing in the batch, so no number is wasted).
  if (d.entrega && lote.colide(d.colocacao.final)) {
    if (!executa()) return false;
    d = decideRecebido(raiz, c, membros, numeracaoDoDisco(), proprios);
  }
  // The archive still holds both members; the next pass extracts them anew.
  if (!d.entrega) {
    if (motivoDeColocacao(d.motivo)) removeMembros(c);
    return true;
  }
  Entrega e;
  if (!planeja(arquivo, c, d, e)) {
    removeMembros(c);
    return true;
  }
  lote.adiciona(std::move(e));
  return !lote.cheio() || executa();
}

}  // namespace torvex
