#include "download/decisao_recebido.h"

#include <cstring>
#include <string_view>

#include "download/controle_download.h"
#include "download/troca_extensao.h"
#include "journal/file_steps.h"
#include "macros/trata_macro_fi.h"
#include "platform/file.h"
#include "platform/win_path.h"

namespace torvex {
namespace {

// The archive library's error levels that tell an archive apart from a
// damaged one.
constexpr int kNivelCrc = 3;
constexpr int kNivelNaoArquivo = 9;

MotivoPermanencia motivoDaExtracao(int nivel) {
  switch (nivel) {
    case kNivelNaoArquivo:
      return MotivoPermanencia::NaoArquivo;
    case kNivelCrc:
      return MotivoPermanencia::ErroCrc;
    default:
      return MotivoPermanencia::FalhaExtracao;
  }
}

bool ehDiretorio(const char* caminho) {
  uint32_t atributos = platform().fileAttributes(caminho);
  return atributos != kInvalidAttributes && (atributos & kAttrDirectory);
}

// The final path's directory: the text before its last "/" ("/" itself when
// that is empty; a drive's root for "X:"). False for a path without "/",
// which is left to the move itself.
bool diretorioDe(const char* final, char (&diretorio)[kTamanhoCaminho]) {
  const char* barra = std::strrchr(final, '/');
  if (!barra) return false;
  size_t n = static_cast<size_t>(barra - final);
  std::memcpy(diretorio, final, n + 1);  // keeps the "/", so roots stay roots
  diretorio[n + (n == 0 || diretorio[n - 1] == ':' ? 1 : 0)] = '\0';
  return true;
}

bool diretorioFinalExiste(const char* final) {
  char diretorio[kTamanhoCaminho];
  return !diretorioDe(final, diretorio) || ehDiretorio(diretorio);
}

// Nothing can be moved into or appended to on a read-only mount or medium.
bool volumeSomenteLeitura(const char* final) {
  char diretorio[kTamanhoCaminho];
  return diretorioDe(final, diretorio) && platform().readOnlyVolume(diretorio);
}

// A move or an append to a device name ("NUL", "CON") or to a name holding
// a wildcard or a control character fails, or loses the data: such a final
// path is refused before anything is planned.
bool nomeDeArquivo(const char* final) {
  const char* barra = std::strrchr(final, '/');
  const std::string_view nome = barra ? barra + 1 : final;
  return !winpath::isInvalidName(nome) && !winpath::isDeviceName(nome);
}

// A name that stands but leads to no file: a link whose target does not
// exist (yet). What is written through it lands wherever it points, which
// may be a member the pass has still to extract, or anything else that
// cannot be judged before it exists.
bool ligacaoSemAlvo(const char* caminho) {
  FileIdentity id;
  if (!pathExists(caminho) || platform().fileIdentity(caminho, id)) return false;
  const uint32_t erro = platform().lastError();
  return erro == kErrorFileNotFound || erro == kErrorPathNotFound;
}

}  // namespace

BandejasRecebimento::BandejasRecebimento(const char* raiz)
    : entrada(std::string(raiz) + "/Intray"), trabalho(std::string(raiz) + "/Intray/Work") {}

BandejasRecebimento BandejasRecebimento::comoNoDisco(const char* raiz) {
  BandejasRecebimento b(raiz);
  b.entrada = spelledAsFound(raiz, "Intray");
  b.trabalho = spelledAsFound(raiz, "Intray/Work");
  return b;
}

bool CaminhosRecebido::monta(const char* raiz, const BandejasRecebimento& bandejas,
                             const char* nome) {
  return formata(bandeja, sizeof bandeja, "%s/", bandejas.entrada.c_str()) &&
         formata(arquivo, sizeof arquivo, "%s/%s", bandejas.trabalho.c_str(), nome) &&
         formata(reservado, sizeof reservado, "%s.ENTREGA", arquivo) &&
         formata(descritor, sizeof descritor, "%s%s", bandeja, nome) &&
         trocaExtensao(descritor, sizeof descritor, "FN") && copia(dados, sizeof dados, descritor) &&
         trocaExtensao(dados, sizeof dados, "ARQ") && caminhoControle(raiz, controle) &&
         formata(comando, sizeof comando, "e \"%s\" \"%s\" -y", arquivo, bandeja);
}

bool motivoDeColocacao(MotivoPermanencia motivo) {
  return motivo >= MotivoPermanencia::SemDados;
}

DecisaoRecebido decideRecebido(const char* raiz, const CaminhosRecebido& c,
                               MembrosRecebido& membros, Numeracao& numeracao,
                               BookkeepingFiles& proprios) {
  DecisaoRecebido d;
  auto fica = [&d](MotivoPermanencia motivo) {
    d.motivo = motivo;
    return d;
  };
  d.nivelExtracao = membros.extrai(c);
  if (d.nivelExtracao != 0) return fica(motivoDaExtracao(d.nivelExtracao));
  if (!membros.leDescritor(c, d.descritor)) return fica(MotivoPermanencia::SemDescritor);
  if (expandeFI(d.destino, d.descritor.fi, raiz, d.descritor.carimbo) ==
      FalhaExpansao::MacroSemValor) {
    return fica(MotivoPermanencia::CarimboIlegivel);
  }
  normalizaPath(d.destino);
  if (d.destino[0] == '\0') return fica(MotivoPermanencia::ExpansaoInvalida);
  if (!membros.temDados(c)) return fica(MotivoPermanencia::SemDados);
  if (proprios.includes(d.destino)) return fica(MotivoPermanencia::DestinoReservado);
  if (ligacaoSemAlvo(d.destino)) return fica(MotivoPermanencia::LigacaoSemAlvo);
  // The control file is opened for appending once the data is placed: it
  // must be a writable file, or be one that can be made.
  if (!canAppendTo(c.controle)) return fica(MotivoPermanencia::ControleIndisponivel);

  // Replacing or appending needs a writable file there; a numbered message
  // goes beside whatever the destination is.
  const char codigo = d.descritor.disposicao[0];
  if (codigo != 'M' && numeracao.existe(d.destino)) {
    uint32_t atributos = platform().fileAttributes(d.destino);
    if (atributos != kInvalidAttributes && (atributos & kAttrDirectory)) {
      return fica(MotivoPermanencia::DestinoDiretorio);
    }
    if (atributos != kInvalidAttributes && (atributos & kAttrReadOnly)) {
      return fica(MotivoPermanencia::DestinoSomenteLeitura);
    }
  }
  if (!escolheColocacao(d.destino, codigo, raiz, d.colocacao, numeracao)) {
    return fica(MotivoPermanencia::SemNomeNumerado);
  }
  if (!diretorioFinalExiste(d.colocacao.final)) return fica(MotivoPermanencia::DiretorioAusente);
  if (volumeSomenteLeitura(d.colocacao.final)) return fica(MotivoPermanencia::DestinoSomenteLeitura);
  // A numbered name is a path of its own; the destination itself was judged
  // above, a moment ago.
  if (std::strcmp(d.colocacao.final, d.destino) != 0) {
    if (proprios.includes(d.colocacao.final)) return fica(MotivoPermanencia::DestinoReservado);
    if (ligacaoSemAlvo(d.colocacao.final)) return fica(MotivoPermanencia::LigacaoSemAlvo);
  }
  if (!nomeDeArquivo(d.colocacao.final)) return fica(MotivoPermanencia::NomeInvalido);
  d.entrega = true;
  return d;
}

}  // namespace torvex
