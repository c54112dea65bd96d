// The journal's reader tells an empty journal, a plan and an error apart:
// every record carries its length and checksum, a plan torn while it was
// written never started, and damage or a failed read is never "no plan".
#include "journal/journal_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/faulty_platform.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

class JournalFile : public ::testing::Test {
 protected:
  JournalFile() { arvore.mkdir("T/DATA"); }

  Plan plano() {
    Plan p;
    Step a = makeStep(Op::Rename, 0, "C:/T/a\tb\\c\nd", "C:/T/x");
    a.replace = true;
    a.ifPresent = true;
    a.digest = {7, 0x123456789abcdef0ull};
    a.n = 7;
    a.m = -1;
    p.steps.push_back(a);
    p.steps.push_back(makeStep(Op::Barrier, -1, {}));
    p.steps.back().n = 1;
    Step w = makeStep(Op::Write, -1, "C:/T/c", "");
    w.undo = true;
    w.c = "1:2";
    w.d = "\r\n";
    p.steps.push_back(w);
    return p;
  }
  std::string texto() const { return arvore.read("T/DATA/TORVEX.JNL"); }
  void escreve(const std::string& t) const { arvore.write("T/DATA/TORVEX.JNL", t); }
  JournalState le(Plan& p) {
    Journal j;
    EXPECT_TRUE(j.open("C:/T"));
    return j.read(p);
  }

  testing::TempTree arvore;
};

TEST_F(JournalFile, EmptyIsNone) {
  Plan p;
  EXPECT_EQ(le(p), JournalState::None);
  EXPECT_TRUE(arvore.exists("T/DATA/TORVEX.JNL"));
}

TEST_F(JournalFile, APlanReadsBackStepForStepWithItsMarks) {
  Journal j;
  ASSERT_TRUE(j.open("C:/T"));
  Plan escrito = plano();
  ASSERT_TRUE(j.commit(escrito));
  ASSERT_TRUE(j.mark('K', 1));
  ASSERT_TRUE(j.mark('X', 4));
  Plan lido;
  ASSERT_EQ(le(lido), JournalState::Plan);
  ASSERT_EQ(lido.steps.size(), 3u);
  const Step& a = lido.steps[0];
  EXPECT_EQ(a.op, Op::Rename);
  EXPECT_EQ(a.a, "C:/T/a\tb\\c\nd");
  EXPECT_EQ(a.b, "C:/T/x");
  EXPECT_TRUE(a.replace);
  EXPECT_TRUE(a.ifPresent);
  EXPECT_FALSE(a.undo);
  EXPECT_EQ(a.digest, (Digest{7, 0x123456789abcdef0ull}));
  EXPECT_EQ(a.m, -1);
  EXPECT_TRUE(lido.steps[2].undo);
  EXPECT_EQ(lido.steps[2].c, "1:2");
  EXPECT_EQ(lido.steps[2].d, "\r\n");
  EXPECT_EQ(lido.resumeAt, 2u);
  EXPECT_EQ(lido.abandoned, (std::set<long>{4}));
}

// Every prefix of a plan's one write is a plan that never started.
TEST_F(JournalFile, APlanTornWhileWrittenIsNone) {
  Journal j;
  ASSERT_TRUE(j.open("C:/T"));
  Plan escrito = plano();
  ASSERT_TRUE(j.commit(escrito));
  const std::string inteiro = texto();
  for (size_t n = 1; n < inteiro.size(); ++n) {
    escreve(inteiro.substr(0, n));
    Plan p;
    EXPECT_EQ(le(p), JournalState::None) << n;
    // Garbage in place of the unsynced tail is a tear too.
    escreve(inteiro.substr(0, n) + std::string(inteiro.size() - n, '\x5a'));
    EXPECT_EQ(le(p), JournalState::None) << n;
  }
}

