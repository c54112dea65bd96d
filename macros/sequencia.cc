#include "macros/sequencia.h"

#include <cstdio>
#include <cstring>

#include "conventions/conventions.h"
#include "platform/file.h"

namespace torvex {

bool caminhoExiste(const char* caminho) { return pathExists(caminho); }

void resolveSequencia(char* nome, const char* maiuscula, const char* minuscula, int digitos) {
  char* lugar = std::strstr(nome, maiuscula);
  if (lugar == nullptr) lugar = std::strstr(nome, minuscula);
  if (lugar == nullptr) return;

  const size_t tamanhoMacro = std::strlen(maiuscula);
  char* resto = lugar + tamanhoMacro;
  std::memmove(lugar + digitos, resto, std::strlen(resto) + 1);
  normalizaPath(nome);

  int maior = 1;
  for (int i = 0; i < digitos; ++i) maior *= 10;
  --maior;
  for (int n = 0; n <= maior; ++n) {
    char numero[4];
    std::snprintf(numero, sizeof numero, "%0*d", digitos, n);
    std::memcpy(lugar, numero, static_cast<size_t>(digitos));
    if (!caminhoExiste(nome)) return;
  }
}

}  // namespace torvex
