// A tray tree without DATA (made by hand or by another tool) and a tree on a
// read-only medium: the changing calls make DATA on first need or return
// their failure value, the listings answer as the tree stands and make no
// file of their own.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "arj/exec_arj.h"
#include "cli/read_only_platform.h"
#include "component/controlador.h"
#include "tests/support/environment.h"
#include "tests/support/bstr_text.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

using testing::bstr;
using testing::texto;

class SemData : public ::testing::Test {
 protected:
  SemData() {
    testing::setVariable("TORVEX_WINVER", "6.1");
    // Only what the methods themselves need: no DATA.
    for (const char* d : {"T/INTRAY/WORK", "T/OUTTRAY/WORK", "OUT", "dados"}) arvore.mkdir(d);
  }
  ~SemData() override {
    testing::setVariable("TORVEX_WINVER", nullptr);
  }
  void recebe(const char* fi) {
    arvore.write("STAGE/D00001.FN", std::string(fi) + "\r\ns\r\nR\r\n");
    arvore.write("STAGE/D00001.ARQ", "payload");
    for (const char* m : {"FN", "ARQ"}) {
      const std::string c = std::string("a \"C:/T/INTRAY/WORK/D00001.ARJ\" \"C:/STAGE/D00001.") + m + "\"";
      ASSERT_EQ(ExecArj(c.c_str(), 0), 0);
    }
    std::filesystem::remove_all(arvore.path("STAGE"));
  }
  static LONG gera(const char16_t* fi) {
    return Controlador::geraArquivoUpload(bstr(u"C:/T").get(), bstr(fi).get(), bstr(u"").get(), 1);
  }
  static std::u16string lista(LONG i) {
    return texto(Bstr(Controlador::recuperaArquivoUpload(bstr(u"C:/T").get(), i)));
  }
  static std::u16string controle() {
    return texto(Bstr(Controlador::recuperaControleDownload(bstr(u"C:/T").get())));
  }
  static LONG disponibiliza() { return Controlador::disponibilizaArquivos(bstr(u"C:/T").get()); }

  testing::TempTree arvore;
};

TEST_F(SemData, UploadAndDeliveryMakeDataAndRun) {
  arvore.write("dados/a.txt", "a");
  EXPECT_EQ(gera(u"C:/dados/a.txt"), 0);
  EXPECT_TRUE(arvore.exists("T/OUTTRAY/WORK/F1_a_txt.ARJ"));
  EXPECT_FALSE(arvore.exists("dados/a.txt"));
  EXPECT_TRUE(std::filesystem::is_directory(arvore.path("T/DATA")));

  std::filesystem::remove_all(arvore.path("T/DATA"));
  recebe("C:/OUT/x.txt");
  EXPECT_EQ(disponibiliza(), 0);
  EXPECT_EQ(arvore.read("OUT/x.txt"), "payload");
  EXPECT_TRUE(std::filesystem::is_directory(arvore.path("T/DATA")));
}

TEST_F(SemData, ListingsMakeNoFileWhereNothingIsToRecover) {
  arvore.write("T/OUTTRAY/WORK/F1_a_txt.ARJ", "archive");
  arvore.write("T/OUTTRAY/ContDown.dat", "");
  EXPECT_EQ(lista(1), u"F1_a_txt.ARJ");
  EXPECT_EQ(controle(), u"C:/T/Outtray/ContDown.dat");
  EXPECT_FALSE(arvore.exists("T/DATA"));

  arvore.mkdir("T/DATA");
  EXPECT_EQ(lista(1), u"F1_a_txt.ARJ");
  EXPECT_EQ(controle(), u"C:/T/Outtray/ContDown.dat");
  EXPECT_TRUE(std::filesystem::is_empty(arvore.path("T/DATA")));

  // After a writer the lock stands; an empty journal still holds nothing.
  arvore.write("T/DATA/TORVEX.LCK", "");
  EXPECT_EQ(lista(1), u"F1_a_txt.ARJ");
  EXPECT_FALSE(arvore.exists("T/DATA/TORVEX.JNL"));
}

TEST_F(SemData, AReadOnlyMediumListsAsItStandsAndRefusesChanges) {
  arvore.write("T/OUTTRAY/WORK/F1_a_txt.ARJ", "archive");
  arvore.write("T/OUTTRAY/ContDown.dat", "");
  arvore.write("dados/a.txt", "a");
  for (bool comData : {false, true}) {
    SCOPED_TRACE(comData ? "with DATA" : "without DATA");
    if (comData) arvore.mkdir("T/DATA");
    {
      cli::ReadOnlyPlatform somenteLeitura;
      EXPECT_EQ(lista(1), u"F1_a_txt.ARJ");
      EXPECT_EQ(lista(2), u"");
      EXPECT_EQ(controle(), u"C:/T/Outtray/ContDown.dat");
      // An empty work area gives 1 even with a control file standing.
      EXPECT_EQ(disponibiliza(), 1);
    }
    recebe("C:/OUT/x.txt");
    {
      cli::ReadOnlyPlatform somenteLeitura;
      EXPECT_EQ(disponibiliza(), 1);
      EXPECT_EQ(gera(u"C:/dados/a.txt"), 0);
    }
    EXPECT_TRUE(arvore.exists("T/INTRAY/WORK/D00001.ARJ"));
    EXPECT_TRUE(arvore.exists("dados/a.txt"));
    EXPECT_FALSE(arvore.exists("OUT/x.txt"));
    EXPECT_EQ(arvore.exists("T/DATA"), comData);
    std::filesystem::remove(arvore.path("T/INTRAY/WORK/D00001.ARJ"));
  }
}

TEST_F(SemData, AnEmptyWorkAreaGivesOneWithAControlFileStanding) {
  arvore.write("T/OUTTRAY/ContDown.dat", "");
  EXPECT_EQ(disponibiliza(), 1);
  arvore.mkdir("T/DATA");
  EXPECT_EQ(disponibiliza(), 1);
}

}  // namespace
}  // namespace torvex
