// What every call that changes a tray tree holds for its whole run: the
// tree's lock, taken first, then whatever an interrupted call planned is
// finished and the scratch it left is removed, before the call's own work.
#pragma once

#include "journal/journal_file.h"
#include "journal/plan.h"
#include "platform/file.h"

namespace torvex {

// How much one batch may hold: a crash redoes at most one batch, and every
// barrier of a batch is one sync for all of its files.
struct BatchLimits {
  size_t files = 256;
  uint64_t bytes = 16u << 20;
};
BatchLimits& batchLimits();

// What a call does with the tree: a change makes DATA when it is missing (a
// tree may be made by hand or by another tool) and its lock and journal
// there; a listing only waits for a writer and finishes its plan, and makes
// no file where there is nothing to recover.
enum class TrayAccess { Change, List };

enum class SessionState {
  Ready,
  NoTree,   // no lock or journal can be had (DATA cannot be made, or a listing found no lock)
  Blocked,  // the journal cannot be read, or its plan cannot be finished
};

class TraySession {
 public:
  // Waits for the lock of the tree at `raiz` (normalised).
  explicit TraySession(const char* raiz, TrayAccess access = TrayAccess::Change);
  TraySession(const TraySession&) = delete;
  TraySession& operator=(const TraySession&) = delete;

  // Anything but Ready: the call changes nothing and returns its failure value.
  SessionState state() const { return state_; }
  bool ready() const { return state_ == SessionState::Ready; }
  Journal& journal() { return journal_; }
  // What finishing an interrupted plan did, counted as this call's work.
  const RunReport& recovered() const { return recovered_; }

 private:
  void removeScratch(const char* raiz);
  File lock_;
  Journal journal_;
  SessionState state_ = SessionState::NoTree;
  RunReport recovered_;
};

}  // namespace torvex
