// criaInfraEstrutura: every directory of the root path, shortest first, then
// the nine fixed directories of the tray tree. Creation outcomes are ignored:
// an existing directory or a denied one neither stops the steps nor changes
// the result.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "trays/bandejas.h"

namespace torvex {

namespace {

// The tray tree, in creation order: a parent always before its child.
constexpr std::string_view kBandejas[] = {
    "/BIN",    "/DATA",         "/DATA/DIARIO", "/INTRAY", "/INTRAY/WORK",
    "/OUTTRAY", "/OUTTRAY/WORK", "/TMP",         "/WORK",
};

constexpr size_t kMaiorBandeja =
    std::max_element(std::begin(kBandejas), std::end(kBandejas),
                     [](std::string_view a, std::string_view b) { return a.size() < b.size(); })
        ->size();

// 1 for "a"/"A" to 26 for "z"/"Z"; 0 for anything else.
int numeroDrive(char letra) {
  if (letra >= 'a' && letra <= 'z') return letra - 'a' + 1;
  if (letra >= 'A' && letra <= 'Z') return letra - 'A' + 1;
  return 0;
}

// Cuts P at each "/" from its fourth character on, then takes it whole: a "/"
// right after the colon is never a cut point, so "C:" alone creates nothing.
void criaCaminhoDaRaiz(char* p) {
  for (size_t i = 3;; ++i) {
    if (p[i] == '\0') {
      platform().createDirectory(p);
      return;
    }
    if (p[i] == '/') {
      p[i] = '\0';
      platform().createDirectory(p);
      p[i] = '/';
    }
  }
}

}  // namespace

LONG criaInfraEstrutura(const char* raiz) {
  constexpr LONG kFalha = 1;
  size_t tamanho = std::strlen(raiz);
  // Every tray name must fit behind the root, or nothing is created at all.
  if (tamanho + kMaiorBandeja >= kTamanhoCaminho) return kFalha;
  if (tamanho < 2 || raiz[1] != ':') return kFalha;
  int drive = numeroDrive(raiz[0]);
  if (drive == 0 || !platform().setCurrentDrive(drive)) return kFalha;

  if (tamanho > 2) {
    char p[kTamanhoCaminho];
    copia(p, sizeof p, raiz);
    criaCaminhoDaRaiz(p);
  }
  for (std::string_view bandeja : kBandejas) {
    char diretorio[kTamanhoCaminho];
    formata(diretorio, sizeof diretorio, "%s%.*s", raiz, static_cast<int>(bandeja.size()),
            bandeja.data());
    platform().createDirectory(diretorio);
  }
  return 0;
}

}  // namespace torvex
