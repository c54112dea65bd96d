#include "macros/conteudo_arquivo.h"

#include <cstring>

#include "conventions/conventions.h"
#include "platform/file.h"
#include "platform/text_file.h"

namespace torvex {
namespace {

constexpr size_t kTamanhoCaminhoConteudo = 150;  // 149 characters and the terminator
constexpr size_t kTamanhoLinha = 80;             // 79 characters and the terminator
constexpr size_t kTamanhoNomeConteudo = 152;     // 151 characters and the terminator

// The file's first line without its line end. False when the file cannot be
// opened or read; an empty file gives an empty line.
bool lePrimeiraLinha(const char* caminho, char (&linha)[kTamanhoLinha]) {
  File arquivo(caminho, OpenMode::Read);
  if (!arquivo) return false;
  TextReader leitor(arquivo);
  if (!leitor.getLine(linha, sizeof linha)) {
    // Nothing read: an empty file, or a read that failed, which must not
    // pass for an empty line.
    linha[0] = '\0';
    return arquivo.size() == 0;
  }
  size_t tamanho = std::strlen(linha);
  if (tamanho > 0 && linha[tamanho - 1] == '\n') linha[tamanho - 1] = '\0';
  return true;
}

}  // namespace

void insereConteudoArquivo(char* nome, char* inicio) {
  const char* caminhoInicio = inicio + 2;
  const char* fecho = std::strchr(caminhoInicio, '@');
  if (fecho == nullptr) return;
  const size_t tamanhoCaminho = static_cast<size_t>(fecho - caminhoInicio);
  if (tamanhoCaminho >= kTamanhoCaminhoConteudo) return;

  char caminho[kTamanhoCaminhoConteudo];
  std::memcpy(caminho, caminhoInicio, tamanhoCaminho);
  caminho[tamanhoCaminho] = '\0';
  for (char* c = caminho; *c; ++c) {
    if (*c == '\\') *c = '/';
  }

  char linha[kTamanhoLinha];
  if (!lePrimeiraLinha(caminho, linha)) return;

  char novo[kTamanhoNomeConteudo];
  if (!formata(novo, sizeof novo, "%.*s%s%s", static_cast<int>(inicio - nome), nome, linha,
               fecho + 1)) {
    nome[0] = '\0';
    return;
  }
  copia(nome, kTamanhoCaminho, novo);
}

}  // namespace torvex
