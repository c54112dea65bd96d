// The seven methods as a host calls them: wide arguments (null, too long,
// backslashes, non-ASCII) and BSTR results.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "component/controlador.h"
#include "platform/platform.h"
#include "tests/support/ansi_text.h"
#include "tests/support/bstr_text.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

using testing::Bstr;
using testing::bstr;
using testing::TempTree;
using testing::texto;

// 256 characters: one more than the buffers hold.
const std::u16string kLongo = u"C:/" + std::u16string(253, u'x');

bool vazio(const TempTree& tree) { return std::filesystem::is_empty(tree.dir()); }

class Controle : public ::testing::Test {
 protected:
  TempTree tree;
};

TEST_F(Controle, CriaInfraEstruturaNormalisesTheRoot) {
  EXPECT_EQ(0, Controlador::criaInfraEstrutura(bstr(u"C:\\Dados\\Troca").get()));
  EXPECT_TRUE(tree.exists("Dados/Troca/OUTTRAY/WORK"));
  EXPECT_EQ(0, Controlador::criaInfraEstrutura(bstr(u"C:/A(1)").get()));
  EXPECT_TRUE(tree.exists("A/1)/DATA/DIARIO"));
}

TEST_F(Controle, CriaInfraEstruturaRefusesNullNetworkAndTooLongRoots) {
  EXPECT_EQ(1, Controlador::criaInfraEstrutura(nullptr));
  EXPECT_EQ(1, Controlador::criaInfraEstrutura(bstr(u"\\\\servidor\\pasta").get()));
  EXPECT_EQ(1, Controlador::criaInfraEstrutura(bstr(kLongo).get()));
  EXPECT_TRUE(vazio(tree));
}

TEST_F(Controle, ExisteArquivoTakesBackslashesAndAccents) {
  tree.write(testing::ansi("Dados/ação.txt"), "x");
  EXPECT_EQ(0, Controlador::existeArquivo(bstr(u"C:\\Dados\\ação.txt").get()));
  EXPECT_EQ(0, Controlador::existeArquivo(bstr(u"C:\\Dados\\AÇÃO.TXT").get()));
  EXPECT_EQ(0, Controlador::existeArquivo(bstr(u"C:\\Dados\\").get()));
  EXPECT_EQ(1, Controlador::existeArquivo(nullptr));
  EXPECT_EQ(1, Controlador::existeArquivo(bstr(u"").get()));
  EXPECT_EQ(1, Controlador::existeArquivo(bstr(kLongo).get()));
}

TEST_F(Controle, DeletaArquivoFailsOnNullAndTooLongNames) {
  tree.write("Dados/a(1).txt", "x");
  tree.write("Dados/a/1).txt", "y");
  EXPECT_EQ(-1, Controlador::deletaArquivo(nullptr));
  EXPECT_EQ(-1, Controlador::deletaArquivo(bstr(kLongo).get()));
  EXPECT_EQ(0, Controlador::deletaArquivo(bstr(u"C:\\Dados\\a(1).txt").get()));
  EXPECT_TRUE(tree.exists("Dados/a(1).txt")) << "\"(\" is a separator after normalisation";
  EXPECT_FALSE(tree.exists("Dados/a/1).txt"));
}

TEST_F(Controle, RecuperaArquivoUploadGivesTheBareNameOrNull) {
  tree.write("Troca/OUTTRAY/WORK/F1_relat_txt.ARJ", "x");
  tree.write("Troca/OUTTRAY/WORK/F1_relat_txt.DAT", "x");
  Bstr primeiro(Controlador::recuperaArquivoUpload(bstr(u"C:\\Troca").get(), 1));
  EXPECT_EQ(texto(primeiro), u"F1_relat_txt.ARJ");
  EXPECT_EQ(SysStringLen(primeiro.get()), 16u);
  EXPECT_EQ(Bstr(Controlador::recuperaArquivoUpload(bstr(u"C:\\Troca").get(), 2)), nullptr);
  EXPECT_EQ(Bstr(Controlador::recuperaArquivoUpload(nullptr, 1)), nullptr);
  EXPECT_EQ(Bstr(Controlador::recuperaArquivoUpload(bstr(kLongo).get(), 1)), nullptr);
}

