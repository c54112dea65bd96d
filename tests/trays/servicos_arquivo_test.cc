// The file services on normalised text: existence, deletion, the upload
// archive listing and the download control file's path.
#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_tree.h"
#include "trays/bandejas.h"

namespace torvex {
namespace {

using testing::TempTree;

class ExisteArquivo : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.write("Dados/a.txt", "a");
    tree.write("Dados/b.dbf", "b");
    tree.mkdir("Dados/Sub");
  }
  TempTree tree;
};

TEST_F(ExisteArquivo, FilesAndDirectoriesThatAreThere) {
  EXPECT_EQ(0, existeArquivo("C:/Dados/a.txt"));
  EXPECT_EQ(0, existeArquivo("c:/DADOS/A.TXT")) << "names match without regard to case";
  EXPECT_EQ(0, existeArquivo("C:/Dados"));
  EXPECT_EQ(0, existeArquivo("C:/Dados/"));
  EXPECT_EQ(0, existeArquivo("C:/Dados///"));
  EXPECT_EQ(0, existeArquivo("C:/Dados/Sub/"));
}

TEST_F(ExisteArquivo, NamesThatAreNotThere) {
  EXPECT_EQ(1, existeArquivo("C:/Dados/c.txt"));
  EXPECT_EQ(1, existeArquivo("C:/Falta/a.txt"));
  EXPECT_EQ(1, existeArquivo(""));
  EXPECT_EQ(1, existeArquivo("/"));
  EXPECT_EQ(1, existeArquivo("///"));
  EXPECT_EQ(1, existeArquivo("Q:/Dados/a.txt")) << "a drive that does not exist";
}

TEST_F(ExisteArquivo, WildcardsInTheLastComponent) {
  EXPECT_EQ(0, existeArquivo("C:/Dados/*.txt"));
  EXPECT_EQ(0, existeArquivo("C:/Dados/?.DBF"));
  EXPECT_EQ(1, existeArquivo("C:/Dados/*.doc"));
  EXPECT_EQ(1, existeArquivo("C:/Da*/a.txt")) << "no wildcard in the directory part";
}

TEST_F(ExisteArquivo, NameLongerThanTheBufferIsNotThere) {
  EXPECT_EQ(1, existeArquivo(("C:/Dados/" + std::string(300, 'x')).c_str()));
}

class DeletaArquivo : public ::testing::Test {
 protected:
  TempTree tree;
};

TEST_F(DeletaArquivo, DeletesOneFileOnce) {
  tree.write("Dados/a.txt", "a");
  EXPECT_EQ(0, deletaArquivo("C:/Dados/A.TXT"));
  EXPECT_FALSE(tree.exists("Dados/a.txt"));
  EXPECT_EQ(-1, deletaArquivo("C:/Dados/a.txt"));
}

TEST_F(DeletaArquivo, WildcardsDirectoriesAndMissingPathsDeleteNothing) {
  tree.write("Dados/a.txt", "a");
  tree.mkdir("Dados/Sub");
  EXPECT_EQ(-1, deletaArquivo("C:/Dados/*.txt"));
  EXPECT_EQ(-1, deletaArquivo("C:/Dados/?.txt"));
  EXPECT_EQ(-1, deletaArquivo("C:/Dados/Sub"));
  EXPECT_EQ(-1, deletaArquivo("C:/Falta/a.txt"));
  EXPECT_EQ(-1, deletaArquivo(""));
  EXPECT_EQ(-1, deletaArquivo(("C:/Dados/" + std::string(300, 'a')).c_str()));
  EXPECT_TRUE(tree.exists("Dados/a.txt"));
  EXPECT_TRUE(tree.exists("Dados/Sub"));
}

