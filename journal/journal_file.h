// The journal file of a tray tree ("DATA/TORVEX.JNL"): the plan of the batch
// under way, written and synced before its first step runs, then a mark per
// finished barrier and per abandoned item. Every record carries its own
// length and checksum. Between calls it is empty, or holds only steps that
// could not be done yet and are retried by every later call.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "journal/digest.h"
#include "platform/file.h"

namespace torvex {

// Generic file steps. Each states what it expects to find (a size, a
// checksum, an offset) and checks it before acting when run again after a
// crash, so it never takes a missing name for work done.
enum class Op : char {
  Require = 'V',   // nothing, but its item is given up unless a (or b, where
                   // a later step moves it) holds `digest`
  Rename = 'R',    // a -> b (over b with `replace`); a holds `digest`; with
                   // `ifPresent`, neither name holding it is no failure
  Append = 'A',    // a (holding `digest`) after the first m bytes of b
  Copy = 'P',      // a (holding `digest`) copied to c, a name of ours beside b,
                   // synced, then renamed to b (over b with `replace`): a
                   // placement on another volume, where a rename cannot go
  CutBack = 'C',   // undo of an append: b back to m bytes, only over bytes of a
  Delete = 'D',    // a, when it still holds `digest` (any file when n < 0),
                   // unless file c exists
  DropOld = 'Q',   // b, while a still holds `digest` (a's older namesake)
  Fragment = 'F',  // bytes a for the next Write; b instead when file c exists
  Write = 'W',     // the live items' fragments into file a; m = its size at planning
                   // (-1: absent), c = its identity then; d = a second name of
                   // ours for that file, kept while the plan runs (empty: none)
  Retire = 'T',    // a deleted (b empty) or moved to b, while it is n bytes last
                   // written at m; on a first try only once c and d exist
  Barrier = 'B',   // everything changed so far made durable; n = 1: marked in the journal
};

struct Step {
  Op op = Op::Barrier;
  long item = -1;        // the packing or delivery it belongs to; -1: the whole batch
  bool undo = false;     // run only when its item is abandoned
  bool replace = false;  // Rename over an existing file
  bool ifPresent = false;  // Rename of a file whose going away is no failure
  bool pending = false;  // carried over from an earlier call: retried until done
  int64_t n = 0, m = 0;
  Digest digest;
  std::string a, b, c, d;
};

inline Step makeStep(Op op, long item, std::string a, std::string b = {}) {
  Step s;
  s.op = op;
  s.item = item;
  s.a = std::move(a);
  s.b = std::move(b);
  return s;
}

// A step that states the bytes it moves or places: their checksum and size.
inline Step withDigest(Step s, const Digest& d) {
  s.digest = d;
  s.n = static_cast<int64_t>(d.size);
  return s;
}

// A step run only when its item is given up.
inline Step asUndo(Step s) {
  s.undo = true;
  return s;
}

struct Plan {
  std::vector<Step> steps;
  std::set<long> abandoned;  // items given up, their undo steps run
  size_t resumeAt = 0;       // the step after the last marked barrier
};

// What the journal holds. An error (it cannot be read, or a record that was
// written whole no longer checks) is never taken for "nothing to do".
enum class JournalState { None, Plan, Error };

class Journal {
 public:
  // Opens the journal of the tree at `raiz`, creating it durably when missing.
  bool open(const char* raiz);
  // The plan an interrupted call left, with its marks. None when the journal
  // is empty or holds a plan torn while it was written (it never started).
  JournalState read(Plan& plan);
  // Writes `plan` with the steps still carried over in front of it.
  bool commit(Plan& plan);
  bool mark(char kind, long value);  // 'K' barrier index done, 'X' item abandoned
  // Ends the plan: the journal is emptied, or holds only `carried`, replaced
  // in one rename so that a crash keeps either the old plan or the new one.
  bool finish(std::vector<Step> carried);
  // Steps that could not be done yet (a source held open): later calls retry them.
  const std::vector<Step>& carried() const { return carried_; }

 private:
  bool write(const std::string& text);
  std::string path_;
  File file_;
  uint64_t end_ = 0;
  std::vector<Step> carried_;
};

// Reads the journal of the tree at `raiz` without changing anything, for a
// report: what a pending plan will do and which names it has drawn.
JournalState readJournal(const char* raiz, Plan& plan);

// The paths of every file the plan's steps read, move, write or delete,
// folded: files that must be left for the call that finishes it.
std::set<std::string> filesNamed(const Plan& plan);

}  // namespace torvex
