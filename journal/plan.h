// Running a committed plan, the first time or again after a crash.
#pragma once

#include "journal/journal_file.h"

namespace torvex {

// Runs the steps of `plan` from plan.resumeAt, then clears the journal.
// `recovering` makes each step first look at what an interrupted run already
// did. A step of an item that fails gives the item up: the journal marks it,
// its undo steps run, and its remaining steps are passed over. False when a
// step of the whole batch failed; the journal then keeps the plan for the
// next call.
bool runPlan(Journal& journal, Plan& plan, bool recovering);

// Commits `plan` to the journal and runs it. When a step fails on the way,
// the plan is run once more as after a crash, so a passing failure leaves
// nothing for the next call. False when it still could not be finished.
bool commitAndRun(Journal& journal, Plan& plan);

}  // namespace torvex
