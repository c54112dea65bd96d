#include "upload/grava_controle_upload.h"

#include <cstring>
#include <string>

#include "conventions/conventions.h"
#include "platform/text_file.h"

namespace torvex {

int gravaControleUpload(const char* caminho, const char* origem, const char* dataHora) {
  // Each line is formatted with its line feed in a path-sized buffer.
  char linhaOrigem[kTamanhoCaminho], linhaDataHora[kTamanhoCaminho];
  if (!formata(linhaOrigem, sizeof linhaOrigem, "%s\n", origem) ||
      !formata(linhaDataHora, sizeof linhaDataHora, "%s\n", dataHora)) {
    return 1;
  }
  platform().deleteFile(caminho);
  File f(caminho, OpenMode::Write);
  if (!f) return 1;
  bool gravado = writeText(f, std::string(linhaOrigem) + linhaDataHora);
  if (!f.close() || !gravado) {
    platform().deleteFile(caminho);
    return 1;
  }
  return 0;
}

namespace {

bool leLinha(TextReader& leitor, char (&linha)[kTamanhoCaminho]) {
  if (!leitor.getLine(linha, sizeof linha)) {
    linha[0] = '\0';
    return false;
  }
  if (char* fim = std::strchr(linha, '\n')) *fim = '\0';
  return true;
}

}  // namespace

bool leControleUpload(const char* caminho, char (&origem)[kTamanhoCaminho],
                      char (&dataHora)[kTamanhoCaminho]) {
  File f(caminho, OpenMode::Read);
  if (!f) return false;
  TextReader leitor(f);
  bool temOrigem = leLinha(leitor, origem);
  leLinha(leitor, dataHora);
  return temOrigem;
}

}  // namespace torvex
