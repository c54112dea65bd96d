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

}  // namespace

int anexaArquivo(const char* origem, const char* destino, uint64_t& tamanhoAnterior) {
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
