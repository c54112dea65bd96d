// The files a tray tree's own machinery uses, which no received archive may
// overwrite or append to: the control file, everything in DATA (the message
// counter, the lock, the journal), everything in both work areas (received
// archives, upload archives and records), and the members a pass extracts
// into the incoming tray and reads (any archive's ".ARQ" and ".FN").
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "conventions/conventions.h"
#include "platform/platform.h"

namespace torvex {

// R + "/DATA/TORVEX.LCK" and R + "/DATA/TORVEX.JNL"; false when they do not fit.
bool caminhoTrava(const char* raiz, char (&saida)[kTamanhoCaminho]);
bool caminhoDiario(const char* raiz, char (&saida)[kTamanhoCaminho]);
// R + "/DATA/TORVEX.TMP": the folder where a call makes files before a plan
// publishes them. Everything in it is the tree's own scratch.
bool caminhoPrivado(const char* raiz, char (&saida)[kTamanhoCaminho]);
// R + "/DATA/TORVEX.TMP/CONTDOWN.LNK": a second name of the control file,
// kept while a pass writes its records, so that the call that finishes an
// interrupted pass can read what the host took should it delete the file.
bool caminhoSegundoNome(const char* raiz, char (&saida)[kTamanhoCaminho]);

// The identities of the lock and the journal of the tree at `raiz`, which a
// call holds open: a search for files to pack never yields them.
std::vector<FileIdentity> travaEDiario(const char* raiz);

// The bookkeeping files of the tree at `raiz`, for one pass: their
// directories' identities are looked up once. The identities of the files
// in DATA and the work areas are listed when an existing file is first asked
// about, and again after `forget` (a batch moves and deletes files there, and
// a number freed may be given to a file elsewhere); the few members in the
// incoming tray, which every archive replaces, are listed at each question.
class BookkeepingFiles {
 public:
  explicit BookkeepingFiles(const char* raiz);

  // True when `caminho` names, or would create, one of them. Judged by file
  // identity, so other spellings, links and letter case are seen through.
  bool includes(const char* caminho);
  // The tree's files have changed since the last question.
  void forget() { standing_.reset(); }
  // Folded paths of members a pending plan names: the call that finishes
  // the plan moves or deletes them before it extracts again, so a prediction
  // made before that counts no other name of theirs as ours.
  void passOverMembers(std::set<std::string> folded) { passedOver_ = std::move(folded); }

 private:
  enum class Holds { Named, Everything, Members };  // Members: any ".ARQ" or ".FN"
  struct Own {
    const char* dir;
    Holds holds;
    const char* name;  // for Named
    std::optional<FileIdentity> dirId;
    // A name of the folder whose file is not listed by identity: the control
    // file's second name names ContDown.dat or the file the host took, and
    // goes before any delivery, so it makes no other file ours.
    const char* unlisted = nullptr;
    bool matches(const std::string& folded) const;
  };
  bool byIdentity(const FileIdentity& target);
  void list(const Own& own, std::vector<FileIdentity>& ids) const;

  std::string root_;
  Own own_[6] = {
      {"/Outtray", Holds::Named, "contdown.dat", {}}, {"/Outtray/Work", Holds::Everything, {}, {}},
      {"/DATA", Holds::Everything, {}, {}},           {"/Intray/Work", Holds::Everything, {}, {}},
      {"/Intray", Holds::Members, {}, {}},            {"/DATA/TORVEX.TMP", Holds::Everything, {}, {}, "contdown.lnk"},
  };
  std::set<std::string> passedOver_;
  std::optional<std::vector<FileIdentity>> standing_;  // the files in them, once listed
};

}  // namespace torvex