class RecuperaArquivoUpload : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* nome : {"F2_dados_dbf.ARJ", "F1_relat_txt.ARJ", "F1_relat_txt.DAT",
                             "F2_dados_dbf.DAT", "G1_x.ARJ", "F1x.ARJ", "F3_y.arjx", "F4_z.zip"}) {
      tree.write(std::string("T/OUTTRAY/WORK/") + nome, "x");
    }
  }
  std::string nomeNo(LONG indice, const char* raiz = "C:/T") {
    char nome[kTamanhoCaminho] = "sentinel";
    bool achou = recuperaArquivoUpload(raiz, indice, nome);
    EXPECT_EQ(achou, nome[0] != '\0') << "an absent answer is an empty name";
    return nome;
  }
  TempTree tree;
};

TEST_F(RecuperaArquivoUpload, ListsOnlyArchivesInSearchOrder) {
  EXPECT_EQ(nomeNo(1), "F1_relat_txt.ARJ");
  EXPECT_EQ(nomeNo(2), "F2_dados_dbf.ARJ");
  // Never F3_y.arjx, whose 8.3 alias a volume may give as F3_Y~1.ARJ.
  EXPECT_EQ(nomeNo(3), "");
  EXPECT_EQ(nomeNo(0x7FFFFFFF), "");
}

TEST_F(RecuperaArquivoUpload, AFolderBearingAnArchivesNameIsNotListed) {
  tree.mkdir("T/OUTTRAY/WORK/F0_pasta.ARJ");  // first in the search's order
  EXPECT_EQ(nomeNo(1), "F1_relat_txt.ARJ");
  EXPECT_EQ(nomeNo(2), "F2_dados_dbf.ARJ");
  EXPECT_EQ(nomeNo(3), "");
}

TEST_F(RecuperaArquivoUpload, IndexOneOrLessIsTheFirst) {
  EXPECT_EQ(nomeNo(0), "F1_relat_txt.ARJ");
  EXPECT_EQ(nomeNo(-5), "F1_relat_txt.ARJ");
  EXPECT_EQ(nomeNo(-0x7FFFFFFF - 1), "F1_relat_txt.ARJ");
}

TEST_F(RecuperaArquivoUpload, LetterCaseOfNamesAndRootDoesNotMatter) {
  tree.write("T/OUTTRAY/WORK/f0_lower.arj", "x");
  EXPECT_EQ(nomeNo(1, "c:/t"), "f0_lower.arj") << "the name as stored";
  EXPECT_EQ(nomeNo(2, "C:/T/"), "F1_relat_txt.ARJ") << "a trailing separator is harmless";
}

TEST_F(RecuperaArquivoUpload, NothingToListGivesNoName) {
  EXPECT_EQ(nomeNo(1, "C:/Vazia"), "");
  EXPECT_EQ(nomeNo(1, ("C:/" + std::string(240, 'r')).c_str()), "")
      << "a root that cannot hold the pattern";
}

class RecuperaControleDownload : public ::testing::Test {
 protected:
  TempTree tree;
};

TEST_F(RecuperaControleDownload, ThePathAsBuiltFromTheRoot) {
  tree.write("Troca/OUTTRAY/CONTDOWN.DAT", "record");
  char caminho[kTamanhoCaminho];
  ASSERT_TRUE(recuperaControleDownload("C:/Troca", caminho));
  EXPECT_STREQ(caminho, "C:/Troca/Outtray/ContDown.dat");
  ASSERT_TRUE(recuperaControleDownload("c:/troca/", caminho));
  EXPECT_STREQ(caminho, "c:/troca//Outtray/ContDown.dat");
}

TEST_F(RecuperaControleDownload, AbsentFileOrUnfitRootGivesNothing) {
  tree.mkdir("Troca/OUTTRAY");
  char caminho[kTamanhoCaminho] = "sentinel";
  EXPECT_FALSE(recuperaControleDownload("C:/Troca", caminho));
  EXPECT_STREQ(caminho, "");
  const std::string longa = "C:/" + std::string(240, 'r');
  EXPECT_FALSE(recuperaControleDownload(longa.c_str(), caminho));
  EXPECT_STREQ(caminho, "");
  tree.mkdir("Troca/OUTTRAY/ContDown.dat");  // a directory is no control file
  EXPECT_FALSE(recuperaControleDownload("C:/Troca", caminho));
  EXPECT_STREQ(caminho, "");
}

}  // namespace
}  // namespace torvex
