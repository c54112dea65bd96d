// The packings of one batch: each file's archive and record made under
// temporary names, then one plan through the tray tree's journal makes them
// durable with one sync, publishes every pair, and only then deletes or
// moves the sources, so a crash anywhere is finished by the next call and no
// source is packed twice.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "journal/journal_file.h"
#include "upload/empacota_arquivo.h"

namespace torvex {

struct Empacotado {
  PacoteUpload pacote;
  char destino[kTamanhoCaminho];  // rename target; empty: the source is deleted
  uint64_t tamanho;               // the source as it was packed, so that a file
  int64_t ultimaGravacao;         // put there since is never taken for it
};

class LoteUpload {
 public:
  explicit LoteUpload(Journal& journal) : journal_(journal) {}
  void adiciona(const Empacotado& e);
  bool cheio() const;
  // True when `caminho` is the rename target or the archive of a packing in
  // the batch, which must then run first: a target is expanded against the
  // sources moved so far (a sequence macro takes the next free name), and an
  // archive name is free only when no archive of another source holds it.
  bool colide(const char* caminho) const;
  // False when the batch could not be finished; the journal keeps it.
  bool executa();

 private:
  Journal& journal_;
  std::vector<Empacotado> itens_;
  std::vector<std::string> nomes_;  // rename targets and archives, folded
  uint64_t bytes_ = 0;
};

}  // namespace torvex
