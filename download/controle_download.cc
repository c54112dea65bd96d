#include "download/controle_download.h"

namespace torvex {

bool caminhoControle(const char* raiz, char* saida) {
  return formata(saida, kTamanhoCaminho, "%s%s%s", raiz, "/Outtray/", "ContDown.dat");
}

std::string montaRegistro(const char* carimbo, const char* nomeArquivo, const char* caminhoFinal,
                          const LocalTime& hora) {
  char dataHora[kTamanhoDataHora];
  formataDataHora(hora, dataHora);
  std::string registro = "#\n";
  registro.append(carimbo).append("\n");
  registro.append(nomeArquivo).append("\n");
  registro.append(caminhoFinal).append("\n");
  registro.append(dataHora).append("\n");
  return registro;
}

}  // namespace torvex
