// The deliveries of one batch: decided one by one, then run as one plan
// through the tray tree's journal, so that a whole batch costs a few syncs
// and a crash anywhere in it is finished by the next call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "download/colocacao.h"
#include "journal/digest.h"
#include "journal/durable_set.h"
#include "journal/journal_file.h"

namespace torvex {

struct Entrega {
  std::string dados;      // S, the extracted data file
  std::string descritor;  // D; empty when there is none to delete
  std::string arquivo;    // A, the received archive; empty when there is none
  std::string reservado;  // A while its delivery runs, out of the listing
  Colocacao colocacao;
  // On another volume: the name of ours beside the final path where the
  // bytes are copied before they are renamed into place; empty for a rename.
  std::string copia;
  std::string destino;    // T, the FI expanded: a final path unlike it is a numbered name
  uint64_t tamanhoAnterior = 0;  // the destination's size before an append
  // What the plan's steps check the files by.
  Digest digestoArquivo, digestoDados;
  std::string carimbo, nomeArquivo;
  int64_t criacaoArquivo = 0;   // the archive's creation time, seconds since 1970
  int64_t gravacaoDados = 0;    // the data file's last-write time
  uint64_t tamanho = 0;         // what the batch's byte limit counts
};

class LoteEntrega {
 public:
  LoteEntrega(const char* raiz, Journal& journal);

  // True when `caminho` is the final path or the data file of a delivery
  // already in the batch: the batch must run before another one uses it.
  bool colide(const char* caminho) const;
  bool cheio() const;
  size_t tamanho() const { return entregas_.size(); }

  void adiciona(Entrega e);

  // Places every data file, appends the records in one write, then removes
  // the archives and descriptors. A delivery whose placement fails is given
  // up whole: its archive goes back for a later pass. False when the batch
  // could not be finished (the journal keeps it for the next call) or not
  // even planned (the control file's size cannot be read, or it cannot be
  // written: nothing moved).
  bool executa();

 private:
  void guardaControle();

  std::string raiz_;
  Journal& journal_;
  // The control file held open for reading while the pass runs, so that the
  // host's delete of it (deletaArquivo) fails instead of taking it half-way,
  // as Windows sharing does for any open file.
  File guarda_;
  // And for writing, where it can be: a batch is planned only then (executa).
  File escrita_;
  std::vector<Entrega> entregas_;
  std::vector<std::string> nomes_;  // final paths and data files, folded
  uint64_t bytes_ = 0;
};

// A file's size: none when it does not exist, and none with `legivel`
// false when it exists but its size cannot be read (never taken for 0).
std::optional<uint64_t> tamanhoAtual(const char* caminho, bool& legivel);

}  // namespace torvex
