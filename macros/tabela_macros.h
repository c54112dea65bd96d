// The macro table of one FI expansion: root, registry directory, current
// date and time, and the stamp's date and time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace torvex {

// Every replacement passes through a work buffer of this size on its way to
// the output: 99 characters and the terminator.
constexpr size_t kTamanhoTrabalho = 100;
constexpr int kNumeroMacros = 14;

struct EntradaMacro {
  char nome[10] = {};  // begins with "&"; empty in the end entry
  // Absent when the macro has no sound value in this expansion: a date field
  // the stamp lacks, or a month outside the calendar.
  std::optional<std::string> valor;
  int32_t tamanhoNome = 0;
};

// The 14 macros in lookup order, then the end entry.
using TabelaMacros = std::array<EntradaMacro, kNumeroMacros + 1>;

struct Data {
  int ano, mes, dia;  // full year, 1-12, 1-31
};
struct Hora {
  int hora, minuto;
};

// The date and the time of one clock reading, so that both come from the
// same instant even across midnight.
Data obtemData(const LocalTime& agora);
Hora obtemHora(const LocalTime& agora);

// Fills the table anew: reads the registry and the clock once each. `raiz`
// is the normalised root; `carimbo` the stamp or null.
void montaTabelaMacros(TabelaMacros& tabela, const char* raiz, const char* carimbo);

enum class Substituicao {
  Feita,     // the replacement is in `trabalho`
  SemValor,  // the macro has no sound value in this expansion
  Longa,     // its value passes 99 characters
};

// The length of the first macro name (in table order, ASCII letters compared
// without case) that begins at `posicao`; 0 when none does. On a match the
// replacement is copied into `trabalho`, and `substituicao` tells whether it
// could be.
int32_t procuraMacro(const char* posicao, char (&trabalho)[kTamanhoTrabalho],
                     const TabelaMacros& tabela, Substituicao& substituicao);

// Releases every replacement.
void liberaTabelaMacros(TabelaMacros& tabela);

}  // namespace torvex
