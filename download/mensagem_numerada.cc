#include "download/mensagem_numerada.h"

#include <cstring>

#include "conventions/conventions.h"
#include "platform/file.h"

namespace torvex {
namespace {

int32_t leContador(const char* caminho) {
  File contador(caminho, OpenMode::Read);
  if (!contador) return 0;
  unsigned char bytes[4];
  size_t lidos = 0;
  while (lidos < sizeof bytes) {
    long n = contador.read(bytes + lidos, sizeof bytes - lidos);
    if (n <= 0) return 0;
    lidos += static_cast<size_t>(n);
  }
  return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                              static_cast<uint32_t>(bytes[2]) << 16 |
                              static_cast<uint32_t>(bytes[3]) << 24);
}

void gravaContador(const char* caminho, int32_t numero) {
  uint32_t valor = static_cast<uint32_t>(numero);
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(valor), static_cast<unsigned char>(valor >> 8),
      static_cast<unsigned char>(valor >> 16), static_cast<unsigned char>(valor >> 24)};
  File contador(caminho, OpenMode::Write);
  if (contador) contador.writeAll(bytes, sizeof bytes);
}

}  // namespace

int32_t proximaSequencia(const char* raiz) {
  char caminho[kTamanhoCaminho];
  if (!formata(caminho, sizeof caminho, "%s%s/%s", raiz, "/DATA", "SEQPOST.DAT")) return 0;
  int32_t ultimo = leContador(caminho);
  int32_t novo = (ultimo < 0 || ultimo >= kUltimaMensagem) ? 1 : ultimo + 1;
  gravaContador(caminho, novo);
  return novo;
}

bool geraNomeMensagem(const char* destino, const char* raiz, char* saida) {
  char diretorio[kTamanhoCaminho];
  if (!copia(diretorio, sizeof diretorio, destino)) return false;
  normalizaPath(diretorio);
  char* barra = std::strrchr(diretorio, '/');
  if (barra) {
    *barra = '\0';
  } else {
    diretorio[0] = '\0';
  }
  for (int32_t tentativa = 0; tentativa < kUltimaMensagem; ++tentativa) {
    int32_t numero = proximaSequencia(raiz);
    if (numero == 0) return false;
    char nome[16];
    if (!formata(nome, sizeof nome, "M%05ld.%s", static_cast<long>(numero), "QVX")) return false;
    if (!formata(saida, kTamanhoCaminho, "%s/%s", diretorio, nome)) return false;
    if (!pathExists(saida)) return true;
  }
  saida[0] = '\0';
  return false;
}

}  // namespace torvex
