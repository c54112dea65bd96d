#include "journal/plan.h"

#include <string_view>

#include "download/anexa_arquivo.h"
#include "download/controle_download.h"
#include "journal/durable_set.h"
#include "platform/file.h"
#include "upload/substitui_arquivo.h"

namespace torvex {
namespace {

bool exists(const std::string& path) { return pathExists(path.c_str()); }

bool sameContents(const std::string& x, const std::string& y) {
  File a(x.c_str(), OpenMode::Read), b(y.c_str(), OpenMode::Read);
  if (!a || !b || a.size() != b.size()) return false;
  char ba[4096], bb[4096];
  for (;;) {
    long na = a.read(ba, sizeof ba), nb = b.read(bb, sizeof bb);
    if (na < 0 || na != nb) return false;
    if (na == 0) return true;
    if (std::string_view(ba, static_cast<size_t>(na)) != std::string_view(bb, static_cast<size_t>(na))) {
      return false;
    }
  }
}

// The source of a packed file still is the file that was packed.
bool unchanged(const Step& s) {
  DirSearch found(s.a.c_str());
  return found.found() && static_cast<int64_t>(found.entry().size) == s.n &&
         found.entry().lastWriteTime == s.m;
}

class Runner {
 public:
  Runner(Journal& journal, Plan& plan, bool recovering)
      : journal_(journal), plan_(plan), recovering_(recovering) {}

  bool run() {
    // Items given up before the crash: their undo may have been cut short.
    for (long item : plan_.abandoned) undo(item);
    for (size_t i = plan_.resumeAt; i < plan_.steps.size(); ++i) {
      const Step& s = plan_.steps[i];
      if (s.undo || plan_.abandoned.count(s.item)) continue;
      if (s.op == Op::Barrier) {
        if (!touched_.flush()) return false;
        if (s.n == 1 && !journal_.mark('K', static_cast<long>(i))) return false;
        continue;
      }
      if (step(s)) continue;
      if (s.item < 0 || !journal_.mark('X', s.item)) return false;
      plan_.abandoned.insert(s.item);
      undo(s.item);
    }
    return touched_.flush() && journal_.clear();
  }

 private:
  void undo(long item) {
    for (const Step& s : plan_.steps) {
      if (s.undo && s.item == item) step(s);
    }
  }

  bool step(const Step& s) {
    Platform& p = platform();
    switch (s.op) {
      case Op::Reserve:
        touched_.arrival(s.b);
        if (!recovering_) return p.replaceFile(s.a.c_str(), s.b.c_str());
        return exists(s.b) || !exists(s.a) || p.moveFile(s.a.c_str(), s.b.c_str());
      case Op::Unreserve:
        touched_.arrival(s.b);
        if (exists(s.a) && !exists(s.b)) p.moveFile(s.a.c_str(), s.b.c_str());
        return true;
      case Op::Move:
        touched_.departure(s.a);
        touched_.arrival(s.b);
        if (recovering_ && !exists(s.a)) return true;
        if (recovering_ && exists(s.b)) {
          // Both names survived a power cut: the move had been made.
          return sameContents(s.a, s.b) && p.deleteFile(s.a.c_str());
        }
        return p.moveFile(s.a.c_str(), s.b.c_str());
      case Op::Replace:
        touched_.departure(s.a);
        touched_.arrival(s.b);
        if (recovering_ && !exists(s.a)) return true;
        return p.replaceFile(s.a.c_str(), s.b.c_str());
      case Op::Append:
        return append(s);
      case Op::Delete:
        touched_.departure(s.a);
        p.deleteFile(s.a.c_str());  // one already gone is as good
        return true;
      case Op::Publish:
        touched_.arrival(s.b);
        // Only a run again after a crash can find the temporary name gone.
        return (recovering_ && !exists(s.a)) || p.replaceFile(s.a.c_str(), s.b.c_str());
      case Op::DropOld:
        touched_.departure(s.b);
        if (exists(s.a) && exists(s.b)) p.deleteFile(s.b.c_str());
        return true;
      case Op::Retire:
        touched_.departure(s.a);
        if (!s.b.empty()) touched_.arrival(s.b);
        if (unchanged(s)) {
          if (s.b.empty()) {
            p.deleteFile(s.a.c_str());
          } else {
            substituiArquivo(s.a.c_str(), s.b.c_str());
          }
        }
        return true;
      case Op::WriteRecords:
        return writeRecords(s);
      case Op::Record:
      case Op::Barrier:
        return true;
    }
    return false;
  }

  bool append(const Step& s) {
    touched_.file(s.b);
    if (recovering_) {
      if (!exists(s.a)) return true;  // deleted only once the append was durable
      File target(s.b.c_str(), OpenMode::ReadWrite);
      if (target && target.size() > s.n && !target.truncate(static_cast<uint64_t>(s.n))) {
        return false;
      }
    }
    uint64_t before = 0;
    return anexaArquivo(s.a.c_str(), s.b.c_str(), before) == kAnexoFeito;
  }

  // The records of every delivered item, in one write after the control
  // file's length at planning, so a run repeated after a crash writes them
  // once. The time is the archive's, or the data file's when it is still
  // there (its delete after an append failed).
  bool writeRecords(const Step& w) {
    std::string text;
    for (const Step& r : plan_.steps) {
      if (r.op != Op::Record || plan_.abandoned.count(r.item)) continue;
      DirSearch left(r.d.c_str());
      const int64_t when = left.found() ? left.entry().lastWriteTime : r.n;
      text += montaRegistro(r.a.c_str(), r.b.c_str(), r.c.c_str(), platform().toLocalTime(when));
    }
    if (text.empty()) return true;
    touched_.file(w.a);
    ControleDownload control;
    if (!control.abre(w.a.c_str())) return false;
    if (control.retomaEm(static_cast<uint64_t>(w.n)) && control.grava(text)) return true;
    control.abandona();
    return false;
  }

  Journal& journal_;
  Plan& plan_;
  bool recovering_;
  DurableSet touched_;
};

}  // namespace

bool runPlan(Journal& journal, Plan& plan, bool recovering) {
  return Runner(journal, plan, recovering).run();
}

bool commitAndRun(Journal& journal, Plan& plan) {
  if (!journal.commit(plan)) return false;
  if (runPlan(journal, plan, false)) return true;
  Plan again;
  return journal.read(again) && runPlan(journal, again, true);
}

}  // namespace torvex
