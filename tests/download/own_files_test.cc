// A received archive whose destination is a file the tray tree's own
// machinery uses, under any spelling or through any link, stays where it is
// and changes nothing, whatever its disposition code, pass after pass; and
// the dry run says why.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "arj/exec_arj.h"
#include "download/disponibiliza_arquivos.h"
#include "download/simulacao_recebido.h"
#include "tests/download/received_archives.h"
#include "tests/support/environment.h"
#include "tests/support/windows_limits.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;

// Every regular file under the test's drive, with its contents.
std::map<std::string, std::string> retrato(const testing::TempTree& arvore) {
  std::map<std::string, std::string> arquivos;
  for (const auto& e : fs::recursive_directory_iterator(arvore.dir())) {
    if (!e.is_symlink() && e.is_regular_file()) {
      const std::string rel = fs::relative(e.path(), arvore.dir()).string();
      arquivos[rel] = arvore.read(rel);
    }
  }
  return arquivos;
}

// A destination; "%s" stands for the archive's own base name, "%n" for the
// next archive's.
struct Destino {
  const char* fi;
  const char* what;
  // A link that leads nowhere yet says so: what it will lead to cannot be told.
  MotivoPermanencia motivo = MotivoPermanencia::DestinoReservado;
};

const Destino kDestinos[] = {
    {"C:/T/INTRAY/%s.ARQ", "its own data file"},
    {"C:/T/Intray/%s.fn", "its own descriptor"},
    {"C:/T/intray/%n.ARQ", "the data file of another archive of the pass"},
    {"C:/T/INTRAY/%n.FN", "the descriptor of another archive of the pass"},
    {"C:/T/OUTTRAY/WORK/F1_x_txt.ARJ", "a new upload archive"},
    {"C:/T/outtray/work/F1_y_txt.ARJ", "an existing upload archive"},
    {"C:/T/Outtray/Work/F1_y_txt.DAT", "an existing upload record"},
    {"C:/T/DATA/NOTES.TXT", "a new file in DATA"},
    {"C:/T/data/seqpost.dat", "the message counter"},
    {"C:/T/Intray/Work/%n.ARJ", "another received archive"},
    {"C:/T/Outtray/ContDown.dat", "the control file"},
    {"C:/OUT/HARD.TXT", "a hard link to an upload record"},
    {"C:/OUT/INLINK/%s.ARQ", "its own data file through a linked folder"},
    {"C:/OUT/JOURNAL.LNK", "a link to the journal"},
    {"C:/T/OUTTRAY/../DATA/TORVEX.LCK", "the lock, spelled through another folder"},
    {"C:/OUT/NEXT%n.LNK", "a link to the data file of another archive, not yet extracted",
     MotivoPermanencia::LigacaoSemAlvo},
};

class ArquivosProprios : public ::testing::Test {
 protected:
  ArquivosProprios() {
    testing::setVariable("TORVEX_WINVER", "6.1");
    testing::criaBandejas(arvore);
    arvore.mkdir("OUT");
    arvore.write("T/OUTTRAY/WORK/F1_y_txt.ARJ", "an upload archive");
    arvore.write("T/OUTTRAY/WORK/F1_y_txt.DAT", "C:/dados/y.txt\r\n01/01/2026 00:00:00\r\n");
    arvore.write("T/OUTTRAY/ContDown.dat", "");
    arvore.write("T/DATA/SEQPOST.DAT", std::string("\x05\0\0\0", 4));
    // A pass over an empty work area makes the lock and the journal.
    EXPECT_EQ(disponibilizaArquivos("C:/T"), 1);
    fs::create_hard_link(arvore.path("T/OUTTRAY/WORK/F1_y_txt.DAT"), arvore.path("OUT/HARD.TXT"));
    if (testing::kNoSymbolicLinks) return;  // the tests that need them skip, or leave them out
    fs::create_directory_symlink(arvore.path("T/INTRAY"), arvore.path("OUT/INLINK"));
    fs::create_symlink(arvore.path("T/DATA/TORVEX.JNL"), arvore.path("OUT/JOURNAL.LNK"));
  }
  ~ArquivosProprios() override {
    testing::setVariable("TORVEX_WINVER", nullptr);
  }
  static std::string base(int i) {
    char n[16];
    std::snprintf(n, sizeof n, "D%05d", i);
    return n;
  }
  static std::string expande(std::string fi, int i) {
    for (auto [marca, n] : {std::pair{"%s", i}, std::pair{"%n", i + 1}}) {
      const size_t p = fi.find(marca);
      if (p != std::string::npos) fi.replace(p, 2, base(n));
    }
    return fi;
  }
  testing::TempTree arvore;
};

