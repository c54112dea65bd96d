#include "upload/gravacao_duravel.h"

#include "platform/file.h"

namespace torvex {

bool sincronizaArquivo(const char* caminho) {
  // Read-write, because Windows flushes a file only through a handle that
  // may write it.
  File f(caminho, OpenMode::ReadWrite);
  return f && f.sync() && f.close();
}

bool publicaArquivo(const char* temporario, const char* definitivo, const char* diretorio) {
  return platform().replaceFile(temporario, definitivo) && platform().syncDirectory(diretorio);
}

bool removeDuravel(const char* caminho, const char* diretorio) {
  if (!pathExists(caminho)) return true;
  return platform().deleteFile(caminho) && platform().syncDirectory(diretorio);
}

}  // namespace torvex
