// Running a committed plan, the first time or again after a crash.
#pragma once

#include <cstddef>
#include <set>
#include <string>

#include "journal/journal_file.h"

namespace torvex {

struct RunReport {
  size_t recorded = 0;  // items of finished plans whose fragment stands written
};

// Runs the steps of `plan` from plan.resumeAt (steps carried over from an
// earlier call always), then ends the plan in the journal, keeping the steps
// that could not be done yet. `recovering` makes each step first check what
// an interrupted run, or anyone else since, left. A step of an item that
// fails gives the item up: the journal marks it, its undo steps run, and its
// remaining steps are passed over. False when a step of the whole batch
// failed; the journal then keeps the plan for the next call.
bool runPlan(Journal& journal, Plan& plan, bool recovering, RunReport* report = nullptr);

// What running `plan` again (at the start of the next call) would do,
// foreseen by reading only: the items it will give up, and the file on
// which a step of the whole batch fails, so that the plan stays in the
// journal and every call that changes the tree fails until it is mended.
struct RunForecast {
  std::set<long> givenUp;
  std::string blockedBy;  // empty when the plan can be finished
};
RunForecast forecastRun(const Plan& plan);

// Commits `plan` to the journal and runs it. When a step fails on the way,
// the plan is run once more as after a crash, so a passing failure leaves
// nothing for the next call. False when it still could not be finished.
bool commitAndRun(Journal& journal, Plan& plan);

}  // namespace torvex
