#include "download/troca_extensao.h"

#include <cstring>

namespace torvex {

bool trocaExtensao(char* caminho, size_t capacidade, const char* extensao) {
  char* ponto = std::strrchr(caminho, '.');
  if (!ponto) return false;
  size_t base = static_cast<size_t>(ponto - caminho) + 1;
  size_t tamanho = std::strlen(extensao);
  if (base + tamanho >= capacidade) return false;
  std::memcpy(caminho + base, extensao, tamanho + 1);
  return true;
}

}  // namespace torvex
