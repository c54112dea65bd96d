#include "download/disponibiliza_arquivos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "arj/exec_arj.h"
#include "platform/platform.h"
#include "platform/scoped_platform.h"
#include "tests/download/received_archives.h"
#include "tests/support/environment.h"
#include "tests/support/fixed_version.h"
#include "tests/support/wine.h"
#include "tests/support/windows_limits.h"

namespace torvex {
namespace {

using testing::arquivosRegistrados;
using testing::criaRecebido;
using testing::descritor;

// Refuses to delete files whose path contains a marker.
class RefusingDelete : public ScopedPlatform {
 public:
  explicit RefusingDelete(const char* marca)
      : marca_(marca) {}
  bool deleteFile(const char* p) override {
    return !std::strstr(p, marca_) && ForwardingPlatform::deleteFile(p);
  }

 private:
  const char* marca_;
};

class Disponibiliza : public ::testing::Test {
 protected:
  Disponibiliza() {
    testing::setVariable("TZ", "UTC0");
    testing::setVariable("TORVEX_WINVER", "2.5");
    testing::criaBandejas(arvore);
    arvore.mkdir("OUT");
  }
  ~Disponibiliza() override {
    testing::setVariable("TORVEX_WINVER", nullptr);
  }
  void recebe(const std::string& nome, const std::string& destino, const std::string& codigo,
              const std::string& dados, const std::string& carimbo = "ABCDEF.GH+202601311200+") {
    criaRecebido(arvore, nome, descritor(destino, carimbo, codigo), dados);
  }
  bool aguardando(const std::string& nome) const { return arvore.exists("T/INTRAY/WORK/" + nome); }
  testing::TempTree arvore;
};

TEST_F(Disponibiliza, EmptyWorkAreaGivesOneEvenWithAControlFile) {
  EXPECT_EQ(disponibilizaArquivos("C:\\T"), 1);
  arvore.write("T/OUTTRAY/ContDown.dat", "#\r\n");
  EXPECT_EQ(disponibilizaArquivos("C:\\T"), 1);
  EXPECT_EQ(arvore.read("T/OUTTRAY/ContDown.dat"), "#\r\n");
}

// A directory where the control file goes: nothing can be recorded, every
// archive waits, and the call does not tell the host a control file waits.
TEST_F(Disponibiliza, ADirectoryInTheControlFilesPlaceIsNoControlFile) {
  arvore.mkdir("T/OUTTRAY/ContDown.dat");
  recebe("D00001.ARJ", "C:/OUT/a.txt", "R", "payload");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 1);
  EXPECT_TRUE(aguardando("D00001.ARJ"));
  EXPECT_FALSE(arvore.exists("OUT/a.txt"));
}

TEST_F(Disponibiliza, ArchivesThatDoNotExtractGiveTheControlFilesPresence) {
  arvore.write("T/INTRAY/WORK/D00001.ARJ", "not an archive");
  arvore.write("T/INTRAY/WORK/d00002.arj", "");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 1);
  arvore.write("T/OUTTRAY/ContDown.dat", "earlier");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_TRUE(aguardando("D00001.ARJ"));
  EXPECT_TRUE(aguardando("d00002.arj"));
  EXPECT_EQ(arvore.read("T/OUTTRAY/ContDown.dat"), "earlier");
}

TEST_F(Disponibiliza, EachDispositionEndToEnd) {
  arvore.write("OUT/APP.TXT", "head+");
  arvore.write("OUT/REP.TXT", "old");
  arvore.write("OUT/MSG.TXT", "mine");
  recebe("D00001.ARJ", "C:\\OUT\\NEW.TXT", "M", "new");
  recebe("D00002.ARJ", "C:/OUT/APP.TXT", "A", "tail");
  recebe("D00003.ARJ", "C:/OUT/REP.TXT", "R", "replaced");
  recebe("D00004.ARJ", "C:/OUT/MSG.TXT", "M", "numbered");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("OUT/NEW.TXT"), "new");
  EXPECT_EQ(arvore.read("OUT/APP.TXT"), "head+tail");
  EXPECT_EQ(arvore.read("OUT/REP.TXT"), "replaced");
  EXPECT_EQ(arvore.read("OUT/MSG.TXT"), "mine");
  EXPECT_EQ(arvore.read("OUT/M00001.QVX"), "numbered");
  for (const char* nome : {"D00001", "D00002", "D00003", "D00004"}) {
    EXPECT_FALSE(aguardando(std::string(nome) + ".ARJ"));
    EXPECT_FALSE(arvore.exists("T/INTRAY/" + std::string(nome) + ".FN"));
    EXPECT_FALSE(arvore.exists("T/INTRAY/" + std::string(nome) + ".ARQ"));
  }
  const std::string controle = arvore.read("T/OUTTRAY/ContDown.dat");
  EXPECT_NE(controle.find("#\r\nABCDEF.GH+202601311200+\r\nD00004.ARJ\r\nC:/OUT/M00001.QVX\r\n"),
            std::string::npos)
      << controle;
  EXPECT_NE(controle.find("D00001.ARJ\r\nC:/OUT/NEW.TXT\r\n"), std::string::npos);
  auto registrados = arquivosRegistrados(arvore);
  std::sort(registrados.begin(), registrados.end());
  EXPECT_EQ(registrados,
            (std::vector<std::string>{"D00001.ARJ", "D00002.ARJ", "D00003.ARJ", "D00004.ARJ"}));
}

