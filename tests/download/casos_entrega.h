// One received archive of every disposition, laid again and again in a tray
// tree at C:/T, for tests that interrupt a pass at each of its steps. The
// destinations are in OUT on the tree's own drive, or on another volume.
#pragma once

#include <span>

#include "tests/support/temp_tree.h"

namespace torvex::testing {

struct CasoEntrega {
  const char* arquivo;
  const char* destino;  // relative to the destinations' drive
  const char* codigo;
  const char* dados;
  const char* antes;   // destination before the pass, or null when absent
  const char* depois;  // destination once delivered
};

std::span<const CasoEntrega> casosEntrega();

class BandejaComCasos {
 public:
  // Builds the archives once, kept in MODEL; the destinations are in `saida`.
  BandejaComCasos(const TempTree& arvore, const TempTree& saida);
  explicit BandejaComCasos(const TempTree& arvore) : BandejaComCasos(arvore, arvore) {}
  // A fresh tray tree and OUT, the destinations as before, the archives waiting.
  void arranja() const;
  // How many times the payload of `c` reached its destination; -1 when the
  // destination is in neither its old nor its delivered state.
  int entregas(const CasoEntrega& c) const;

 private:
  const TempTree& arvore_;
  const TempTree& saida_;
};

}  // namespace torvex::testing