TEST_F(Controle, RecuperaControleDownloadGivesTheNormalisedPath) {
  tree.write("Troca/OUTTRAY/contdown.DAT", "x");
  Bstr caminho(Controlador::recuperaControleDownload(bstr(u"C:\\Troca").get()));
  EXPECT_EQ(texto(caminho), u"C:/Troca/Outtray/ContDown.dat");
  EXPECT_EQ(Bstr(Controlador::recuperaControleDownload(bstr(u"C:\\Outra").get())), nullptr);
  EXPECT_EQ(Bstr(Controlador::recuperaControleDownload(nullptr)), nullptr);
  EXPECT_EQ(Bstr(Controlador::recuperaControleDownload(bstr(kLongo).get())), nullptr);
}

TEST_F(Controle, RecuperaControleDownloadKeepsAccentsOfTheRoot) {
  tree.write(testing::ansi("Ação/OUTTRAY/ContDown.dat"), "x");
  Bstr caminho(Controlador::recuperaControleDownload(bstr(u"C:/Ação").get()));
  EXPECT_EQ(texto(caminho), u"C:/Ação/Outtray/ContDown.dat");
}

// A name a string method returns, passed back to the other methods, names
// the same file: also a name whose bytes are not UTF-8 (Latin-1, written by
// another system), which the results once turned into U+FFFD.
TEST_F(Controle, ReturnedNamesReachTheirFilesWhenPassedBack) {
  const std::string raiz = "Troca\xE7\xE3o";  // "Trocação" in Latin-1
  tree.write("Dados/relat\xF3rio.txt", "x");
  tree.mkdir(raiz + "/DATA");
  tree.mkdir(raiz + "/OUTTRAY/WORK");
  tree.write(raiz + "/OUTTRAY/ContDown.dat", "x");
  auto raizLarga = [&] {
    char16_t largo[64] = {};
    const std::string texto = "C:/" + raiz;
    EXPECT_GT(platform().ansiToWide(texto.c_str(), static_cast<int>(texto.size()), largo, 63), 0);
    return bstr(largo);
  };
  auto fi = bstr(u"C:/Dados/relat?rio.txt");
  ASSERT_EQ(0, Controlador::geraArquivoUpload(raizLarga().get(), fi.get(), nullptr, 1));

  Bstr nome(Controlador::recuperaArquivoUpload(raizLarga().get(), 1));
  ASSERT_NE(nome, nullptr);
  Bstr controle(Controlador::recuperaControleDownload(raizLarga().get()));
  ASSERT_NE(controle, nullptr);
  const std::u16string caminho = texto(controle).substr(0, texto(controle).rfind(u'/')) +
                                 u"/Work/" + texto(nome);
  EXPECT_EQ(0, Controlador::existeArquivo(controle.get()));
  EXPECT_EQ(0, Controlador::existeArquivo(bstr(caminho).get()));
  EXPECT_EQ(0, Controlador::deletaArquivo(bstr(caminho).get()));
  EXPECT_FALSE(tree.exists(raiz + "/OUTTRAY/WORK/F1_relat\xF3rio_txt.ARJ"));
  EXPECT_TRUE(tree.exists(raiz + "/OUTTRAY/WORK/F1_relat\xF3rio_txt.DAT"));
}

