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

}  // namespace

BatchLimits& batchLimits() {
  static BatchLimits limits;
  return limits;
}

TraySession::TraySession(const char* raiz) {
  char trava[kTamanhoCaminho];
  if (!caminhoTrava(raiz, trava)) return;
  lock_ = File(trava, OpenMode::Append);
  if (!lock_ || !lock_.lock() || !journal_.open(raiz)) {
    // A journal that exists but cannot be opened is not "no tree".
    char diario[kTamanhoCaminho];
    if (lock_ && caminhoDiario(raiz, diario) && pathExists(diario)) state_ = SessionState::Blocked;
    return;
  }
  state_ = SessionState::Blocked;
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
