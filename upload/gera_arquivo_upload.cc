#include "upload/gera_arquivo_upload.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "conventions/conventions.h"
#include "macros/trata_macro_fi.h"
#include "platform/file.h"
#include "platform/name_table.h"
#include "journal/bookkeeping.h"
#include "journal/tray_session.h"
#include "upload/empacota_arquivo.h"
#include "upload/lote_upload.h"
#include "upload/nomes_upload.h"
#include "upload/procura_arquivo.h"

namespace torvex {

namespace {

enum class Passo { Continua, EncerraOk, EncerraSemDiretorio };

// One call's packing run. Every file it has dealt with that is still there,
// and every file it made, is remembered by its path as the file system
// compares paths, so a file that stays in the search, or comes back under
// its rename target, is not packed twice and the run ends, while a file
// elsewhere that merely shares a name with one of them is still packed.
// Only paths in the searched folder can come back in a listing, so only
// those are kept, by their names in it. Packed files wait in a batch, which
// publishes them and takes their sources out of the search together; a
// source it took away is forgotten, so that memory follows the files left
// in place, not every file packed.
class Envio {
 public:
  Envio(const char* raiz, const char* area, const char* privado, const char* diretorioFI,
        char* renomeia, LONG lIndice, Journal& journal)
      : raiz_(raiz), area_(area), privado_(privado), diretorioFI_(diretorioFI),
        renomeia_(renomeia), lIndice_(lIndice), lote_(journal),
        pastaBuscada_(chaveCaminho(std::string(diretorioFI) + "/")),
        maquinaria_(travaEDiario(raiz)) {
    // A source whose retire is still pending was packed already: never again
    // under another number while its pair waits.
    for (const Step& s : journal.carried()) {
      if (s.op == Op::Retire) marca(s.a);
    }
  }

  // One listing handled in the search's order (it finds files that appear
  // past its place as it goes), then a fresh one for files that appeared
  // behind it, until a listing holds nothing new; this instead of searching
  // again from the top after every file.
  LONG executa(const char* padrao, size_t filtro) {
    for (bool houveNovo = true; houveNovo;) {
      houveNovo = false;
      ProcuraArquivo busca(padrao, filtro);
      while (const char* encontrado = busca.proximo()) {
        const std::string caminho = std::string(diretorioFI_) + "/" + encontrado;
        if (daMaquinaria(caminho) || !marca(caminho)) continue;
        houveNovo = true;
        switch (trata(encontrado)) {
          case Passo::Continua:
            break;
          case Passo::EncerraOk:
            publica();
            return 0;
          case Passo::EncerraSemDiretorio:
            publica();
            return 2;
        }
      }
      // The next listing must not find this one's sources again.
      if (!publica()) return 0;
    }
    return 0;
  }

 private:
  // Remembers the path as dealt with; false when it was already. A path
  // outside the searched folder is never listed, so it is not kept.
  bool marca(std::string_view caminho) {
    const std::string chave = chaveCaminho(caminho);
    if (!chave.starts_with(pastaBuscada_)) return true;
    const std::string_view nome = std::string_view(chave).substr(pastaBuscada_.size());
    return tratados_.insert(std::hash<std::string_view>{}(nome), nome);
  }

  // Runs the batch; the sources it took out of the folder can only come
  // back as other files, and are forgotten. False as LoteUpload::executa.
  bool publica() {
    const bool feito = lote_.executa();
    for (const std::string& origem : origensNoLote_) {
      if (!feito || pathExists(origem.c_str())) continue;
      const std::string chave = chaveCaminho(origem);
      const std::string_view nome = std::string_view(chave).substr(pastaBuscada_.size());
      tratados_.erase(std::hash<std::string_view>{}(nome), nome);
    }
    origensNoLote_.clear();
    return feito;
  }

  bool daMaquinaria(const std::string& caminho) const {
    FileIdentity id;
    return platform().fileIdentity(caminho.c_str(), id) &&
           std::find(maquinaria_.begin(), maquinaria_.end(), id) != maquinaria_.end();
  }

  // The rename directory is tested once the file is packed (a failed add
  // ends the run with 0 first), without macro expansion.
  bool semDiretorioRenomeia() const {
    char diretorio[kTamanhoCaminho];
    return renomeia_[0] != '\0' && extraiDiretorio(renomeia_, diretorio) == 0 &&
           !pathExists(diretorio);
  }

