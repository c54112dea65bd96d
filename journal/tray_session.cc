#include "journal/tray_session.h"

#include <string>
#include <vector>

#include "journal/bookkeeping.h"
#include "journal/plan.h"

namespace torvex {
namespace {

// Deletes the files of `dir` that `pattern` lists and whose name ends in
// `suffix` (the search's own matching is looser than that).
void deleteListed(const std::string& dir, const char* pattern, std::string_view suffix) {
  std::vector<std::string> found;
  {
    DirSearch search((dir + pattern).c_str());
    if (!search.found()) return;
    do {
      const DirEntry& e = search.entry();
      if (!(e.attributes & kAttrDirectory) && dobraCaixa(e.name).ends_with(suffix)) {
        found.push_back(e.name);
      }
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
  if (access == TrayAccess::Change || planPending(diario)) {
    if (!journal_.open(raiz)) return;
    Plan plan;
    if (journal_.read(plan)) {
      if (!runPlan(journal_, plan, true)) return;
    } else if (!journal_.clear()) {
      return;
    }
  }
  removeScratch(raiz);
  ready_ = true;
}

// Under the lock nobody else is making these, and no plan names them any
// more: half-made archives and records, the archive library's scratch files,
// and reserved archives whose delete after delivery failed.
void TraySession::removeScratch(const char* raiz) {
  const std::string root(raiz);
  deleteListed(root + "/Outtray/Work/", "*.tmp", ".tmp");  // the library's ARJ$n.TMP too
  deleteListed(root + "/Intray/", "ARJ$*.TMP", ".tmp");
  deleteListed(root + "/Intray/Work/", "*.ENTREGA", ".entrega");
}

}  // namespace torvex