TEST_F(Disponibiliza, DestinationExpandedWithTheRootAndTheStamp) {
  arvore.mkdir("T/IN");
  recebe("D00017.ARJ", "&QVDIR/IN/R&PAA&PMM&PDD.TXT", "M", "x");
  EXPECT_EQ(disponibilizaArquivos("C:/T/"), 0);
  EXPECT_EQ(arvore.read("T/IN/R20260131.TXT"), "x");
}

TEST_F(Disponibiliza, LowerCaseCodesReplaceAnExistingDestination) {
  arvore.write("OUT/A.TXT", "old");
  arvore.write("OUT/M.TXT", "old");
  recebe("D00001.ARJ", "C:/OUT/A.TXT", "a", "by a");
  recebe("D00002.ARJ", "C:/OUT/M.TXT", "m", "by m");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("OUT/A.TXT"), "by a");
  EXPECT_EQ(arvore.read("OUT/M.TXT"), "by m");
  EXPECT_FALSE(arvore.exists("OUT/M00001.QVX"));
}

TEST_F(Disponibiliza, ArchiveWithoutDescriptorWaitsForEveryPass) {
  arvore.write("STAGE/D00009.ARQ", "payload");
  // An archive holding only the data file.
  criaRecebido(arvore, "D00008.ARJ", descritor("C:/OUT/OK.TXT", "", "M"), "fine");
  std::filesystem::copy_file(arvore.path("T/INTRAY/WORK/D00008.ARJ"),
                             arvore.path("T/INTRAY/WORK/D00009.ARJ"));  // members named D00008
  for (int passe = 0; passe < 2; ++passe) {
    disponibilizaArquivos("C:/T");
    EXPECT_TRUE(aguardando("D00009.ARJ"));
  }
  EXPECT_FALSE(aguardando("D00008.ARJ"));
  EXPECT_EQ(arquivosRegistrados(arvore), std::vector<std::string>{"D00008.ARJ"});
}

TEST_F(Disponibiliza, ADeliveredArchiveThatCannotBeDeletedIsNotDeliveredAgain) {
  recebe("D00001.ARJ", "C:/OUT/X.TXT", "A", "payload");
  arvore.write("OUT/X.TXT", "");
  {
    RefusingDelete recusa(".ENTREGA");
    EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  }
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 1);  // nothing is waiting
  EXPECT_EQ(arvore.read("OUT/X.TXT"), "payload");
  // The same name arriving again is delivered in its turn.
  recebe("D00001.ARJ", "C:/OUT/X.TXT", "A", "+more");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("OUT/X.TXT"), "payload+more");
  EXPECT_FALSE(aguardando("D00001.ARJ"));
}

TEST_F(Disponibiliza, ShortDescriptorHasEmptyStampAndReplaces) {
  arvore.write("OUT/X.TXT", "old");
  criaRecebido(arvore, "D00005.ARJ", "C:/OUT/X.TXT", "new");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("OUT/X.TXT"), "new");
  EXPECT_EQ(arvore.read("T/OUTTRAY/ContDown.dat").substr(0, 5), "#\r\n\r\n");
}

TEST_F(Disponibiliza, FailedPlacementKeepsTheArchive) {
  recebe("D00001.ARJ", "C:/NO/SUCH/DIR/X.TXT", "M", "payload");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 1);
  EXPECT_TRUE(aguardando("D00001.ARJ"));
  arvore.mkdir("NO/SUCH/DIR");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("NO/SUCH/DIR/X.TXT"), "payload");
  EXPECT_FALSE(aguardando("D00001.ARJ"));
}

TEST_F(Disponibiliza, AppendThatCannotOpenTheDestinationKeepsTheArchive) {
  arvore.mkdir("OUT/DIR.TXT");
  recebe("D00001.ARJ", "C:/OUT/DIR.TXT", "A", "payload");
  disponibilizaArquivos("C:/T");
  EXPECT_TRUE(aguardando("D00001.ARJ"));
  EXPECT_EQ(arquivosRegistrados(arvore), std::vector<std::string>{});
}

