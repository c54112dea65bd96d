// Arranges a tray tree at T on the tree's drive (C:/T) and the received archives a host would leave
// in its incoming work area, built with our own archive library.
#pragma once

#include <string>
#include <vector>

#include "tests/support/temp_tree.h"

namespace torvex::testing {

void criaBandejas(const TempTree& arvore);

// "D00017.ARJ" in T/INTRAY/WORK holding "D00017.FN" (the descriptor text as
// given) and "D00017.ARQ" (the payload).
void criaRecebido(const TempTree& arvore, const std::string& nome, const std::string& descritor,
                  const std::string& dados);

// The descriptor text for a destination FI, a stamp and a disposition code.
std::string descritor(const std::string& fi, const std::string& carimbo, const std::string& codigo);

// Names in T/INTRAY/WORK matching D?????.ARJ, in the order the platform lists them.
std::vector<std::string> listaRecebidos();

// The archive names of the records in T/OUTTRAY/ContDown.dat, in file order.
std::vector<std::string> arquivosRegistrados(const TempTree& arvore);

}  // namespace torvex::testing