TEST_F(Controle, GeraArquivoUploadRefusesNullAndTooLongArguments) {
  tree.write("Dados/a.txt", "x");
  tree.mkdir("Troca/OUTTRAY/WORK");
  auto raiz = bstr(u"C:/Troca");
  auto fi = bstr(u"C:/Dados/a.txt");
  auto vazio = bstr(u"");
  EXPECT_EQ(-1, Controlador::geraArquivoUpload(raiz.get(), nullptr, vazio.get(), 1));
  EXPECT_EQ(-1, Controlador::geraArquivoUpload(nullptr, fi.get(), vazio.get(), 1));
  EXPECT_EQ(-1, Controlador::geraArquivoUpload(nullptr, nullptr, nullptr, 1));
  EXPECT_EQ(-1, Controlador::geraArquivoUpload(raiz.get(), bstr(kLongo).get(), vazio.get(), 1));
  EXPECT_EQ(-1, Controlador::geraArquivoUpload(bstr(kLongo).get(), fi.get(), vazio.get(), 1));
  EXPECT_EQ(-1, Controlador::geraArquivoUpload(raiz.get(), fi.get(), bstr(kLongo).get(), 1));
  EXPECT_TRUE(tree.exists("Dados/a.txt")) << "nothing was done";
  EXPECT_TRUE(std::filesystem::is_empty(tree.path("Troca/OUTTRAY/WORK")));
}

TEST_F(Controle, GeraArquivoUploadTakesANullRenameAsEmpty) {
  tree.write("Dados/a.txt", "x");
  tree.mkdir("Troca/OUTTRAY/WORK");
  tree.mkdir("Troca/DATA");  // the tree keeps its lock and journal there
  EXPECT_EQ(0, Controlador::geraArquivoUpload(bstr(u"C:\\Troca").get(),
                                              bstr(u"C:\\Dados\\a.txt").get(), nullptr, 7));
  EXPECT_TRUE(tree.exists("Troca/OUTTRAY/WORK/F7_a_txt.ARJ"));
  EXPECT_TRUE(tree.exists("Troca/OUTTRAY/WORK/F7_a_txt.DAT"));
  EXPECT_FALSE(tree.exists("Dados/a.txt")) << "packed, then deleted";
}

TEST_F(Controle, DisponibilizaArquivosRefusesATooLongRoot) {
  EXPECT_EQ(1, Controlador::disponibilizaArquivos(bstr(kLongo).get()));
}

// What a crashed call made in the tree's private folder, and the archive
// library's scratch, go with the next call on the tree, a listing too;
// nothing else goes, however it is named: the host's own files stay.
TEST_F(Controle, LeftoversGoWithTheNextCallOnTheTree) {
  const char* restos[] = {"T/DATA/TORVEX.TMP/F1_a_txt.ARJ", "T/DATA/TORVEX.TMP/F1_a_txt.DAT",
                          "T/DATA/TORVEX.TMP/ARJ$0.TMP", "T/INTRAY/ARJ$3.TMP"};
  const char* outros[] = {"T/OUTTRAY/WORK/F1_b_txt.ARJ", "T/OUTTRAY/WORK/F1_b_txt.DAT",
                          "T/INTRAY/D00002.FN",          "T/INTRAY/WORK/D00002.ARJ",
                          "T/OUTTRAY/WORK/host_notes.tmp", "T/INTRAY/WORK/X.ENTREGA",
                          "T/INTRAY/WORK/D00001.ARJ.ENTREGA", "T/INTRAY/ARJ$X.TMP"};
  ASSERT_EQ(0, Controlador::criaInfraEstrutura(bstr(u"C:/T").get()));
  tree.write("T/DATA/TORVEX.LCK", "");  // the call that left them made the lock first
  for (bool listagem : {true, false}) {
    for (const char* r : restos) tree.write(r, "x");
    for (const char* o : outros) tree.write(o, "x");
    if (listagem) {
      Bstr lista(Controlador::recuperaArquivoUpload(bstr(u"C:/T").get(), 1));
      EXPECT_EQ(texto(lista), u"F1_b_txt.ARJ");
    } else {
      tree.mkdir("dados");
      EXPECT_EQ(0, Controlador::geraArquivoUpload(bstr(u"C:/T").get(), bstr(u"C:/dados/*").get(),
                                                  bstr(u"").get(), 1));
    }
    SCOPED_TRACE(listagem ? "after a listing" : "after an upload");
    for (const char* r : restos) EXPECT_FALSE(tree.exists(r)) << r;
    for (const char* o : outros) EXPECT_TRUE(tree.exists(o)) << o;
  }
}

}  // namespace
}  // namespace torvex