TEST_F(Disponibiliza, DestinationTooLongIsNeverCut) {
  // A root of 123 characters fits every tray path; three copies of it do not
  // fit a destination.
  const std::string pasta(120, 'r');
  for (const char* d : {"/DATA", "/INTRAY/WORK", "/OUTTRAY"}) arvore.mkdir(pasta + d);
  const std::string raiz = "C:/" + pasta;
  arvore.write("STAGE/D00001.FN", descritor("&QVDIR/&QVDIR/&QVDIR", "", "M"));
  arvore.write("STAGE/D00001.ARQ", "payload");
  for (const char* extensao : {".FN", ".ARQ"}) {
    std::string comando = "a \"" + raiz + "/INTRAY/WORK/D00001.ARJ\" \"C:/STAGE/D00001" + extensao + "\"";
    ASSERT_EQ(ExecArj(comando.c_str(), 0), 0);
  }
  EXPECT_EQ(disponibilizaArquivos(raiz.c_str()), 1);
  EXPECT_TRUE(arvore.exists(pasta + "/INTRAY/WORK/D00001.ARJ"));
  EXPECT_FALSE(arvore.exists(pasta + "/OUTTRAY/ContDown.dat"));
}

TEST_F(Disponibiliza, RootTooLongForItsPathsReturnsOne) {
  EXPECT_EQ(disponibilizaArquivos(("C:/" + std::string(300, 'r')).c_str()), 1);
  EXPECT_EQ(disponibilizaArquivos(("C:/" + std::string(240, 'r')).c_str()), 1);
}

TEST_F(Disponibiliza, DataFileThatIsALinkIsNotFollowed) {
  if (testing::kNoSymbolicLinks) GTEST_SKIP() << testing::kLinksNotMade;
  arvore.write("SECRET.TXT", "secret");
  recebe("D00001.ARJ", "C:/OUT/X.TXT", "M", "payload");
  // Links planted in the incoming tray under the members' names.
  std::filesystem::create_symlink(arvore.path("SECRET.TXT"), arvore.path("T/INTRAY/D00001.ARQ"));
  std::filesystem::create_symlink(arvore.path("SECRET.TXT"), arvore.path("T/INTRAY/D00001.FN"));
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("SECRET.TXT"), "secret");
  EXPECT_EQ(arvore.read("OUT/X.TXT"), "payload");
}

TEST_F(Disponibiliza, ModeFollowsTheSystemVersion) {
  struct Caso {
    bool responde;
    uint32_t plataforma, versao;
    bool coleta;
  };
  for (Caso caso : {Caso{true, 2, 4, true}, Caso{true, 1, 4, true}, Caso{false, 2, 5, true},
                    Caso{true, 2, 5, false}, Caso{true, 2, 10, false}, Caso{true, 3, 1, false}}) {
    const std::string versao = caso.responde ? std::to_string(caso.plataforma) + "." +
                                                   std::to_string(caso.versao)
                                             : "a failing query";
    std::filesystem::remove_all(arvore.path("OUT"));
    arvore.mkdir("OUT");
    std::filesystem::remove(arvore.path("T/OUTTRAY/ContDown.dat"));
    for (const char* nome : {"D00001.ARJ", "D00002.ARJ", "D00003.ARJ"}) {
      recebe(nome, std::string("C:/OUT/") + nome, "M", nome);
    }
    std::vector<std::string> esperados = testing::listaRecebidos();
    ASSERT_EQ(esperados.size(), 3u);
    if (caso.coleta) std::reverse(esperados.begin(), esperados.end());
    {
      testing::FixedVersion sistema(caso.responde, caso.plataforma, caso.versao);
      ASSERT_EQ(disponibilizaArquivos("C:/T"), 0) << versao;
    }
    EXPECT_EQ(arquivosRegistrados(arvore), esperados) << versao;
    EXPECT_TRUE(testing::listaRecebidos().empty());
  }
}

TEST_F(Disponibiliza, CollectFirstTakes999FromTheLastBack) {
  if (testing::underWine()) {
    GTEST_SKIP() << "packing 1,002 archives takes minutes under Wine, beyond the Windows stage's "
                    "time; ModeFollowsTheSystemVersion checks the collecting order there";
  }
  testing::FixedVersion sistema(true, 2, 4);
  char nome[16];
  for (int i = 1; i <= 1002; ++i) {
    std::snprintf(nome, sizeof nome, "D%05d.ARJ", i);
    recebe(nome, "C:/OUT/Z.TXT", "M", std::to_string(i));
  }
  const std::vector<std::string> listados = testing::listaRecebidos();
  ASSERT_EQ(listados.size(), 1002u);
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  std::vector<std::string> esperados(listados.begin(), listados.begin() + 999);
  std::reverse(esperados.begin(), esperados.end());
  EXPECT_EQ(arquivosRegistrados(arvore), esperados);
  const std::vector<std::string> restantes = testing::listaRecebidos();
  std::vector<std::string> esperadosRestantes(listados.begin() + 999, listados.end());
  EXPECT_EQ(std::set<std::string>(restantes.begin(), restantes.end()),
            std::set<std::string>(esperadosRestantes.begin(), esperadosRestantes.end()));
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_TRUE(testing::listaRecebidos().empty());
  EXPECT_EQ(arquivosRegistrados(arvore).size(), 1002u);
}

}  // namespace
}  // namespace torvex
