#include "download/mensagem_numerada.h"

#include <cstring>

#include "component/conventions.h"
#include "platform/file.h"

namespace torvex {
namespace {

void gravaContador(const char* caminho, int32_t numero) {
  uint32_t valor = static_cast<uint32_t>(numero);
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(valor), static_cast<unsigned char>(valor >> 8),
      static_cast<unsigned char>(valor >> 16), static_cast<unsigned char>(valor >> 24)};
  File contador(caminho, OpenMode::Write);
  if (contador) contador.writeAll(bytes, sizeof bytes);
}

}  // namespace

bool caminhoContador(const char* raiz, char (&caminho)[kTamanhoCaminho]) {
  return formata(caminho, sizeof caminho, "%s%s/%s", raiz, "/DATA", "SEQPOST.DAT");
}

bool leContador(const char* caminho, int32_t& ultimo) {
  ultimo = 0;
  File contador(caminho, OpenMode::Read);
  if (!contador) return false;
  unsigned char bytes[4];
  size_t lidos = 0;
  while (lidos < sizeof bytes) {
    long n = contador.read(bytes + lidos, sizeof bytes - lidos);
    if (n <= 0) return false;
    lidos += static_cast<size_t>(n);
  }
  ultimo = static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                                static_cast<uint32_t>(bytes[2]) << 16 |
                                static_cast<uint32_t>(bytes[3]) << 24);
  return true;
}

int32_t sucessorSequencia(int32_t ultimo) {
  return (ultimo < 0 || ultimo >= kUltimaMensagem) ? 1 : ultimo + 1;
}

int32_t proximaSequencia(const char* raiz) {
  char caminho[kTamanhoCaminho];
  if (!caminhoContador(raiz, caminho)) return 0;
  int32_t ultimo = 0;
  leContador(caminho, ultimo);
  int32_t novo = sucessorSequencia(ultimo);
  gravaContador(caminho, novo);
  return novo;
}

Numeracao& numeracaoDoDisco() {
  static Numeracao disco;
  return disco;
}

bool geraNomeMensagem(const char* destino, const char* raiz, char* saida, Numeracao& numeracao) {
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
    int32_t numero = numeracao.proxima(raiz);
    if (numero == 0) return false;
    char nome[16];
    if (!formata(nome, sizeof nome, "M%05ld.%s", static_cast<long>(numero), "QVX")) return false;
    if (!formata(saida, kTamanhoCaminho, "%s/%s", diretorio, nome)) return false;
    if (!numeracao.existe(saida)) return true;
  }
  saida[0] = '\0';
  return false;
}

}  // namespace torvex
