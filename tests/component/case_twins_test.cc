// Folders of the tray tree that differ only in letter case (possible on
// Linux): every method names them with one spelling and finds the same one
// by one rule, so what one method writes another reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "arj/exec_arj.h"
#include "component/controlador.h"
#include "tests/support/environment.h"
#include "tests/support/bstr_text.h"
#include "tests/support/temp_tree.h"
#include "tests/support/windows_limits.h"

namespace torvex {
namespace {

using testing::bstr;
using testing::texto;

struct Gemeos {
  std::vector<std::string> pastas;  // the twins, each with its WORK
  std::string escolhida;            // the one every method uses
};

class GemeosDeCaixa : public ::testing::TestWithParam<Gemeos> {
 protected:
  GemeosDeCaixa() {
    testing::setVariable("TORVEX_WINVER", "6.1");
  }
  ~GemeosDeCaixa() override {
    testing::setVariable("TORVEX_WINVER", nullptr);
  }
  testing::TempTree arvore;
};

// The exact spelling the methods use ("Outtray", "Intray") wins; else the
// first twin in byte order.
TEST_P(GemeosDeCaixa, WhatOneMethodWritesTheOthersRead) {
  if (testing::kCaseBlindVolume) GTEST_SKIP() << testing::kNoCaseTwins;
  arvore.mkdir("T/DATA");
  arvore.mkdir("dados");
  arvore.mkdir("OUT");
  for (const std::string& p : GetParam().pastas) {
    arvore.mkdir("T/" + p + "/WORK");
    arvore.mkdir("T/" + p + "/work");
  }
  const std::string out = GetParam().escolhida;
  arvore.write("dados/a.txt", "a");
  ASSERT_EQ(Controlador::geraArquivoUpload(bstr(u"C:/T").get(), bstr(u"C:/dados/a.txt").get(),
                                           bstr(u"").get(), 1),
            0);
  EXPECT_TRUE(arvore.exists("T/" + out + "/WORK/F1_a_txt.ARJ") ||
              arvore.exists("T/" + out + "/work/F1_a_txt.ARJ"));
  EXPECT_EQ(texto(Bstr(Controlador::recuperaArquivoUpload(bstr(u"C:/T").get(), 1))),
            u"F1_a_txt.ARJ");

  // Incoming: the archive is put where the pass looks, and its record where
  // the listing of the control file looks.
  arvore.write("STAGE/D00001.FN", "C:/OUT/x.txt\r\ns\r\nR\r\n");
  arvore.write("STAGE/D00001.ARQ", "x");
  for (const char* m : {"FN", "ARQ"}) {
    const std::string c = "a \"C:/T/Intray/Work/D00001.ARJ\" \"C:/STAGE/D00001." + std::string(m) + "\"";
    ASSERT_EQ(ExecArj(c.c_str(), 0), 0);
  }
  EXPECT_EQ(Controlador::disponibilizaArquivos(bstr(u"C:/T").get()), 0);
  EXPECT_EQ(arvore.read("OUT/x.txt"), "x");
  EXPECT_EQ(texto(Bstr(Controlador::recuperaControleDownload(bstr(u"C:/T").get()))),
            u"C:/T/Outtray/ContDown.dat");
  EXPECT_TRUE(arvore.exists("T/" + out + "/ContDown.dat"));
}

INSTANTIATE_TEST_SUITE_P(
    Pares, GemeosDeCaixa,
    ::testing::Values(Gemeos{{"OUTTRAY", "outtray", "INTRAY", "intray"}, "OUTTRAY"},
                      Gemeos{{"Outtray", "OUTTRAY", "Intray", "INTRAY"}, "Outtray"},
                      Gemeos{{"outtray", "OUTTRAY", "intray", "INTRAY"}, "OUTTRAY"}));

}  // namespace
}  // namespace torvex