  Passo trata(const char* encontrado) {
    // Anything that would not fit its buffer leaves the file where it is.
    char nome[kTamanhoCaminho], origem[kTamanhoCaminho];
    char nomeArquivo[kTamanhoCaminho], nomeControle[kTamanhoCaminho];
    if (!copia(nome, sizeof nome, encontrado) ||
        !formata(origem, sizeof origem, "%s/%s", diretorioFI_, nome) ||
        !montaNomesUpload(nome, lIndice_, nomeArquivo, nomeControle)) {
      return Passo::Continua;
    }
    PacoteUpload pacote;
    if (!preparaPacote(pacote, area_, privado_, origem, nomeArquivo, nomeControle)) {
      return Passo::Continua;
    }

    char destino[kTamanhoCaminho] = "";
    if (renomeia_[0] != '\0') {
      char destinoBruto[kTamanhoCaminho];
      if (!montaNomeDestino(diretorioFI_, nome, renomeia_, destinoBruto)) return Passo::Continua;
      trataMacroFI(destino, destinoBruto, raiz_, nullptr);
      if (lote_.colide(destino)) {
        if (!publica()) return Passo::EncerraOk;
        trataMacroFI(destino, destinoBruto, raiz_, nullptr);
      }
      if (destino[0] == '\0') return Passo::Continua;  // the expansion would not fit
      marca(destino);
    }

    // Names differing only in case, or a.b_c beside a_b.c, give one archive
    // name: while the host has not taken the earlier file's archive, the
    // later file waits in place instead of replacing it. One still in the
    // batch is published first, so that the test sees it.
    if (lote_.colide(pacote.arquivo) && !publica()) return Passo::EncerraOk;
    if (!nomeLivreParaOrigem(pacote)) {
      // Where the file would have been packed, the rename directory decides.
      return semDiretorioRenomeia() ? Passo::EncerraSemDiretorio : Passo::Continua;
    }
    for (const char* feito : {pacote.arquivo, pacote.arquivoTemporario, pacote.controle,
                              pacote.controleTemporario}) {
      marca(feito);
    }

    // The source as it is packed, not as it was listed: one replaced since
    // is recorded with its own time, and one changed while it is packed
    // waits for the next call.
    Fonte antes;
    if (!fonte(origem, antes)) return Passo::Continua;
    char dataHora[kTamanhoDataHora];
    formataDataHora(platform().fileTimeToLocal(antes.ultimaGravacao), dataHora);
    switch (empacotaArquivo(pacote, dataHora)) {
      case ResultadoPacote::FalhaBiblioteca:
        return Passo::EncerraOk;
      case ResultadoPacote::NaoGuardado:
        return Passo::Continua;
      case ResultadoPacote::Preparado:
        break;
    }
    Fonte depois;
    const bool mudou = !fonte(origem, depois) || !(depois == antes);
    if (mudou || semDiretorioRenomeia()) {
      platform().deleteFile(pacote.arquivoTemporario);
      platform().deleteFile(pacote.controleTemporario);
      return mudou ? Passo::Continua : Passo::EncerraSemDiretorio;
    }
    Empacotado feito{pacote, {}, antes.tamanho, antes.ultimaGravacao};
    copia(feito.destino, sizeof feito.destino, destino);
    lote_.adiciona(feito);
    origensNoLote_.emplace_back(origem);
    if (lote_.cheio() && !publica()) return Passo::EncerraOk;
    return Passo::Continua;
  }

  struct Fonte {
    FileIdentity id;
    uint64_t tamanho = 0;
    int64_t ultimaGravacao = 0;
    bool operator==(const Fonte&) const = default;
  };
  static bool fonte(const char* caminho, Fonte& f) {
    DirSearch busca(caminho);
    if (!busca.found() || !platform().fileIdentity(caminho, f.id)) return false;
    f.tamanho = busca.entry().size;
    f.ultimaGravacao = busca.entry().lastWriteTime;
    return true;
  }

  const char* raiz_;
  const char* area_;
  const char* privado_;
  const char* diretorioFI_;
  char* renomeia_;
  LONG lIndice_;
  LoteUpload lote_;
  const std::string pastaBuscada_;  // the searched folder's key, up to its last "/"
  NameTable tratados_;  // names in that folder, under their hashes
  std::vector<std::string> origensNoLote_;  // the batch's sources, all in that folder
  const std::vector<FileIdentity> maquinaria_;  // the lock and the journal
};

// The private folder, made once per tree, its name durable before anything
// made in it is relied on.
bool criaPrivado(const char* privado) {
  if (pathExists(privado)) return true;
  char pai[kTamanhoCaminho];
  return platform().createDirectory(privado) && extraiDiretorio(privado, pai) == 0 &&
         platform().syncDirectory(pai);
}

}  // namespace

LONG geraArquivoUpload(const char* raiz, const char* fi, const char* fiRename, LONG lIndice) {
  // Arguments past the 255-character buffers are outside the component's
  // limits: nothing is touched.
  char raizNormalizada[kTamanhoCaminho], renomeia[kTamanhoCaminho], area[kTamanhoCaminho];
  char privado[kTamanhoCaminho];
  if (!copia(raizNormalizada, sizeof raizNormalizada, raiz) ||
      !copia(renomeia, sizeof renomeia, fiRename ? fiRename : "")) {
    return 0;
  }
  normalizaPath(raizNormalizada);
  normalizaPath(renomeia);
  if (!formata(area, sizeof area, "%s/outtray/work", raizNormalizada)) return 0;

  // Whatever an interrupted call left is finished before anything else. A
  // tree that cannot be changed gives 0, as a failed add would; a call that
  // cannot finish an interrupted one, or has no private folder to pack in,
  // does nothing: -1, as for a call that was given nothing to do.
  TraySession sessao(raizNormalizada);
  if (sessao.state() == SessionState::NoTree) return 0;
  if (!sessao.ready() || !caminhoPrivado(raizNormalizada, privado) || !criaPrivado(privado)) {
    return -1;
  }
  // The area's every path is then resolved as it stands on disk, found under
  // the spelling every other method uses (docs/environment.md: case twins).
  if (!copia(area, sizeof area, spelledAsFound(raizNormalizada, "Outtray/Work").c_str())) return 0;
  // Archives are made in the private folder, but the add names the work
  // area: without it the add fails, and the run ends with 0 before anything.
  if (!pathExists(area)) return 0;

  char padrao[kTamanhoCaminho];
  trataMacroFI(padrao, fi, raizNormalizada, nullptr);
  normalizaPath(padrao);
  const size_t filtro = filtroTamanho(padrao);
  char diretorioFI[kTamanhoCaminho];
  if (extraiDiretorio(padrao, diretorioFI) != 0) return 0;

  return Envio(raizNormalizada, area, privado, diretorioFI, renomeia, lIndice, sessao.journal())
      .executa(padrao, filtro);
}

}  // namespace torvex
