#include "journal/plan.h"

#include "journal/durable_set.h"
#include "journal/file_steps.h"

namespace torvex {
namespace {

// Whether a run again takes step i: steps before the last mark are done
// (those carried over from an earlier call are retried all the same), undo
// steps run only for an item given up, and such an item's steps no more.
bool runsAgain(const Plan& plan, size_t i) {
  const Step& s = plan.steps[i];
  return (i >= plan.resumeAt || s.pending) && !s.undo && !plan.abandoned.count(s.item);
}

class Runner {
 public:
  Runner(Journal& journal, Plan& plan, bool recovering)
      : journal_(journal), plan_(plan), recovering_(recovering) {}

  bool run() {
    // Items given up before the crash: their undo may have been cut short.
    for (long item : plan_.abandoned) undo(item);
    for (size_t i = 0; i < plan_.steps.size(); ++i) {
      const Step& s = plan_.steps[i];
      if (!runsAgain(plan_, i)) continue;
      if (s.op == Op::Barrier) {
        if (!touched_.flush()) return false;
        if (s.n == 1 && !journal_.mark('K', static_cast<long>(i))) return false;
        continue;
      }
      switch (step(s, recovering_ || s.pending)) {
        case StepResult::Done:
          break;
        case StepResult::Later:
          carried_.push_back(s);
          break;
        case StepResult::Failed:
          if (s.item < 0 || !journal_.mark('X', s.item)) return false;
          plan_.abandoned.insert(s.item);
          undo(s.item);
          break;
      }
    }
    if (!touched_.flush() || !journal_.finish(std::move(carried_))) return false;
    for (const Step& s : plan_.steps) {
      if (s.op == Op::Write) recorded_ = liveFragments().size();
    }
    return true;
  }

  size_t recorded() const { return recorded_; }

 private:
  void undo(long item) {
    for (const Step& s : plan_.steps) {
      if (s.undo && s.item == item) step(s, true);
    }
  }

  StepResult step(const Step& s, bool verify) {
    switch (s.op) {
      case Op::Require: return requireStep(s, verify);
      case Op::Rename: return renameStep(s, verify, touched_);
      case Op::Append: return appendStep(s, verify, touched_);
      case Op::Copy: return copyStep(s, verify, touched_);
      case Op::CutBack: return cutBackStep(s, touched_);
      case Op::Delete: return deleteStep(s, verify, touched_);
      case Op::DropOld: return dropOldStep(s, touched_);
      case Op::Retire: return retireStep(s, touched_);
      case Op::Write: return writeStep(s, liveFragments(), verify, touched_);
      case Op::Fragment:
      case Op::Barrier:
        return StepResult::Done;
    }
    return StepResult::Failed;  // a step this version does not know
  }

  std::vector<const Step*> liveFragments() const {
    std::vector<const Step*> live;
    for (const Step& r : plan_.steps) {
      if (r.op == Op::Fragment && !plan_.abandoned.count(r.item)) live.push_back(&r);
    }
    return live;
  }

  Journal& journal_;
  Plan& plan_;
  bool recovering_;
  DurableSet touched_;
  std::vector<Step> carried_;
  size_t recorded_ = 0;
};

}  // namespace

bool runPlan(Journal& journal, Plan& plan, bool recovering, RunReport* report) {
  Runner runner(journal, plan, recovering);
  const bool done = runner.run();
  if (report) report->recorded += runner.recorded();
  return done;
}

RunForecast forecastRun(const Plan& plan) {
  RunForecast forecast;
  for (size_t i = 0; i < plan.steps.size(); ++i) {
    const Step& s = plan.steps[i];
    if (!runsAgain(plan, i) || forecast.givenUp.count(s.item) || !wouldFail(s)) continue;
    if (s.item < 0) {
      forecast.blockedBy = s.a;
      break;
    }
    forecast.givenUp.insert(s.item);
  }
  return forecast;
}

bool commitAndRun(Journal& journal, Plan& plan) {
  if (!journal.commit(plan)) return false;
  if (runPlan(journal, plan, false)) return true;
  Plan again;
  return journal.read(again) == JournalState::Plan && runPlan(journal, again, true);
}

}  // namespace torvex
