// What a pass does with one received archive, decided apart from doing it:
// where its data goes and how, or why the archive stays in the work area.
// The pass decides and then delivers; a dry run decides in the very same way
// and touches nothing (see simulacao_recebido.h).
#pragma once

#include <string>

#include "conventions/conventions.h"
#include "download/colocacao.h"
#include "download/descritor_nome.h"
#include "download/mensagem_numerada.h"
#include "journal/bookkeeping.h"

namespace torvex {

// The incoming tray and its work area as a pass names them: "R/Intray" and
// "R/Intray/Work", or, for the pass that works in them, the same
// directories spelled as the tree spells them, found once, so that no path
// of an archive has its every component looked up under another spelling.
struct BandejasRecebimento {
  std::string entrada, trabalho;
  explicit BandejasRecebimento(const char* raiz);
  static BandejasRecebimento comoNoDisco(const char* raiz);
};

// Every path one archive needs, built before anything is touched so that a
// path too long for its buffer leaves the archive untouched.
struct CaminhosRecebido {
  char bandeja[kTamanhoCaminho];    // I, the incoming tray, ending in "/"
  char arquivo[kTamanhoCaminho];    // A, the archive in the work area
  char reservado[kTamanhoCaminho];  // A while its delivery runs
  char descritor[kTamanhoCaminho];  // D, extension "FN"
  char dados[kTamanhoCaminho];      // S, extension "ARQ"
  char controle[kTamanhoCaminho];
  char comando[2 * kTamanhoCaminho + 16];

  bool monta(const char* raiz, const BandejasRecebimento& bandejas, const char* nome);
};

// Why an archive stays for a later pass.
enum class MotivoPermanencia {
  CaminhoLongo,           // a path built for it would not fit its buffer
  NaoArquivo,             // the archive library finds no archive in it
  ErroCrc,                // a header or a member fails its check, or it is cut short
  FalhaExtracao,          // extraction failed otherwise (a member that cannot be made)
  SemDescritor,           // no name descriptor ("FN") among its members
  CarimboIlegivel,        // the FI needs a date field that the stamp does not give
  ExpansaoInvalida,       // the FI expands to nothing, or past 255 characters
  SemDados,               // no data file ("ARQ") among its members
  ControleIndisponivel,   // the download control file cannot be written
  DestinoDiretorio,       // replace or append onto a directory
  DestinoSomenteLeitura,  // replace or append onto a read-only file, or a read-only volume
  SemNomeNumerado,        // no numbered name is free beside the destination
  DiretorioAusente,       // the final path's directory does not exist
  DestinoReservado,       // the destination is one of the tray tree's bookkeeping files
  NomeInvalido,           // the final name is one no file can have (a device, a wildcard)
  LigacaoSemAlvo,         // the destination is a link to no file (perhaps one the pass makes later)
};

// The motives that arise once the members are read and the destination is
// known: the pass then removes the extracted data file and descriptor, which
// the archive still holds. Earlier motives leave the members in the tray.
bool motivoDeColocacao(MotivoPermanencia motivo);

struct DecisaoRecebido {
  bool entrega = false;
  MotivoPermanencia motivo = MotivoPermanencia::CaminhoLongo;  // when it stays
  int nivelExtracao = 0;  // the archive library's error level
  DescritorNome descritor;
  char destino[kTamanhoCaminho] = {};  // T: the FI expanded and normalised
  Colocacao colocacao;                 // when delivered: the final path and how
};

// Where the decision reads an archive's members from. The pass extracts them
// into the incoming tray; a dry run decodes them in memory.
class MembrosRecebido {
 public:
  virtual ~MembrosRecebido() = default;
  // The archive library's error level for extracting the archive.
  virtual int extrai(const CaminhosRecebido& c) = 0;
  virtual bool leDescritor(const CaminhosRecebido& c, DescritorNome& descritor) = 0;
  virtual bool temDados(const CaminhosRecebido& c) = 0;
};

// Decides one archive: extraction, descriptor, expansion with the stamp,
// then the placement from the destination's state and the disposition code.
// Numbers for numbered names and existence answers come from `numeracao`.
// A destination among `proprios`, the tree's own files, stays.
DecisaoRecebido decideRecebido(const char* raiz, const CaminhosRecebido& c,
                               MembrosRecebido& membros, Numeracao& numeracao,
                               BookkeepingFiles& proprios);

}  // namespace torvex
