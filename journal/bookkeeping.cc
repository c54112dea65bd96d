#include "journal/bookkeeping.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/file.h"

namespace torvex {
namespace {

bool identity(const std::string& path, FileIdentity& id) {
  return platform().fileIdentity(path.c_str(), id);
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

bool caminhoSegundoNome(const char* raiz, char (&saida)[kTamanhoCaminho]) {
  return formata(saida, sizeof saida, "%s%s", raiz, "/DATA/TORVEX.TMP/CONTDOWN.LNK");
}

std::vector<FileIdentity> travaEDiario(const char* raiz) {
  std::vector<FileIdentity> ids;
  char caminho[kTamanhoCaminho];
  FileIdentity id;
  if (caminhoTrava(raiz, caminho) && identity(caminho, id)) ids.push_back(id);
  if (caminhoDiario(raiz, caminho) && identity(caminho, id)) ids.push_back(id);
  return ids;
}

bool BookkeepingFiles::Own::matches(const std::string& folded) const {
  switch (holds) {
    case Holds::Named:
      return folded == name;
    case Holds::Everything:
      return true;
    case Holds::Members:
      break;
  }
  const size_t dot = folded.rfind('.');
  return dot != std::string::npos && dot > 0 &&
         (folded.compare(dot, std::string::npos, ".arq") == 0 ||
          folded.compare(dot, std::string::npos, ".fn") == 0);
}

BookkeepingFiles::BookkeepingFiles(const char* raiz) : root_(raiz) {
  for (Own& own : own_) {
    FileIdentity id;
    if (identity(root_ + own.dir, id)) own.dirId = id;
  }
}

void BookkeepingFiles::list(const Own& own, std::vector<FileIdentity>& ids) const {
  const std::string dir = root_ + own.dir + "/";
  DirSearch search((dir + "*").c_str());
  if (!search.found()) return;
  do {
    const DirEntry& e = search.entry();
    FileIdentity id;
    const std::string folded = dobraCaixa(e.name);
    if (own.holds == Holds::Members && passedOver_.count(dobraCaixa(dir + e.name))) continue;
    if (!(e.attributes & kAttrDirectory) && own.matches(folded) &&
        !(own.unlisted && folded == own.unlisted) && identity(dir + e.name, id)) {
      ids.push_back(id);
    }
  } while (search.next());
}

// An existing file may be reached under a name outside the tree (a hard
// link, a link to a link): it is compared with every file standing in the
// tree's own places.
bool BookkeepingFiles::byIdentity(const FileIdentity& target) {
  if (!standing_) {
    standing_.emplace();
    for (const Own& own : own_) {
      if (own.holds != Holds::Members) list(own, *standing_);
    }
  }
  std::vector<FileIdentity> ids = *standing_;
  for (const Own& own : own_) {
    if (own.holds == Holds::Members) list(own, ids);
  }
  return std::find(ids.begin(), ids.end(), target) != ids.end();
}

bool BookkeepingFiles::includes(const char* caminho) {
  FileIdentity target;
  if (identity(caminho, target) && byIdentity(target)) return true;
  // By its directory and name, which also covers files to come.
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
    if (own.dirId && *own.dirId == parent && own.matches(name)) return true;
  }
  return false;
}

}  // namespace torvex
