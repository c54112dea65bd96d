#include "download/processa_recebido.h"

#include "arj/exec_arj.h"
#include "conventions/conventions.h"
#include "download/colocacao.h"
#include "download/controle_download.h"
#include "download/descritor_nome.h"
#include "download/entrega.h"
#include "download/troca_extensao.h"
#include "macros/trata_macro_fi.h"
#include "platform/file.h"

namespace torvex {
namespace {

// Every path one archive needs, built before anything is touched so that a
// path too long for its buffer leaves the archive untouched.
struct CaminhosRecebido {
  char bandeja[kTamanhoCaminho];   // I, the incoming tray, ending in "/"
  char arquivo[kTamanhoCaminho];   // A, the archive in the work area
  char reservado[kTamanhoCaminho]; // A while its delivery runs
  char descritor[kTamanhoCaminho]; // D, extension "FN"
  char dados[kTamanhoCaminho];     // S, extension "ARQ"
  char controle[kTamanhoCaminho];
  char comando[2 * kTamanhoCaminho + 16];

  bool monta(const char* raiz, const char* nome) {
    return formata(bandeja, sizeof bandeja, "%s%s/", raiz, "/Intray") &&
           formata(arquivo, sizeof arquivo, "%s%s/%s", raiz, "/Intray/Work", nome) &&
           formata(reservado, sizeof reservado, "%s.ENTREGA", arquivo) &&
           formata(descritor, sizeof descritor, "%s%s", bandeja, nome) &&
           trocaExtensao(descritor, sizeof descritor, "FN") &&
           copia(dados, sizeof dados, descritor) &&
           trocaExtensao(dados, sizeof dados, "ARQ") && caminhoControle(raiz, controle) &&
           formata(comando, sizeof comando, "e \"%s\" \"%s\" -y", arquivo, bandeja);
  }
};

// An extracted member is used only when it is a plain file in the tray: a
// link planted under a member's name would lead reads and appends elsewhere.
bool arquivoComum(const char* caminho) {
  uint32_t atributos = platform().fileAttributes(caminho);
  return atributos != kInvalidAttributes &&
         (atributos & (kAttrDirectory | kAttrReparsePoint)) == 0;
}

bool leDestino(const char* raiz, const CaminhosRecebido& c, DescritorNome& descritor,
               char (&destino)[kTamanhoCaminho]) {
  if (!arquivoComum(c.descritor) || !leDescritor(c.descritor, descritor)) return false;
  if (trataMacroFI(destino, descritor.fi, raiz, descritor.carimbo) != 0) return false;
  normalizaPath(destino);
  return destino[0] != '\0';
}

bool entregaDados(const char* raiz, const DirEntry& arquivo, const CaminhosRecebido& c,
                  const DescritorNome& descritor, const char* destino) {
  if (!arquivoComum(c.dados)) return false;
  ControleDownload controle;
  if (!controle.abre(c.controle)) return false;
  Colocacao colocacao;
  if (escolheColocacao(destino, descritor.disposicao[0], raiz, colocacao) &&
      entrega(c.dados, colocacao, controle,
              {descritor.carimbo, arquivo.name.c_str(), arquivo.creationTime})) {
    return true;
  }
  controle.abandona();
  return false;
}

}  // namespace

bool processaRecebido(const char* raiz, const DirEntry& arquivo) {
  CaminhosRecebido c;
  if (!c.monta(raiz, arquivo.name.c_str())) return false;
  // Whatever stands under the members' names goes first, so extraction makes
  // fresh files and never writes through a link planted there.
  platform().deleteFile(c.descritor);
  platform().deleteFile(c.dados);
  if (ExecArj(c.comando, 0) != 0) return false;
  DescritorNome descritor;
  char destino[kTamanhoCaminho];
  if (!leDestino(raiz, c, descritor, destino)) return false;
  // The archive leaves the search pattern before anything is delivered: once
  // the delivery stands, an archive that cannot be deleted is never found
  // and delivered again. A delivery that fails puts it back. A reserved name
  // left by such an undeletable, delivered archive is taken over.
  bool reservou = platform().replaceFile(c.arquivo, c.reservado);
  if (!reservou || !entregaDados(raiz, arquivo, c, descritor, destino)) {
    if (reservou) platform().moveFile(c.reservado, c.arquivo);
    // The archive still holds both members; the next pass extracts them anew.
    platform().deleteFile(c.dados);
    platform().deleteFile(c.descritor);
    return false;
  }
  platform().deleteFile(c.reservado);
  platform().deleteFile(c.descritor);
  return true;
}

}  // namespace torvex
