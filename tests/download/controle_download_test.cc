#include "download/controle_download.h"

#include <gtest/gtest.h>

#include <string>

#include "conventions/conventions.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

const LocalTime k5Mar2005{2005, 3, 5, 7, 4, 9};

class ControleDownloadTest : public ::testing::Test {
 protected:
  ControleDownloadTest() { arvore.mkdir("T/OUTTRAY"); }
  bool gravaUm(const char* carimbo) {
    char caminho[kTamanhoCaminho];
    EXPECT_TRUE(caminhoControle("C:/T", caminho));
    ControleDownload controle;
    return controle.abre(caminho) &&
           controle.grava(montaRegistro(carimbo, "D00017.ARJ", "C:/T/IN/X.TXT", k5Mar2005));
  }
  testing::TempTree arvore;
};

TEST_F(ControleDownloadTest, PathUnderTheOutgoingTray) {
  char caminho[kTamanhoCaminho];
  ASSERT_TRUE(caminhoControle("C:/T", caminho));
  EXPECT_STREQ(caminho, "C:/T/Outtray/ContDown.dat");
  EXPECT_FALSE(caminhoControle(std::string(250, 'r').c_str(), caminho));
}

TEST_F(ControleDownloadTest, RecordBytesExactly) {
  ASSERT_TRUE(gravaUm("ABCDEF.GH+200503050704+"));
  EXPECT_EQ(arvore.read("T/OUTTRAY/ContDown.dat"),
            "#\r\nABCDEF.GH+200503050704+\r\nD00017.ARJ\r\nC:/T/IN/X.TXT\r\n05/03/2005 07:04:09\r\n");
}

TEST_F(ControleDownloadTest, EmptyStampGivesAnEmptySecondLine) {
  ASSERT_TRUE(gravaUm(""));
  EXPECT_EQ(arvore.read("T/OUTTRAY/ContDown.dat"),
            "#\r\n\r\nD00017.ARJ\r\nC:/T/IN/X.TXT\r\n05/03/2005 07:04:09\r\n");
}

TEST_F(ControleDownloadTest, RecordsAccumulateInOrder) {
  arvore.write("T/OUTTRAY/ContDown.dat", "#\r\nold\r\n");
  ASSERT_TRUE(gravaUm("1"));
  ASSERT_TRUE(gravaUm("2"));
  std::string texto = arvore.read("T/OUTTRAY/ContDown.dat");
  EXPECT_EQ(texto.find("#\r\nold\r\n#\r\n1\r\n"), 0u);
  EXPECT_NE(texto.find("09\r\n#\r\n2\r\nD00017.ARJ"), std::string::npos);
}

TEST_F(ControleDownloadTest, RetiraTakesBackOnlyTheLastRecord) {
  arvore.write("T/OUTTRAY/ContDown.dat", "earlier");
  ControleDownload controle;
  ASSERT_TRUE(controle.abre("C:/T/Outtray/ContDown.dat"));
  ASSERT_TRUE(controle.grava(montaRegistro("s", "D1.ARJ", "C:/F", k5Mar2005)));
  ASSERT_TRUE(controle.retira());
  EXPECT_EQ(arvore.read("T/OUTTRAY/ContDown.dat"), "earlier");
}

TEST_F(ControleDownloadTest, AbandonRemovesOnlyAFileThisOpeningCreated) {
  {
    ControleDownload controle;
    ASSERT_TRUE(controle.abre("C:/T/Outtray/ContDown.dat"));
    controle.abandona();
  }
  EXPECT_FALSE(arvore.exists("T/OUTTRAY/ContDown.dat"));
  arvore.write("T/OUTTRAY/ContDown.dat", "");
  ControleDownload controle;
  ASSERT_TRUE(controle.abre("C:/T/Outtray/ContDown.dat"));
  controle.abandona();
  EXPECT_TRUE(arvore.exists("T/OUTTRAY/ContDown.dat"));
}

TEST_F(ControleDownloadTest, ARecordIsWrittenWholeOrNotAtAll) {
  arvore.write("T/OUTTRAY/ContDown.dat", "earlier");
  testing::FaultyPlatform falhas;
  falhas.failAt(0);
  ASSERT_TRUE(gravaUm("s"));
  long operacoes = falhas.count();
  ASSERT_GE(operacoes, 3);
  const std::string inteiro = arvore.read("T/OUTTRAY/ContDown.dat");
  for (long n = 1; n <= operacoes; ++n) {
    arvore.write("T/OUTTRAY/ContDown.dat", "earlier");
    falhas.failAt(n);
    bool gravou = gravaUm("s");
    EXPECT_EQ(arvore.read("T/OUTTRAY/ContDown.dat"), gravou ? inteiro : "earlier")
        << "operation " << n;
  }
}

}  // namespace
}  // namespace torvex
