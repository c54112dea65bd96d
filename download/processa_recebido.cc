#include "download/processa_recebido.h"

#include "arj/exec_arj.h"
#include "download/colocacao.h"
#include "download/troca_extensao.h"
#include "journal/bookkeeping.h"
#include "macros/trata_macro_fi.h"
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

}  // namespace

bool CaminhosRecebido::monta(const char* raiz, const char* nome) {
  return formata(bandeja, sizeof bandeja, "%s%s/", raiz, "/Intray") &&
         formata(arquivo, sizeof arquivo, "%s%s/%s", raiz, "/Intray/Work", nome) &&
         formata(reservado, sizeof reservado, "%s.ENTREGA", arquivo) &&
         formata(descritor, sizeof descritor, "%s%s", bandeja, nome) &&
         trocaExtensao(descritor, sizeof descritor, "FN") && copia(dados, sizeof dados, descritor) &&
         trocaExtensao(dados, sizeof dados, "ARQ") &&
         formata(comando, sizeof comando, "e \"%s\" \"%s\" -y", arquivo, bandeja);
}

Situacao extraiRecebido(const char* raiz, const DirEntry& arquivo, Recebido& r) {
  if (!r.c.monta(raiz, arquivo.name.c_str())) return Situacao::NaoExtraido;
  // Whatever stands under the members' names goes first, so extraction makes
  // fresh files and never writes through a link planted there.
  platform().deleteFile(r.c.descritor);
  platform().deleteFile(r.c.dados);
  if (ExecArj(r.c.comando, 0) != 0) return Situacao::NaoExtraido;
  if (!arquivoComum(r.c.descritor) || !leDescritor(r.c.descritor, r.descritor) ||
      trataMacroFI(r.destino, r.descritor.fi, raiz, r.descritor.carimbo) != 0) {
    return Situacao::SemDestino;
  }
  normalizaPath(r.destino);
  return r.destino[0] != '\0' ? Situacao::Pronto : Situacao::SemDestino;
}

Situacao avaliaDestino(const char* raiz, const Recebido& r) {
  if (!arquivoComum(r.c.dados) || isBookkeeping(raiz, r.destino)) return Situacao::NaoColocavel;
  return Situacao::Pronto;
}

Situacao planejaEntrega(const char* raiz, const DirEntry& arquivo, const Recebido& r,
                        Entrega& e) {
  if (!escolheColocacao(r.destino, r.descritor.disposicao[0], raiz, e.colocacao) ||
      isBookkeeping(raiz, e.colocacao.final)) {
    return Situacao::NaoColocavel;
  }
  e.dados = r.c.dados;
  e.descritor = r.c.descritor;
  e.arquivo = r.c.arquivo;
  e.reservado = r.c.reservado;
  e.tamanhoAnterior = e.colocacao.modo == ModoEntrega::Anexa ? tamanhoAtual(e.colocacao.final) : 0;
  e.carimbo = r.descritor.carimbo;
  e.nomeArquivo = arquivo.name;
  e.criacaoArquivo = arquivo.creationTime;
  e.tamanho = arquivo.size;
  return Situacao::Pronto;
}

void descartaMembros(const Recebido& r) {
  platform().deleteFile(r.c.dados);
  platform().deleteFile(r.c.descritor);
}

}  // namespace torvex