// A mark torn while written was never relied on: the plan stands with the
// marks before it.
TEST_F(JournalFile, AMarkTornWhileWrittenIsPassedOver) {
  Journal j;
  ASSERT_TRUE(j.open("C:/T"));
  Plan escrito = plano();
  ASSERT_TRUE(j.commit(escrito));
  const std::string semMarca = texto();
  ASSERT_TRUE(j.mark('K', 1));
  const std::string comMarca = texto();
  for (size_t n = semMarca.size() + 1; n < comMarca.size(); ++n) {
    escreve(comMarca.substr(0, n));
    Plan p;
    ASSERT_EQ(le(p), JournalState::Plan) << n;
    EXPECT_EQ(p.resumeAt, 0u);
  }
}

// One byte changed anywhere in a plan that was committed and marked: the
// journal is damaged, not empty, and no step is taken from it.
TEST_F(JournalFile, DamageToAWholePlanIsAnError) {
  Journal j;
  ASSERT_TRUE(j.open("C:/T"));
  Plan escrito = plano();
  ASSERT_TRUE(j.commit(escrito));
  ASSERT_TRUE(j.mark('K', 1));
  ASSERT_TRUE(j.mark('X', 0));
  const std::string inteiro = texto();
  const size_t ultimaMarca = inteiro.rfind('\n', inteiro.size() - 2) + 1;
  for (size_t n = 0; n < ultimaMarca; ++n) {
    std::string danificado = inteiro;
    danificado[n] = danificado[n] == 'D' ? 'E' : 'D';
    escreve(danificado);
    Plan p;
    EXPECT_EQ(le(p), JournalState::Error) << n << ": " << danificado;
  }
}

TEST_F(JournalFile, AReadThatFailsIsAnError) {
  Journal j;
  ASSERT_TRUE(j.open("C:/T"));
  Plan escrito = plano();
  ASSERT_TRUE(j.commit(escrito));
  Journal outro;
  ASSERT_TRUE(outro.open("C:/T"));
  testing::FaultyPlatform falhas;
  falhas.failAt(2);  // seek, then the read
  Plan p;
  EXPECT_EQ(outro.read(p), JournalState::Error);
  EXPECT_TRUE(p.steps.empty());
  falhas.failAt(0);
  EXPECT_EQ(readJournal("C:/T", p), JournalState::Plan);
}

TEST_F(JournalFile, AnUnknownRecordIsAnError) {
  escreve("not a journal\n");
  Plan p;
  EXPECT_EQ(le(p), JournalState::None);  // no whole record: a torn first write
  Journal j;
  ASSERT_TRUE(j.open("C:/T"));
  Plan escrito = plano();
  ASSERT_TRUE(j.commit(escrito));
  escreve(texto() + "garbage\n" + texto().substr(texto().rfind('\n', texto().size() - 2) + 1));
  EXPECT_EQ(le(p), JournalState::Error);
}

// Steps carried over stay through a new commit, in front of its steps, and
// a crash between emptying the journal and writing it cannot lose them.
TEST_F(JournalFile, CarriedStepsSurviveTheNextPlan) {
  Journal j;
  ASSERT_TRUE(j.open("C:/T"));
  ASSERT_TRUE(j.finish({makeStep(Op::Retire, 3, "C:/src/a.txt")}));
  Plan p;
  ASSERT_EQ(le(p), JournalState::Plan);
  ASSERT_EQ(p.steps.size(), 1u);
  EXPECT_TRUE(p.steps[0].pending);
  Plan novo;
  novo.steps.push_back(makeStep(Op::Delete, 0, "C:/T/x"));
  ASSERT_TRUE(j.commit(novo));
  ASSERT_EQ(novo.steps.size(), 2u);
  EXPECT_EQ(novo.steps[0].a, "C:/src/a.txt");
  ASSERT_EQ(le(p), JournalState::Plan);
  EXPECT_EQ(p.steps.size(), 2u);
  ASSERT_TRUE(j.finish({}));
  EXPECT_EQ(texto(), "");
}

}  // namespace
}  // namespace torvex
