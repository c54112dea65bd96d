#include "upload/procura_arquivo.h"

#include <cstring>

namespace torvex {

size_t filtroTamanho(const char* padrao) {
  if (!std::strchr(padrao, '?') || std::strchr(padrao, '*')) return 0;
  const char* barra = std::strrchr(padrao, '/');
  return std::strlen(barra ? barra + 1 : padrao);
}

const char* ProcuraArquivo::proximo() {
  for (bool segue = busca_.found() && (std::exchange(primeiro_, false) || busca_.next()); segue;
       segue = busca_.next()) {
    const DirEntry& e = busca_.entry();
    if (e.name == "." || e.name == ".." || (e.attributes & kAttrDirectory)) continue;
    if (filtro_ != 0 && e.name.size() != filtro_) continue;
    return e.name.c_str();
  }
  return nullptr;
}

}  // namespace torvex