TEST_F(ArquivosProprios, EveryCodeStaysInOnePassAndAcrossPassesAndTheDryRunSaysWhy) {
  if (testing::kNoSymbolicLinks) GTEST_SKIP() << testing::kLinksNotMade;
  const std::string payload(1500, 'p');  // several 512-byte blocks: an append to itself would not end
  for (const char* codigo : {"A", "R", "M", "a", "m", "x"}) {
    SCOPED_TRACE(codigo);
    std::vector<std::string> nomes;
    int i = 1;
    for (const Destino& d : kDestinos) {
      nomes.push_back(base(i) + ".ARJ");
      testing::criaRecebido(arvore, nomes.back(),
                            testing::descritor(expande(d.fi, i), "s", codigo), payload);
      i += 2;  // the next archive's number stays free for "%n"
    }
    // The archives that "%n" names are in the pass too; links to their data
    // files lead nowhere until they are extracted.
    for (int j = 2; j < i; j += 2) {
      fs::create_symlink(arvore.path("T/INTRAY/" + base(j) + ".ARQ"),
                         arvore.path("OUT/NEXT" + base(j) + ".LNK"));
      nomes.push_back(base(j) + ".ARJ");
      testing::criaRecebido(arvore, nomes.back(),
                            testing::descritor("C:/T/INTRAY/" + base(j - 1) + ".ARQ", "s", codigo),
                            payload);
    }
    std::map<std::string, MotivoPermanencia> motivos;
    for (size_t k = 0; k < std::size(kDestinos); ++k) {
      motivos[base(1 + 2 * static_cast<int>(k)) + ".ARJ"] = kDestinos[k].motivo;
    }
    const PrevisaoPasso previsao = simulaPasso("C:/T");
    ASSERT_EQ(previsao.recebidos.size(), nomes.size());
    for (const PrevisaoRecebido& r : previsao.recebidos) {
      EXPECT_FALSE(r.decisao.entrega) << r.arquivo.name;
      const auto motivo = motivos.find(r.arquivo.name);
      EXPECT_EQ(r.decisao.motivo,
                motivo == motivos.end() ? MotivoPermanencia::DestinoReservado : motivo->second)
          << r.arquivo.name;
    }
    const auto antes = retrato(arvore);
    for (int passe = 1; passe <= 2; ++passe) {
      EXPECT_EQ(disponibilizaArquivos("C:/T"), 0) << "pass " << passe;
      EXPECT_EQ(retrato(arvore), antes) << "pass " << passe;
      EXPECT_EQ(testing::listaRecebidos().size(), nomes.size()) << "pass " << passe;
    }
    for (const std::string& n : nomes) fs::remove(arvore.path("T/INTRAY/WORK/" + n));
    for (int j = 2; j < i; j += 2) fs::remove(arvore.path("OUT/NEXT" + base(j) + ".LNK"));
  }
}

TEST_F(ArquivosProprios, MembersLeftStandingByAnEarlierPassAreRefusedInALaterOne) {
  // No descriptor: its data file is extracted and stays in INTRAY.
  arvore.write("STAGE/D00001.ARQ", "left");
  ASSERT_EQ(ExecArj("a \"C:/T/INTRAY/WORK/D00001.ARJ\" \"C:/STAGE/D00001.ARQ\"", 0), 0);
  ASSERT_EQ(disponibilizaArquivos("C:/T"), 0);
  ASSERT_EQ(arvore.read("T/INTRAY/D00001.ARQ"), "left");
  std::vector<const char*> destinos = {"C:/T/INTRAY/D00001.ARQ"};
  if (testing::kNoSymbolicLinks) {
    std::printf("the member through a link is left out: %s\n", testing::kLinksNotMade);
  } else {
    fs::create_symlink(arvore.path("T/INTRAY/D00001.ARQ"), arvore.path("OUT/LEFT.LNK"));
    destinos.push_back("C:/OUT/LEFT.LNK");
  }
  for (const char* fi : destinos) {
    for (const char* codigo : {"A", "R", "M"}) {
      testing::criaRecebido(arvore, "D00002.ARJ", testing::descritor(fi, "s", codigo), "new");
      const auto antes = retrato(arvore);
      EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
      EXPECT_EQ(retrato(arvore), antes) << fi << " " << codigo;
      fs::remove(arvore.path("T/INTRAY/WORK/D00002.ARJ"));
    }
  }
}

// The pass moves and deletes files of its own places (a data file becomes a
// destination, an archive's number is freed and given to a new file): such a
// file, once elsewhere, is an ordinary destination.
TEST_F(ArquivosProprios, AFileMovedOutOfTheTrayIsAnOrdinaryDestination) {
  arvore.write("OUT/EXISTS.TXT", "x");
  testing::criaRecebido(arvore, "D00001.ARJ", testing::descritor("C:/OUT/C.TXT", "s", "R"), "1");
  testing::criaRecebido(arvore, "D00002.ARJ", testing::descritor("C:/OUT/EXISTS.TXT", "s", "M"), "2");
  testing::criaRecebido(arvore, "D00003.ARJ", testing::descritor("C:/OUT/C.TXT", "s", "A"), "3");
  testing::criaRecebido(arvore, "D00004.ARJ", testing::descritor("C:/OUT/EXISTS.TXT", "s", "A"), "4");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("OUT/C.TXT"), "13");
  EXPECT_EQ(arvore.read("OUT/EXISTS.TXT"), "x4");
  EXPECT_EQ(arvore.read("OUT/M00006.QVX"), "2");
  EXPECT_TRUE(testing::listaRecebidos().empty());
}

}  // namespace
}  // namespace torvex
