#include "upload/procura_arquivo.h"

#include <cstring>

#include "platform/file.h"

namespace torvex {

size_t filtroTamanho(const char* padrao) {
  if (!std::strchr(padrao, '?') || std::strchr(padrao, '*')) return 0;
  const char* barra = std::strrchr(padrao, '/');
  return std::strlen(barra ? barra + 1 : padrao);
}

NomesEncontrados procuraArquivo(const char* padrao, size_t filtro) {
  NomesEncontrados encontrados;
  DirSearch busca(padrao);
  if (!busca.found()) return encontrados;
  do {
    const DirEntry& e = busca.entry();
    if (e.name == "." || e.name == ".." || (e.attributes & kAttrDirectory)) continue;
    if (filtro != 0 && e.name.size() != filtro) continue;
    encontrados.adiciona(e.name);
  } while (busca.next());
  encontrados.encerra();
  return encontrados;
}

}  // namespace torvex
