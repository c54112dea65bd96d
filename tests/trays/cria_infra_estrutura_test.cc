// The tray tree: what criaInfraEstrutura creates, in which order, which roots
// it refuses, and the current drive it leaves behind.
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/environment.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/temp_tree.h"
#include "trays/bandejas.h"

namespace torvex {
namespace {

using testing::FaultyPlatform;
using testing::TempTree;

const std::vector<std::string> kBandejas = {"BIN",     "DATA",         "DATA/DIARIO",
                                            "INTRAY",  "INTRAY/WORK",  "OUTTRAY",
                                            "OUTTRAY/WORK", "TMP",     "WORK"};

// Every path below the tree's directory, relative, "/"-separated.
std::set<std::string> conteudo(const TempTree& tree) {
  std::set<std::string> nomes;
  for (const auto& e : std::filesystem::recursive_directory_iterator(tree.dir())) {
    nomes.insert(std::filesystem::relative(e.path(), tree.dir()).generic_string());
  }
  return nomes;
}

// The directories a call asks for, in order, as the platform sees them.
std::vector<std::string> diretoriosPedidos(FaultyPlatform& espiao) {
  std::vector<std::string> pedidos;
  for (const std::string& linha : espiao.log()) {
    const std::string op = "mkdir ";
    if (linha.rfind(op, 0) == 0) pedidos.push_back(linha.substr(op.size()));
  }
  return pedidos;
}

std::vector<std::string> comBandejas(std::vector<std::string> antes, const std::string& raiz) {
  for (const std::string& b : kBandejas) antes.push_back(raiz + "/" + b);
  return antes;
}

class CriaInfraEstrutura : public ::testing::Test {
 protected:
  TempTree tree;
};

TEST_F(CriaInfraEstrutura, CreatesTheRootShortestFirstThenTheTraysInTableOrder) {
  FaultyPlatform espiao;
  espiao.failAt(0);
  EXPECT_EQ(0, criaInfraEstrutura("C:/Dados/Troca"));
  EXPECT_EQ(diretoriosPedidos(espiao),
            comBandejas({"C:/Dados", "C:/Dados/Troca"}, "C:/Dados/Troca"));
  for (const std::string& b : kBandejas) EXPECT_TRUE(tree.exists("Dados/Troca/" + b)) << b;
}

TEST_F(CriaInfraEstrutura, DriveAloneGetsTheTraysOnItsRoot) {
  FaultyPlatform espiao;
  espiao.failAt(0);
  EXPECT_EQ(0, criaInfraEstrutura("C:"));
  EXPECT_EQ(diretoriosPedidos(espiao), comBandejas({}, "C:"));
  for (const std::string& b : kBandejas) EXPECT_TRUE(tree.exists(b)) << b;
}

TEST_F(CriaInfraEstrutura, DriveRootIsAttemptedHarmlessly) {
  FaultyPlatform espiao;
  espiao.failAt(0);
  EXPECT_EQ(0, criaInfraEstrutura("C:/"));
  EXPECT_EQ(diretoriosPedidos(espiao), comBandejas({"C:/"}, "C:/"));
  for (const std::string& b : kBandejas) EXPECT_TRUE(tree.exists(b)) << b;
}

TEST_F(CriaInfraEstrutura, TrailingSeparatorDoublesTheSeparatorHarmlessly) {
  FaultyPlatform espiao;
  espiao.failAt(0);
  EXPECT_EQ(0, criaInfraEstrutura("c:/x/"));
  EXPECT_EQ(diretoriosPedidos(espiao), comBandejas({"c:/x", "c:/x/"}, "c:/x/"));
  for (const std::string& b : kBandejas) EXPECT_TRUE(tree.exists("x/" + b)) << b;
}

TEST_F(CriaInfraEstrutura, ParenthesisLeftByNormalisationNamesADirectory) {
  EXPECT_EQ(0, criaInfraEstrutura("C:/A/1)"));
  EXPECT_TRUE(tree.exists("A/1)/OUTTRAY/WORK"));
}

TEST_F(CriaInfraEstrutura, RootsWithoutADriveLetterAndColonAreRefused) {
  for (const char* raiz : {"//servidor/pasta", "1:/x", ":/x", "", "C", "Dados/Troca", "/tmp/x",
                           "@:/x", "C;/x"}) {
    FaultyPlatform espiao;
    espiao.failAt(0);
    EXPECT_EQ(1, criaInfraEstrutura(raiz)) << raiz;
    EXPECT_TRUE(diretoriosPedidos(espiao).empty()) << raiz;
  }
  EXPECT_TRUE(conteudo(tree).empty());
}

TEST_F(CriaInfraEstrutura, DriveWithoutAMappingIsRefusedAndNothingIsCreated) {
  FaultyPlatform espiao;
  espiao.failAt(0);
  EXPECT_EQ(1, criaInfraEstrutura("Q:/Troca"));
  EXPECT_TRUE(diretoriosPedidos(espiao).empty());
}

TEST_F(CriaInfraEstrutura, SecondCallAnswersZeroAndChangesNothing) {
  ASSERT_EQ(0, criaInfraEstrutura("C:/Dados/Troca"));
  tree.write("Dados/Troca/OUTTRAY/WORK/F1_a_txt.ARJ", "archive");
  const auto antes = conteudo(tree);
  EXPECT_EQ(0, criaInfraEstrutura("C:/Dados/Troca"));
  EXPECT_EQ(conteudo(tree), antes);
  EXPECT_EQ(tree.read("Dados/Troca/OUTTRAY/WORK/F1_a_txt.ARJ"), "archive");
}

TEST_F(CriaInfraEstrutura, MixedCaseTraysAlreadyThereAreReused) {
  tree.mkdir("T/Outtray/Work");
  EXPECT_EQ(0, criaInfraEstrutura("C:/T"));
  size_t saidas = 0;
  for (const auto& e : std::filesystem::directory_iterator(tree.path("T"))) {
    std::string nome = e.path().filename().string();
    if (nome == "Outtray" || nome == "OUTTRAY") ++saidas;
  }
  EXPECT_EQ(saidas, 1u) << "the outgoing tray exists once, whatever its case";
}

TEST_F(CriaInfraEstrutura, FailedCreationsAreIgnored) {
  FaultyPlatform falha;
  falha.failAt(2);  // the second directory: C:/Dados/Troca itself
  EXPECT_EQ(0, criaInfraEstrutura("C:/Dados/Troca"));
  EXPECT_TRUE(tree.exists("Dados"));
  EXPECT_FALSE(tree.exists("Dados/Troca/BIN"));
  EXPECT_EQ(diretoriosPedidos(falha).size(), 11u) << "every step still ran";
}

TEST_F(CriaInfraEstrutura, RootTooLongForTheTraysIsRefusedWholesale) {
  // "/OUTTRAY/WORK" (13 bytes) must fit behind the root in 255 bytes.
  const std::string cabe = "C:/" + std::string(255 - 13 - 3, 'a');
  const std::string longa = cabe + "b";
  EXPECT_EQ(1, criaInfraEstrutura(longa.c_str()));
  EXPECT_TRUE(conteudo(tree).empty());
  EXPECT_EQ(0, criaInfraEstrutura(cabe.c_str()));
  EXPECT_TRUE(tree.exists(cabe.substr(3) + "/OUTTRAY/WORK"));
}

// Two drives, so the current drive can be seen to move. TempTree puts the
// previous mapping back when it goes.
class UnidadeCorrente : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "a second drive D: is mapped through TORVEX_DRIVES, which only the POSIX "
                    "back end reads; the Windows tree maps C: alone";
#endif
    std::filesystem::create_directories(tree.path("d"));
    std::filesystem::create_directories(tree.path("c"));
    testing::setVariable("TORVEX_DRIVES",
                         ("C=" + tree.path("c").string() + ";D=" + tree.path("d").string()).c_str());
    ASSERT_TRUE(platform().setCurrentDrive(3));
  }
  TempTree tree;
};

TEST_F(UnidadeCorrente, SuccessMovesTheCurrentDriveAndFailureLeavesIt) {
  EXPECT_EQ(1, criaInfraEstrutura("Q:/Troca"));
  EXPECT_EQ(3, platform().currentDrive());
  EXPECT_EQ(0, criaInfraEstrutura("d:/Troca"));
  EXPECT_EQ(4, platform().currentDrive());
  EXPECT_TRUE(tree.exists("d/Troca/INTRAY/WORK"));
  EXPECT_EQ(1, criaInfraEstrutura("//servidor/pasta"));
  EXPECT_EQ(4, platform().currentDrive());
}

}  // namespace
}  // namespace torvex
