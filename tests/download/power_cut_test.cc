// Cuts the power at every operation of a distribution pass that changes the
// disk, brings the tree back in each state a disk could be left in, and
// checks that the next pass finishes the work: every payload delivered once
// with one whole record that names it, and nothing of the pass left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "download/disponibiliza_arquivos.h"
#include "journal/tray_session.h"
#include "platform/platform_posix.h"
#include "tests/download/recebidos.h"
#include "tests/support/power_cut_platform.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;

struct Caso {
  const char* arquivo;
  const char* destino;  // relative to the drive
  const char* codigo;
  const char* dados;
  const char* antes;   // destination before the pass, or null when absent
  const char* depois;  // destination once delivered
};

// One archive of every disposition, and a code that means nothing.
const Caso kCasos[] = {
    {"D00001.ARJ", "OUT/NEW.TXT", "M", "new", nullptr, "new"},
    {"D00002.ARJ", "OUT/APP.TXT", "A", "tail", "head+", "head+tail"},
    {"D00003.ARJ", "OUT/REP.TXT", "R", "replaced", "old", "replaced"},
    {"D00004.ARJ", "OUT/MSG.TXT", "M", "numbered", "mine", "mine"},
    {"D00005.ARJ", "OUT/ANY.TXT", "z", "other", "was", "other"},
};

struct Contagem {
  long pontos = 0, perdidos = 0, duplos = 0, rasgados = 0, restos = 0;
};

class CorteDeEnergia : public ::testing::Test {
 protected:
  CorteDeEnergia() {
    ::setenv("TORVEX_WINVER", "2.5", 1);
    reloadEnvironment();
    testing::criaBandejas(arvore);
    for (const Caso& c : kCasos) {
      testing::criaRecebido(arvore, c.arquivo,
                            testing::descritor(std::string("C:/") + c.destino, "stamp", c.codigo),
                            c.dados);
    }
    fs::rename(arvore.path("T/INTRAY/WORK"), arvore.path("MODEL"));
    limites_ = batchLimits();
    batchLimits().files = 3;  // a full batch and a partial one
  }
  ~CorteDeEnergia() override {
    batchLimits() = limites_;
    ::unsetenv("TORVEX_WINVER");
    reloadEnvironment();
  }

  void arranja() {
    for (const char* d : {"OUT", "T"}) fs::remove_all(arvore.path(d));
    testing::criaBandejas(arvore);
    arvore.mkdir("OUT");
    for (const Caso& c : kCasos) {
      if (c.antes) arvore.write(c.destino, c.antes);
      fs::copy_file(arvore.path("MODEL") / c.arquivo, arvore.path("T/INTRAY/WORK") / c.arquivo);
    }
  }

  // How many times the payload of `c` reached its destination; -1 when the
  // destination is in neither its old nor its delivered state.
  int entregas(const Caso& c) const {
    if (std::string(c.codigo) == "M" && c.antes) {
      if (arvore.read(c.destino) != c.antes) return -1;
      int n = 0;
      for (const auto& e : fs::directory_iterator(arvore.path("OUT"))) {
        if (e.path().extension() == ".QVX" && arvore.read("OUT/" + e.path().filename().string()) == c.dados) ++n;
      }
      return n;
    }
    if (!arvore.exists(c.destino)) return 0;
    const std::string agora = arvore.read(c.destino);
    if (agora == (c.antes ? c.antes : "")) return 0;
    return agora == c.depois ? 1 : -1;
  }

  // Whole records, each naming a file that holds its archive's payload.
  bool registrosInteiros() const {
    const std::string controle = arvore.read("T/OUTTRAY/ContDown.dat");
    std::vector<std::string> linhas;
    for (size_t pos = 0, fim; (fim = controle.find("\r\n", pos)) != std::string::npos; pos = fim + 2) {
      linhas.push_back(controle.substr(pos, fim - pos));
    }
    if (linhas.size() % 5 != 0 || (!controle.empty() && !controle.ends_with("\r\n"))) return false;
    for (size_t i = 0; i < linhas.size(); i += 5) {
      if (linhas[i] != "#" || linhas[i + 1] != "stamp" || !linhas[i + 3].starts_with("C:/")) return false;
      auto caso = std::find_if(std::begin(kCasos), std::end(kCasos),
                               [&](const Caso& c) { return linhas[i + 2] == c.arquivo; });
      if (caso == std::end(kCasos)) return false;
      const std::string destino = arvore.read(linhas[i + 3].substr(3));
      if (!destino.ends_with(caso->dados)) return false;
    }
    return true;
  }

  // What a pass may leave only while it runs: archives, members, scratch,
  // anything in OUT but destinations and numbered messages, a journal.
  int restos() const {
    int n = 0;
    for (const char* d : {"T/INTRAY", "T/INTRAY/WORK", "T/OUTTRAY/WORK", "OUT"}) {
      for (const auto& e : fs::directory_iterator(arvore.path(d))) {
        const auto ext = e.path().extension();
        n += e.is_regular_file() && !(std::string(d) == "OUT" && (ext == ".TXT" || ext == ".QVX"));
      }
    }
    return n + !arvore.read("T/DATA/TORVEX.JNL").empty();
  }

  void varre(testing::PowerCutPlatform& energia, Contagem& total) {
    arranja();
    energia.cut(testing::Survivor::Everything);
    energia.stopAt(0);
    ASSERT_EQ(disponibilizaArquivos("C:/T"), 0);
    const long operacoes = energia.count();
    ASSERT_GT(operacoes, 20);
    for (long n = 1; n <= operacoes; ++n) {
      for (testing::Survivor s : testing::kSurvivors) {
        arranja();
        energia.cut(testing::Survivor::Everything);
        energia.stopAt(n);
        disponibilizaArquivos("C:/T");
        energia.cut(s);
        SCOPED_TRACE("operation " + std::to_string(n) + ", " + testing::survivorName(s));
        disponibilizaArquivos("C:/T");  // 1 when the cut pass had left no archive

        ++total.pontos;
        auto nomes = testing::arquivosRegistrados(arvore);
        for (const Caso& c : kCasos) {
          const int e = entregas(c);
          const auto r = std::count(nomes.begin(), nomes.end(), c.arquivo);
          total.perdidos += e == 0 || r == 0;
          total.duplos += e > 1 || r > 1;
          total.rasgados += e < 0;
          EXPECT_EQ(e, 1) << c.arquivo;
          EXPECT_EQ(r, 1) << c.arquivo;
        }
        const bool inteiros = registrosInteiros();
        total.rasgados += !inteiros;
        EXPECT_TRUE(inteiros) << arvore.read("T/OUTTRAY/ContDown.dat");
        const int r = restos();
        total.restos += r;
        EXPECT_EQ(r, 0);
        if (HasFailure()) return;
      }
    }
  }

  testing::TempTree arvore;
  BatchLimits limites_;
};

TEST_F(CorteDeEnergia, EveryOperationOfAPassWithEveryDisposition) {
  for (bool inteiro : {true, false}) {
    Contagem total;
    {
      testing::PowerCutPlatform energia(arvore.dir());
      energia.offerWholeSync(inteiro);
      varre(energia, total);
    }
    std::printf("download power cuts (%s): %ld points, lost %ld, twice %ld, torn %ld, orphans %ld\n",
                inteiro ? "one sync per volume" : "file by file", total.pontos, total.perdidos,
                total.duplos, total.rasgados, total.restos);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace torvex
