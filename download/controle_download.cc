#include "download/controle_download.h"

#include "conventions/conventions.h"
#include "platform/text_file.h"

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

bool ControleDownload::abre(const char* caminho) {
  if (!copia(caminho_, sizeof caminho_, caminho)) return false;
  criado_ = !pathExists(caminho);
  arquivo_ = File(caminho, OpenMode::Append);
  if (!arquivo_) return false;
  int64_t tamanho = arquivo_.size();
  if (tamanho < 0) {
    arquivo_.close();
    return false;
  }
  tamanhoAnterior_ = static_cast<uint64_t>(tamanho);
  return true;
}

bool ControleDownload::retomaEm(uint64_t tamanho) {
  if (tamanhoAnterior_ <= tamanho) return true;
  if (!arquivo_.truncate(tamanho)) return false;
  tamanhoAnterior_ = tamanho;
  return true;
}

bool ControleDownload::grava(std::string_view registro) {
  if (writeText(arquivo_, registro) && arquivo_.sync()) return true;
  retira();
  return false;
}

bool ControleDownload::retira() {
  return arquivo_.truncate(tamanhoAnterior_) && arquivo_.sync();
}

void ControleDownload::abandona() {
  arquivo_.close();
  if (criado_) platform().deleteFile(caminho_);
}

}  // namespace torvex
