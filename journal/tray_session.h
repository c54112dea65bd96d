// What every call that changes a tray tree holds for its whole run: the
// tree's lock, taken first, then whatever an interrupted call planned is
// finished and the scratch it left is removed, before the call's own work.
#pragma once

#include "journal/journal_file.h"
#include "platform/file.h"

namespace torvex {

// How much one batch may hold: a crash redoes at most one batch, and every
// barrier of a batch is one sync for all of its files.
struct BatchLimits {
  size_t files = 64;
  uint64_t bytes = 16u << 20;
};
BatchLimits& batchLimits();

// What a call does with the tree: a change makes DATA when it is missing (a
// tree may be made by hand or by another tool) and its lock and journal
// there; a listing only waits for a writer and finishes its plan, and makes
// no file where there is nothing to recover.
enum class TrayAccess { Change, List };

class TraySession {
 public:
  // Waits for the lock of the tree at `raiz` (normalised).
  explicit TraySession(const char* raiz, TrayAccess access = TrayAccess::Change);
  TraySession(const TraySession&) = delete;
  TraySession& operator=(const TraySession&) = delete;

  // False when the tree has no lock or journal (DATA cannot be made, or a
  // listing found no lock) or the interrupted work could not be finished:
  // the call then changes nothing.
  bool ready() const { return ready_; }
  Journal& journal() { return journal_; }

 private:
  void removeScratch(const char* raiz);
  File lock_;
  Journal journal_;
  bool ready_ = false;
};

}  // namespace torvex
