// Running a plan: marks let a run again start after the last barrier, an
// item whose step fails is given up and undone, and steps that cannot be
// done yet are kept for later calls.
#include "journal/plan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "journal/tray_session.h"
#include "platform/scoped_platform.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

Step comDigesto(Step s, const std::string& bytes) {
  s.digest = {bytes.size(), checksum(bytes)};
  s.n = static_cast<int64_t>(bytes.size());
  return s;
}

class PlanRun : public ::testing::Test {
 protected:
  PlanRun() { arvore.mkdir("T/DATA"); }
  Journal& diario() {
    EXPECT_TRUE(journal_.open("C:/T"));
    return journal_;
  }
  // A marked barrier, then a Write into a folder not made yet: the first
  // run stops there; a run again, once the folder is made, ends the plan.
  static void marcaEPara(Plan& p) {
    p.steps.push_back(makeStep(Op::Barrier, -1, {}));
    p.steps.back().n = 1;
    p.steps.push_back(makeStep(Op::Write, -1, "C:/no/such/dir/ctl"));
    p.steps.back().m = -1;
  }
  testing::TempTree arvore;
  Journal journal_;
};

// A plan stopped after a marked barrier resumes after it: the steps before
// are not run again (an append there would be checked, a delete after it
// redone, but a move whose source a later step removed must not be retried).
TEST_F(PlanRun, AMarkedBarrierIsWhereARunAgainStarts) {
  arvore.write("a", "1");
  Journal& j = diario();
  Plan p;
  p.steps.push_back(comDigesto(makeStep(Op::Rename, 0, "C:/a", "C:/b"), "1"));
  marcaEPara(p);
  ASSERT_TRUE(j.commit(p));
  EXPECT_FALSE(runPlan(j, p, false));
  Plan lido;
  ASSERT_EQ(readJournal("C:/T", lido), JournalState::Plan);
  EXPECT_EQ(lido.resumeAt, 2u);
  EXPECT_EQ(arvore.read("b"), "1");
  // Run again, the rename is not looked at (its source is gone for good).
  arvore.mkdir("no/such/dir");
  EXPECT_TRUE(runPlan(j, lido, true));
  EXPECT_EQ(arvore.read("no/such/dir/ctl"), "");
  EXPECT_EQ(arvore.read("T/DATA/TORVEX.JNL"), "");
}

// Records written before a mark are never written again: the host may have
// taken the file that holds them (here with no second name to tell).
TEST_F(PlanRun, RecordsBeforeTheMarkAreNotWrittenAgain) {
  Journal& j = diario();
  Plan p;
  p.steps.push_back(makeStep(Op::Fragment, 0, "record\r\n"));
  p.steps.push_back(makeStep(Op::Write, -1, "C:/ctl"));
  p.steps.back().m = -1;
  marcaEPara(p);
  ASSERT_TRUE(j.commit(p));
  EXPECT_FALSE(runPlan(j, p, false));
  EXPECT_EQ(arvore.read("ctl"), "record\r\n");
  std::filesystem::remove(arvore.path("ctl"));  // the host took it
  Plan lido;
  ASSERT_EQ(readJournal("C:/T", lido), JournalState::Plan);
  arvore.mkdir("no/such/dir");
  EXPECT_TRUE(runPlan(j, lido, true));
  EXPECT_FALSE(arvore.exists("ctl"));
}

// A failed step gives its item up: marked, undone, its later steps passed
// over, even when the plan is run again.
TEST_F(PlanRun, AFailedItemIsMarkedAndUndone) {
  arvore.write("arj", "archive");
  Journal& j = diario();
  Plan p;
  p.steps.push_back(comDigesto(makeStep(Op::Rename, 0, "C:/arj", "C:/arj.res"), "archive"));
  p.steps.push_back(comDigesto(makeStep(Op::Rename, 0, "C:/missing", "C:/out"), "data"));
  Step volta = comDigesto(makeStep(Op::Rename, 0, "C:/arj.res", "C:/arj"), "archive");
  volta.undo = true;
  p.steps.push_back(volta);
  p.steps.push_back(makeStep(Op::Fragment, 0, "record\r\n"));
  p.steps.push_back(makeStep(Op::Write, -1, "C:/ctl"));
  p.steps.back().m = -1;
  ASSERT_TRUE(j.commit(p));
  EXPECT_TRUE(runPlan(j, p, false));
  EXPECT_EQ(arvore.read("arj"), "archive");
  EXPECT_FALSE(arvore.exists("arj.res"));
  EXPECT_EQ(arvore.read("ctl"), "");  // no record without its payload
}

class HeldOpen : public ScopedPlatform {
 public:
  bool deleteFile(const char* p) override {
    return std::string(p) != "C:/held" && ForwardingPlatform::deleteFile(p);
  }
};

// A delete refused now stays in the journal and is retried by later plans
// until it is done; it never blocks them.
TEST_F(PlanRun, StepsThatCannotBeDoneNowAreCarriedOver) {
  arvore.write("held", "ours");
  {
    Journal j;
    ASSERT_TRUE(j.open("C:/T"));
    Plan p;
    p.steps.push_back(comDigesto(makeStep(Op::Delete, 0, "C:/held"), "ours"));
    HeldOpen held;
    ASSERT_TRUE(j.commit(p));
    EXPECT_TRUE(runPlan(j, p, false));
    ASSERT_EQ(j.carried().size(), 1u);
  }
  Plan lido;
  ASSERT_EQ(readJournal("C:/T", lido), JournalState::Plan);
  ASSERT_EQ(lido.steps.size(), 1u);
  EXPECT_TRUE(lido.steps[0].pending);
  {
    HeldOpen held;
    TraySession sessao("C:/T");
    EXPECT_TRUE(sessao.ready());  // still held: carried on, the call goes ahead
    ASSERT_EQ(sessao.journal().carried().size(), 1u);
  }
  TraySession sessao("C:/T");
  EXPECT_TRUE(sessao.ready());
  EXPECT_FALSE(arvore.exists("held"));
  EXPECT_TRUE(sessao.journal().carried().empty());
  EXPECT_EQ(arvore.read("T/DATA/TORVEX.JNL"), "");
}

// A journal that cannot be read stops the call before it changes anything.
TEST_F(PlanRun, AJournalInErrorBlocksTheSession) {
  Journal& j = diario();
  Plan p;
  p.steps.push_back(makeStep(Op::Delete, 0, "C:/victim"));
  ASSERT_TRUE(j.commit(p));
  ASSERT_TRUE(j.mark('K', 0));
  std::string texto = arvore.read("T/DATA/TORVEX.JNL");
  texto[texto.find("victim")] = 'V';
  arvore.write("T/DATA/TORVEX.JNL", texto);
  arvore.write("victim", "x");
  arvore.write("T/DATA/TORVEX.TMP/F1_a_txt.ARJ", "half");
  TraySession sessao("C:/T");
  EXPECT_EQ(sessao.state(), SessionState::Blocked);
  EXPECT_EQ(arvore.read("T/DATA/TORVEX.JNL"), texto);
  EXPECT_TRUE(arvore.exists("victim"));
  EXPECT_TRUE(arvore.exists("T/DATA/TORVEX.TMP/F1_a_txt.ARJ"));
}

}  // namespace
}  // namespace torvex
