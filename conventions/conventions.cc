#include "conventions/conventions.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace torvex {

void normalizaPath(char* caminho) {
  for (char* p = caminho; *p; ++p) {
    if (*p == '\\' || *p == '(') *p = '/';
  }
}

bool formata(char* saida, size_t capacidade, const char* formato, ...) {
  va_list args;
  va_start(args, formato);
  int n = std::vsnprintf(saida, capacidade, formato, args);
  va_end(args);
  if (n < 0 || static_cast<size_t>(n) >= capacidade) {
    if (capacidade > 0) saida[0] = '\0';
    return false;
  }
  return true;
}

bool copia(char* saida, size_t capacidade, const char* origem) {
  size_t n = std::strlen(origem);
  if (n >= capacidade) {
    if (capacidade > 0) saida[0] = '\0';
    return false;
  }
  std::memcpy(saida, origem, n + 1);
  return true;
}

std::string dobraCaixa(std::string_view nome) {
  std::string dobrado(nome);
  for (char& c : dobrado) {
    auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
      b = static_cast<unsigned char>(b + 0x20);
    } else if (b == 0x8A || b == 0x8C || b == 0x8E) {  // Š Œ Ž
      b = static_cast<unsigned char>(b + 0x10);
    } else if (b == 0x9F) {  // Ÿ
      b = 0xFF;
    }
    c = static_cast<char>(b);
  }
  return dobrado;
}

void formataDataHora(const LocalTime& t, char (&saida)[kTamanhoDataHora]) {
  // Fields out of their calendar range would widen the text; clamp them so
  // the 19 characters always hold.
  auto limita = [](int v, int hi) { return v < 0 ? 0 : (v > hi ? hi : v); };
  std::snprintf(saida, sizeof saida, "%02d/%02d/%04d %02d:%02d:%02d", limita(t.day, 99),
                limita(t.month, 99), limita(t.year, 9999), limita(t.hour, 99),
                limita(t.minute, 99), limita(t.second, 99));
}

}  // namespace torvex
