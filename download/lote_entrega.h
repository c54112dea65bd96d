// The deliveries of one batch: decided one by one, then run as one plan
// through the tray tree's journal, so that a whole batch costs a few syncs
// and a crash anywhere in it is finished by the next call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "download/colocacao.h"
#include "journal/durable_set.h"
#include "journal/journal_file.h"

namespace torvex {

struct Entrega {
  std::string dados;      // S, the extracted data file
  std::string descritor;  // D; empty when there is none to delete
  std::string arquivo;    // A, the received archive; empty when there is none
  std::string reservado;  // A while its delivery runs, out of the listing
  Colocacao colocacao;
  uint64_t tamanhoAnterior = 0;  // the destination's size before an append
  std::string carimbo, nomeArquivo;
  int64_t criacaoArquivo = 0;  // the archive's creation time, seconds since 1970
  uint64_t tamanho = 0;        // what the batch's byte limit counts
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
  // could not be finished; the journal keeps it for the next call.
  bool executa();

 private:
  std::string raiz_;
  Journal& journal_;
  std::vector<Entrega> entregas_;
  std::vector<std::string> nomes_;  // final paths and data files, folded
  uint64_t bytes_ = 0;
};

// The destination's size, for an append; 0 when it cannot be read.
uint64_t tamanhoAtual(const char* caminho);

}  // namespace torvex
