// The files a tray tree keeps for itself, which no received archive may
// overwrite: the control file, the message counter, the lock and the journal,
// and anything in the incoming work area.
#pragma once

#include <optional>
#include <string>

#include "conventions/conventions.h"
#include "platform/platform.h"

namespace torvex {

// R + "/DATA/TORVEX.LCK" and R + "/DATA/TORVEX.JNL"; false when they do not fit.
bool caminhoTrava(const char* raiz, char (&saida)[kTamanhoCaminho]);
bool caminhoDiario(const char* raiz, char (&saida)[kTamanhoCaminho]);
// R + "/DATA/TORVEX.TMP": the folder where a call makes files before a plan
// publishes them. Everything in it is the tree's own scratch.
bool caminhoPrivado(const char* raiz, char (&saida)[kTamanhoCaminho]);

// The bookkeeping files of the tree at `raiz`, for one pass: their
// identities and their directories' are looked up once (the files are
// written in place, so an identity found stays true), a file still missing
// each time it is asked about.
class BookkeepingFiles {
 public:
  explicit BookkeepingFiles(const char* raiz);

  // True when `caminho` names, or would create, one of them. Judged by file
  // identity, so other spellings, links and letter case are seen through.
  bool includes(const char* caminho);

 private:
  struct Own {
    const char* dir;
    const char* name;  // null: everything in the directory
    std::optional<FileIdentity> dirId, fileId;
  };
  const FileIdentity* fileOf(Own& own);

  std::string root_;
  Own own_[6] = {
      {"/Outtray", "contdown.dat", {}, {}}, {"/DATA", "seqpost.dat", {}, {}},
      {"/DATA", "torvex.lck", {}, {}},      {"/DATA", "torvex.jnl", {}, {}},
      {"/Intray/Work", nullptr, {}, {}},    {"/DATA/TORVEX.TMP", nullptr, {}, {}},
  };
};

}  // namespace torvex
