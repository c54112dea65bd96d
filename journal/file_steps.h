// The steps of a plan, one function each. A step run with `verify` (again
// after a crash, or as an undo) first finds out what stands: it acts only on
// files holding the bytes it names, and reports done only where its result
// provably stands, never from a name's absence alone.
#pragma once

#include <string>
#include <vector>

#include "journal/durable_set.h"
#include "journal/journal_file.h"

namespace torvex {

enum class StepResult {
  Done,
  Failed,  // its item is given up (or, for the whole batch, the plan stops)
  Later,   // not possible now (a file held open): carried over to later calls
};

StepResult requireStep(const Step& s, bool verify);
StepResult renameStep(const Step& s, bool verify, DurableSet& touched);
StepResult copyStep(const Step& s, bool verify, DurableSet& touched);
StepResult appendStep(const Step& s, bool verify, DurableSet& touched);
StepResult cutBackStep(const Step& s, DurableSet& touched);
StepResult deleteStep(const Step& s, bool verify, DurableSet& touched);
StepResult dropOldStep(const Step& s, DurableSet& touched);
StepResult retireStep(const Step& s, DurableSet& touched);
// `fragments`: the Fragment steps of the items still live.
StepResult writeStep(const Step& s, const std::vector<const Step*>& fragments, bool verify,
                     DurableSet& touched);

// A file's identity as a Write step states it; empty when it does not exist.
std::string identityText(const char* path);

// Whether a rename takes `file` to `target`: `target`'s folder is on
// `file`'s volume. False when either volume cannot be told (a copy places
// the bytes as safely on one volume).
bool renameReaches(const std::string& file, const std::string& target);
// The same for a file whose identity was just read.
bool renameReaches(const FileIdentity& file, const std::string& target);

// Whether a file can be opened to append to: a writable file, or a name
// that can be made in an existing directory.
bool canAppendTo(const char* path);

// Whether `s`, run again now after a crash, would fail: the checks the step
// itself makes on a run again, by reading only, for a report of what the
// next call will do. A move or a write that the system refuses for a reason
// no file shows (a full disk, a file held open) is not foreseen.
bool wouldFail(const Step& s);

}  // namespace torvex
