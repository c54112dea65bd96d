#include "journal/bookkeeping.h"

#include <cstring>
#include <string>

namespace torvex {
namespace {

bool identity(const std::string& path, FileIdentity& id) {
  return platform().fileIdentity(path.c_str(), id);
}

std::string joined(const std::string& root, const char* dir, const char* name) {
  std::string path;
  path.append(root).append(dir);
  if (name) path.append("/").append(name);
  return path;
}

}  // namespace

bool caminhoTrava(const char* raiz, char (&saida)[kTamanhoCaminho]) {
  return formata(saida, sizeof saida, "%s%s", raiz, "/DATA/TORVEX.LCK");
}

bool caminhoDiario(const char* raiz, char (&saida)[kTamanhoCaminho]) {
  return formata(saida, sizeof saida, "%s%s", raiz, "/DATA/TORVEX.JNL");
}

bool caminhoPrivado(const char* raiz, char (&saida)[kTamanhoCaminho]) {
  return formata(saida, sizeof saida, "%s%s", raiz, "/DATA/TORVEX.TMP");
}

BookkeepingFiles::BookkeepingFiles(const char* raiz) : root_(raiz) {
  for (Own& own : own_) {
    FileIdentity id;
    if (identity(joined(root_, own.dir, nullptr), id)) own.dirId = id;
  }
}

const FileIdentity* BookkeepingFiles::fileOf(Own& own) {
  FileIdentity id;
  if (!own.fileId && own.name && identity(joined(root_, own.dir, own.name), id)) own.fileId = id;
  return own.fileId ? &*own.fileId : nullptr;
}

bool BookkeepingFiles::includes(const char* caminho) {
  // An existing file: compare it with each bookkeeping file that exists.
  FileIdentity target;
  if (identity(caminho, target)) {
    for (Own& own : own_) {
      const FileIdentity* id = fileOf(own);
      if (id && *id == target) return true;
    }
  }
  // Otherwise by its directory and name, which also covers files to come.
  const char* slash = std::strrchr(caminho, '/');
  std::string dir = ".";
  if (slash == caminho) {
    dir = "/";
  } else if (slash) {
    dir.assign(caminho, static_cast<size_t>(slash - caminho));
  }
  const std::string name = dobraCaixa(slash ? slash + 1 : caminho);
  FileIdentity parent;
  if (!identity(dir, parent)) return false;
  for (const Own& own : own_) {
    if ((!own.name || name == own.name) && own.dirId && *own.dirId == parent) return true;
  }
  return false;
}

}  // namespace torvex
