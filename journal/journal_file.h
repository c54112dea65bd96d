// The journal file of a tray tree ("DATA/TORVEX.JNL"): the plan of the batch
// under way, written and synced before its first step runs, then a mark per
// finished barrier and per abandoned item. Empty when no batch is under way.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/file.h"

namespace torvex {

// Every step can be run again after a crash and then does only what the
// interrupted run had not done yet.
enum class Op : char {
  Reserve = 'R',       // a -> b: the archive leaves the listing
  Unreserve = 'U',     // b -> a again, for an abandoned delivery
  Move = 'M',          // a -> b, a name that did not exist
  Replace = 'S',       // a over b
  Append = 'A',        // a's bytes after the first n bytes of b
  Delete = 'D',        // a, when it exists; a failure is not an error
  Publish = 'P',       // a over b, when a still exists
  DropOld = 'Q',       // b, when a (its successor) still exists
  Retire = 'T',        // source a deleted (b empty) or moved to b, if still n bytes, last written m
  Record = 'C',        // a download record: stamp a, archive b, final path c, data file d, time n
  WriteRecords = 'W',  // the live items' records into control file a, after its first n bytes
  Barrier = 'B',       // everything changed so far made durable; n = 1: marked in the journal
};

struct Step {
  Op op = Op::Barrier;
  long item = -1;     // the packing or delivery it belongs to; -1: the whole batch
  bool undo = false;  // run only when its item is abandoned
  int64_t n = 0, m = 0;
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

struct Plan {
  std::vector<Step> steps;
  std::set<long> abandoned;  // items given up, their undo steps run
  size_t resumeAt = 0;       // the step after the last marked barrier
};

class Journal {
 public:
  // Opens the journal of the tree at `raiz`, creating it durably when missing.
  bool open(const char* raiz);
  // The plan an interrupted call left, with its marks. False when the
  // journal holds none (a plan torn while it was written never started).
  bool read(Plan& plan);
  bool commit(const Plan& plan);
  bool mark(char kind, long value);  // 'K' barrier index done, 'X' item abandoned
  bool clear();

 private:
  File file_;
  uint64_t end_ = 0;
};

}  // namespace torvex
