#include "macros/trata_macro_fi.h"

#include <cstring>

#include "component/conventions.h"
#include "macros/conteudo_arquivo.h"
#include "macros/sequencia.h"
#include "macros/tabela_macros.h"

namespace torvex {
namespace {

// An FI that starts with a separator before the root or the registry
// directory starts at the "&", so the absolute path is not put under "/".
// Only these exact letter cases, and only at the start.
bool separadorInicialDescartado(const char* fi) {
  if (fi[0] != '/' && fi[0] != '\\') return false;
  for (const char* macro : {"&TELVORIN", "&telvorin", "&QVDIR", "&qvdir"}) {
    if (std::strncmp(fi + 1, macro, std::strlen(macro)) == 0) return true;
  }
  return false;
}

// Copies the FI to `saida` with every table macro replaced, each replacement
// written once and never scanned again. Fails when the name would pass 255
// characters or it uses a macro that has no sound value: the caller then
// gives an empty name rather than a cut or half-made path.
FalhaExpansao passaTabela(char* saida, const char* fi, const TabelaMacros& tabela) {
  size_t tamanho = 0;
  auto acrescenta = [&](const char* texto, size_t n) {
    if (n > kTamanhoCaminho - 1 - tamanho) return false;
    std::memcpy(saida + tamanho, texto, n);
    tamanho += n;
    return true;
  };

  char trabalho[kTamanhoTrabalho];
  for (const char* p = fi; *p != '\0';) {
    if (*p == '&') {
      Substituicao substituicao = Substituicao::Feita;
      const int32_t tamanhoNome = procuraMacro(p, trabalho, tabela, substituicao);
      if (tamanhoNome > 0) {
        if (substituicao == Substituicao::SemValor) return FalhaExpansao::MacroSemValor;
        if (substituicao == Substituicao::Longa || !acrescenta(trabalho, std::strlen(trabalho))) {
          return FalhaExpansao::Longa;
        }
        p += tamanhoNome;
        continue;
      }
    }
    if (!acrescenta(p, 1)) return FalhaExpansao::Longa;
    ++p;
  }
  saida[tamanho] = '\0';
  return FalhaExpansao::Nenhuma;
}

}  // namespace

// Callers ignore the result, so every failure shows as an empty name: they
// then find no "/" and do nothing, or fail to place the file, instead of
// using a wrong path.
int32_t trataMacroFI(char* saida, const char* fi, const char* raiz, const char* carimboP) {
  expandeFI(saida, fi, raiz, carimboP);
  return 0;
}

FalhaExpansao expandeFI(char* saida, const char* fi, const char* raiz, const char* carimboP) {
  if (fi == nullptr) fi = "";
  if (raiz == nullptr) raiz = "";
  if (separadorInicialDescartado(fi)) ++fi;

  TabelaMacros tabela;
  montaTabelaMacros(tabela, raiz, carimboP);
  FalhaExpansao falha = passaTabela(saida, fi, tabela);
  if (falha == FalhaExpansao::Nenhuma) {
    resolveSequencia(saida, "&SEQ", "&seq", 3);
    resolveSequencia(saida, "&SQ1", "&sq1", 1);
    resolveSequencia(saida, "&SQ2", "&sq2", 2);
    if (char* marca = std::strstr(saida, "&@")) {
      insereConteudoArquivo(saida, marca);
      if (saida[0] == '\0') falha = FalhaExpansao::Longa;  // the file's line would not fit
    }
  } else {
    saida[0] = '\0';
  }
  liberaTabelaMacros(tabela);
  return falha;
}

}  // namespace torvex
