#include "upload/substitui_arquivo.h"

#include <cstring>

#include "platform/platform.h"

namespace torvex {

void substituiArquivo(const char* origem, const char* destino) {
  // Delete, then move (not an atomic replace): a move may cross drives.
  platform().deleteFile(destino);
  if (std::strcmp(origem, destino) != 0) platform().moveFile(origem, destino);
}

}  // namespace torvex
