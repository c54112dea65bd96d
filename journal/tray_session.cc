#include "journal/tray_session.h"

#include <string>
#include <vector>

#include "journal/bookkeeping.h"

namespace torvex {
namespace {

// The archive library's scratch names: "ARJ$" and a number, ".TMP".
bool libraryScratch(const std::string& name) {
  const std::string folded = dobraCaixa(name);
  if (!folded.starts_with("arj$") || !folded.ends_with(".tmp") || folded.size() <= 8) return false;
  return folded.find_first_not_of("0123456789", 4) == folded.size() - 4;
}

// Deletes the files of `dir` (ending in "/") that `wanted` picks.
template <class Wanted>
void deleteListed(const std::string& dir, Wanted wanted) {
  std::vector<std::string> found;
  {
    DirSearch search((dir + "*").c_str());
    if (!search.found()) return;
    do {
      const DirEntry& e = search.entry();
      if (!(e.attributes & kAttrDirectory) && wanted(e.name)) found.push_back(e.name);
    } while (search.next());
  }
  for (const std::string& name : found) platform().deleteFile((dir + name).c_str());
}

// The journal is empty between calls.
bool planPending(const char* diario) {
  DirSearch journal(diario);
  return journal.found() && journal.entry().size != 0;
}

}  // namespace

BatchLimits& batchLimits() {
  static BatchLimits limits;
  return limits;
}

TraySession::TraySession(const char* raiz, TrayAccess access) {
  char trava[kTamanhoCaminho], diario[kTamanhoCaminho];
  if (!caminhoTrava(raiz, trava) || !caminhoDiario(raiz, diario)) return;
  if (access == TrayAccess::Change) {
    const std::string data = std::string(raiz) + "/DATA";
    if (platform().createDirectory(data.c_str())) platform().syncDirectory(raiz);
    lock_ = File(trava, OpenMode::Append);
  } else {
    // A writer makes the lock before anything else: none there, none running.
    lock_ = File(trava, OpenMode::Read);
  }
  if (!lock_ || !lock_.lock()) return;
  // From here on, a journal that exists but cannot be read or finished is
  // not "no tree": it blocks the call.
  state_ = SessionState::Blocked;
  if (access == TrayAccess::Change || planPending(diario)) {
    if (!journal_.open(raiz)) {
      if (!pathExists(diario)) state_ = SessionState::NoTree;
      return;
    }
    Plan plan;
    switch (journal_.read(plan)) {
      case JournalState::Error:
        return;
      case JournalState::Plan:
        if (!runPlan(journal_, plan, true, &recovered_)) return;
        break;
      case JournalState::None:
        if (!journal_.finish({})) return;  // a torn plan that never started
        break;
    }
  }
  removeScratch(raiz);
  state_ = SessionState::Ready;
}

// Under the lock nobody else is making these, and no plan names them any
// more: everything in the tree's private work folder (half-made archives and
// records, the archive library's scratch beside them) and the library's
// scratch files of an extraction in the incoming tray. Nothing else is
// taken by its name alone.
void TraySession::removeScratch(const char* raiz) {
  char privado[kTamanhoCaminho];
  if (caminhoPrivado(raiz, privado)) {
    deleteListed(std::string(privado) + "/", [](const std::string&) { return true; });
  }
  deleteListed(std::string(raiz) + "/Intray/", libraryScratch);
}

}  // namespace torvex
