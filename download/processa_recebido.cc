#include "download/processa_recebido.h"

#include "arj/exec_arj.h"
#include "component/conventions.h"
#include "download/controle_download.h"
#include "download/decisao_recebido.h"
#include "download/entrega.h"
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

bool entregaDados(const DirEntry& arquivo, const CaminhosRecebido& c, const DecisaoRecebido& d) {
  ControleDownload controle;
  if (!controle.abre(c.controle)) return false;
  if (entrega(c.dados, d.colocacao, controle,
              {d.descritor.carimbo, arquivo.name.c_str(), arquivo.creationTime})) {
    return true;
  }
  controle.abandona();
  return false;
}

}  // namespace

bool processaRecebido(const char* raiz, const DirEntry& arquivo) {
  CaminhosRecebido c;
  if (!c.monta(raiz, arquivo.name.c_str())) return false;
  MembrosExtraidos membros;
  const DecisaoRecebido d = decideRecebido(raiz, c, membros, numeracaoDoDisco());
  // The archive still holds both members; the next pass extracts them anew.
  auto descartaMembros = [&c] {
    platform().deleteFile(c.dados);
    platform().deleteFile(c.descritor);
  };
  if (!d.entrega) {
    if (motivoDeColocacao(d.motivo)) descartaMembros();
    return false;
  }
  // The archive leaves the search pattern before anything is delivered: once
  // the delivery stands, an archive that cannot be deleted is never found
  // and delivered again. A delivery that fails puts it back. A reserved name
  // left by such an undeletable, delivered archive is taken over.
  bool reservou = platform().replaceFile(c.arquivo, c.reservado);
  if (!reservou || !entregaDados(arquivo, c, d)) {
    if (reservou) platform().moveFile(c.reservado, c.arquivo);
    descartaMembros();
    return false;
  }
  platform().deleteFile(c.reservado);
  platform().deleteFile(c.descritor);
  return true;
}

}  // namespace torvex
