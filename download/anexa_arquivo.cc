#include "download/anexa_arquivo.h"

#include "platform/file.h"

namespace torvex {
namespace {

constexpr size_t kBloco = 512;

bool copiaBlocos(File& origem, File& destino) {
  char bloco[kBloco];
  for (;;) {
    long lidos = origem.read(bloco, sizeof bloco);
    if (lidos < 0) return false;
    if (lidos > 0 && !destino.writeAll(bloco, static_cast<size_t>(lidos))) return false;
    if (lidos != static_cast<long>(kBloco)) return true;
  }
}

bool mesmoArquivo(const char* a, const char* b) {
  FileIdentity ia, ib;
  return platform().fileIdentity(a, ia) && platform().fileIdentity(b, ib) && ia == ib;
}

}  // namespace

int anexaArquivo(const char* origem, const char* destino, uint64_t& tamanhoAnterior) {
  // A file appended to itself would grow for as long as it is read.
  if (mesmoArquivo(origem, destino)) return kAnexoNaoAbriu;
  File fonte(origem, OpenMode::Read);
  if (!fonte) return kAnexoNaoAbriu;
  File alvo(destino, OpenMode::Append);
  if (!alvo) return kAnexoNaoAbriu;
  int64_t tamanho = alvo.size();
  if (tamanho < 0) return kAnexoNaoAbriu;
  tamanhoAnterior = static_cast<uint64_t>(tamanho);
  // Synced before it counts as done: the caller deletes the only other copies
  // of these bytes afterwards.
  if (copiaBlocos(fonte, alvo) && alvo.sync()) return kAnexoFeito;
  alvo.truncate(tamanhoAnterior);
  alvo.sync();
  return kAnexoFalhou;
}

bool desfazAnexo(const char* destino, uint64_t tamanho) {
  File alvo(destino, OpenMode::ReadWrite);
  return alvo && alvo.truncate(tamanho) && alvo.sync();
}

}  // namespace torvex
