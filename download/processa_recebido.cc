#include "download/processa_recebido.h"

#include "arj/exec_arj.h"
#include "conventions/conventions.h"
#include "download/controle_download.h"
#include "download/decisao_recebido.h"
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
class MembrosExtraidos : public MembrosRecebido {
 public:
  int extrai(const CaminhosRecebido& c) override {
    // Whatever stands under the members' names goes first, so extraction
    // makes fresh files and never writes through a link planted there.
    platform().deleteFile(c.descritor);
    platform().deleteFile(c.dados);
    return ExecArj(c.comando, 0);
  }
  bool leDescritor(const CaminhosRecebido& c, DescritorNome& descritor) override {
    return arquivoComum(c.descritor) && torvex::leDescritor(c.descritor, descritor);
  }
  bool temDados(const CaminhosRecebido& c) override { return arquivoComum(c.dados); }
};

Entrega planeja(const DirEntry& arquivo, const CaminhosRecebido& c, const DecisaoRecebido& d) {
  Entrega e;
  e.dados = c.dados;
  e.descritor = c.descritor;
  e.arquivo = c.arquivo;
  e.reservado = c.reservado;
  e.colocacao = d.colocacao;
  e.tamanhoAnterior = d.colocacao.modo == ModoEntrega::Anexa ? tamanhoAtual(d.colocacao.final) : 0;
  e.carimbo = d.descritor.carimbo;
  e.nomeArquivo = arquivo.name;
  e.criacaoArquivo = arquivo.creationTime;
  e.tamanho = arquivo.size;
  return e;
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
  if (!d.entrega) {
    // The archive still holds both members; the next pass extracts them anew.
    if (motivoDeColocacao(d.motivo)) {
      platform().deleteFile(c.dados);
      platform().deleteFile(c.descritor);
    }
    return true;
  }
  lote.adiciona(planeja(arquivo, c, d));
  return !lote.cheio() || executa();
}

}  // namespace torvex
