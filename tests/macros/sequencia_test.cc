// The sequence macros: first free number, normalisation, probe count.
#include "tests/macros/expander_environment.h"

namespace torvex::testing {
namespace {

using SequenciaTest = ExpansorTest;

TEST_F(SequenciaTest, TakesFirstNumberWhoseNameDoesNotExist) {
  arvore.mkdir("Trays/OUTTRAY");
  EXPECT_EQ(expande("C:/Trays/OUTTRAY/ARQ&SEQ.TXT"), "C:/Trays/OUTTRAY/ARQ000.TXT");
  arvore.write("Trays/OUTTRAY/ARQ000.TXT", "x");
  arvore.write("Trays/OUTTRAY/ARQ001.TXT", "x");
  EXPECT_EQ(expande("&QVDIR/OUTTRAY/ARQ&SEQ.TXT"), "C:/Trays/OUTTRAY/ARQ002.TXT");
  EXPECT_EQ(expande("&QVDIR/outtray/arq&seq.txt"), "C:/Trays/outtray/arq002.txt")
      << "names are found without regard to case";
}

TEST_F(SequenciaTest, ProbesOncePerNumberTried) {
  arvore.write("T/ARQ000.TXT", "x");
  arvore.write("T/ARQ001.TXT", "x");
  plataforma.sondagens.clear();
  EXPECT_EQ(expande("C:/T/ARQ&SEQ.TXT"), "C:/T/ARQ002.TXT");
  EXPECT_EQ(plataforma.sondagens,
            (std::vector<std::string>{"C:/T/ARQ000.TXT", "C:/T/ARQ001.TXT", "C:/T/ARQ002.TXT"}));
  plataforma.sondagens.clear();
  expande("C:/T/plain.txt");
  EXPECT_TRUE(plataforma.sondagens.empty());
}

TEST_F(SequenciaTest, AllNumbersTakenKeepsTheLargest) {
  for (char d = '0'; d <= '9'; ++d) arvore.write(std::string("T/A") + d, "x");
  plataforma.sondagens.clear();
  EXPECT_EQ(expande("C:/T/A&SQ1"), "C:/T/A9");
  EXPECT_EQ(plataforma.sondagens.size(), 10u);
}

TEST_F(SequenciaTest, FullThreeDigitRangeProbesAThousandTimesAtMost) {
  for (int n = 0; n < 1000; ++n) {
    char nome[16];
    std::snprintf(nome, sizeof nome, "T/B%03d", n);
    arvore.write(nome, "");
  }
  plataforma.sondagens.clear();
  EXPECT_EQ(expande("C:/T/B&SEQ"), "C:/T/B999");
  EXPECT_EQ(plataforma.sondagens.size(), 1000u);
}

TEST_F(SequenciaTest, DirectoryCountsAsTaken) {
  arvore.mkdir("T/R00");
  EXPECT_EQ(expande("C:/T/R&SQ2"), "C:/T/R01");
}

TEST_F(SequenciaTest, NormalisesTheWholeNameOnlyWhenAMacroOccurs) {
  EXPECT_EQ(expande("C:\\T\\R(1)&SQ2"), "C:/T/R/1)00");
  EXPECT_EQ(expande("C:\\T\\R(1)"), "C:\\T\\R(1)");
  EXPECT_EQ(expande("C:\\T\\&Seq(x)"), "C:\\T\\&Seq(x)");
}

TEST_F(SequenciaTest, OnlyExactFormsAndFirstOccurrence) {
  EXPECT_EQ(expande("C:/T/&Seq.TXT"), "C:/T/&Seq.TXT");
  EXPECT_EQ(expande("C:/T/&sQ1&Sq2"), "C:/T/&sQ1&Sq2");
  EXPECT_EQ(expande("C:/T/&SEQ_&seq"), "C:/T/000_&seq");
  EXPECT_EQ(expande("C:/T/&seq_&seq"), "C:/T/000_&seq");
  EXPECT_EQ(expande("C:/T/&SQ1&SQ1"), "C:/T/0&SQ1");
}

TEST_F(SequenciaTest, EarlierStepProbesWithLaterMacrosStillInTheName) {
  arvore.write("T/000&SQ1", "x");
  arvore.write("T/0010", "x");
  plataforma.sondagens.clear();
  EXPECT_EQ(expande("C:/T/&SEQ&SQ1"), "C:/T/0011");
  EXPECT_EQ(plataforma.sondagens, (std::vector<std::string>{"C:/T/000&SQ1", "C:/T/001&SQ1",
                                                            "C:/T/0010", "C:/T/0011"}));
}

TEST_F(SequenciaTest, StepsRunInOrderSeqThenSq1ThenSq2) {
  EXPECT_EQ(expande("C:/T/&SQ2-&SQ1-&SEQ"), "C:/T/00-0-000");
}

TEST_F(SequenciaTest, WildcardNamesNoFileSoFirstNumberWins) {
  arvore.write("T/W000.TXT", "x");  // what a search for the pattern would find
#ifndef _WIN32
  // Names a POSIX file system allows and Windows never does.
  arvore.write("T/W000.*", "x");
  arvore.write("T/?000.TXT", "x");
#endif
  EXPECT_EQ(expande("C:/T/W&SEQ.*"), "C:/T/W000.*");
  EXPECT_EQ(expande("C:/T/?&SEQ.TXT"), "C:/T/?000.TXT");
}

}  // namespace
}  // namespace torvex::testing
