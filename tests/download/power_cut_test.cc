// Cuts the power at every operation of a distribution pass that changes the
// disk, brings the tree back in each state a disk could be left in, and
// checks that the next pass finishes the work: every payload delivered once
// with one whole record that names it, and nothing of the pass left behind.
// Each sweep runs with the destinations beside the tree and on another
// volume, which a sync of the tree's volume does not make durable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "component/controlador.h"
#include "download/disponibiliza_arquivos.h"
#include "journal/tray_session.h"
#include "tests/download/casos_entrega.h"
#include "tests/download/received_archives.h"
#include "tests/support/environment.h"
#include "tests/support/bstr_text.h"
#include "tests/support/power_cut_platform.h"
#include "tests/support/sweep_stride.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;

using testing::Bstr;
using testing::bstr;
using testing::CasoEntrega;
using testing::casosEntrega;

struct Contagem {
  long pontos = 0, perdidos = 0, duplos = 0, rasgados = 0, restos = 0;
};

class CorteDeEnergia : public ::testing::TestWithParam<bool> {
 protected:
  CorteDeEnergia() {
    testing::setVariable("TORVEX_WINVER", "2.5");
    limites_ = batchLimits();
    batchLimits().files = 3;  // a full batch and a partial one
  }
  ~CorteDeEnergia() override {
    batchLimits() = limites_;
    testing::setVariable("TORVEX_WINVER", nullptr);
  }

  void arranja() { bandeja.arranja(); }

  // Whole records, each naming a file that holds its archive's payload.
  bool registrosInteiros() const {
    const std::string controle = arvore.read("T/OUTTRAY/ContDown.dat");
    std::vector<std::string> linhas;
    for (size_t pos = 0, fim; (fim = controle.find("\r\n", pos)) != std::string::npos; pos = fim + 2) {
      linhas.push_back(controle.substr(pos, fim - pos));
    }
    if (linhas.size() % 5 != 0 || (!controle.empty() && !controle.ends_with("\r\n"))) return false;
    for (size_t i = 0; i < linhas.size(); i += 5) {
      const std::string unidade = std::string(1, saida().drive()) + ":/";
      if (linhas[i] != "#" || linhas[i + 1] != "stamp" || !linhas[i + 3].starts_with(unidade)) return false;
      auto casos = casosEntrega();
      auto caso = std::find_if(casos.begin(), casos.end(),
                               [&](const CasoEntrega& c) { return linhas[i + 2] == c.arquivo; });
      if (caso == casos.end()) return false;
      const std::string destino = saida().read(linhas[i + 3].substr(3));
      if (!destino.ends_with(caso->dados)) return false;
    }
    return true;
  }

  // What a pass may leave only while it runs: archives, members, scratch,
  // anything in OUT but destinations and numbered messages, a journal.
  int restos() const {
    int n = 0;
    for (const char* d : {"T/INTRAY", "T/INTRAY/WORK", "T/OUTTRAY/WORK"}) {
      for (const auto& e : fs::directory_iterator(arvore.path(d))) n += e.is_regular_file();
    }
    for (const auto& e : fs::directory_iterator(saida().path("OUT"))) {
      const auto ext = e.path().extension();
      n += e.is_regular_file() && ext != ".TXT" && ext != ".QVX";
    }
    return n + !arvore.read("T/DATA/TORVEX.JNL").empty();
  }

  // Cuts the power at every operation of a pass, in each way of
  // `sobreviventes`, and runs `depois` on the tree as the cut left it.
  template <class Depois>
  void emCadaCorte(testing::PowerCutPlatform& energia,
                   std::span<const testing::Survivor> sobreviventes, Depois depois) {
    arranja();
    energia.cut(testing::Survivor::Everything);
    energia.stopAt(0);
    ASSERT_EQ(disponibilizaArquivos("C:/T"), 0);
    const long operacoes = energia.count();
    ASSERT_GT(operacoes, 20);
    for (long n = testing::firstCut(operacoes); n <= operacoes; n += testing::sweepStride()) {
      for (testing::Survivor s : sobreviventes) {
        arranja();
        energia.cut(testing::Survivor::Everything);
        energia.stopAt(n);
        disponibilizaArquivos("C:/T");
        energia.cut(s);
        SCOPED_TRACE("operation " + std::to_string(n) + ", " + testing::survivorName(s));
        depois();
        if (HasFailure()) return;
      }
    }
  }

  void varre(testing::PowerCutPlatform& energia, Contagem& total) {
    emCadaCorte(energia, testing::kSurvivors, [&] {
      disponibilizaArquivos("C:/T");  // 1 when the cut pass had left no archive
      ++total.pontos;
      auto nomes = testing::arquivosRegistrados(arvore);
      for (const CasoEntrega& c : casosEntrega()) {
        const int e = bandeja.entregas(c);
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
    });
  }

  // Where the destinations are: beside the tree, or on another volume.
  const testing::TempTree& saida() const { return GetParam() ? outro : arvore; }
  static const char* onde(bool outroVolume) {
    return outroVolume ? ", destinations on another volume" : "";
  }

  testing::TempTree arvore;
  testing::TempTree outro{'D'};
  testing::BandejaComCasos bandeja{arvore, saida()};
  BatchLimits limites_;
};

TEST_P(CorteDeEnergia, EveryOperationOfAPassWithEveryDisposition) {
  for (testing::SyncModel modelo : testing::kSyncModelsHere) {
    Contagem total;
    {
      testing::PowerCutPlatform energia(arvore.dir(), {outro.dir()});
      energia.model(modelo);
      varre(energia, total);
    }
    std::printf("download power cuts (%s%s): %ld points, lost %ld, twice %ld, torn %ld, orphans %ld\n",
                testing::syncModelName(modelo), onde(GetParam()), total.pontos, total.perdidos,
                total.duplos, total.rasgados, total.restos);
    if (HasFailure()) return;
  }
}

// After a crash the host may ask for the control file before it runs
// another pass: what the crashed pass delivered has its one whole record
// by then, and whatever it did not deliver still waits as it arrived.
TEST_P(CorteDeEnergia, TheControlFileHasTheRecordsOfAnInterruptedPass) {
  testing::PowerCutPlatform energia(arvore.dir(), {outro.dir()});
  const testing::Survivor sobreviventes[] = {testing::Survivor::Everything,
                                             testing::Survivor::Synced};
  Contagem total;
  emCadaCorte(energia, sobreviventes, [&] {
    Bstr controle(Controlador::recuperaControleDownload(bstr(u"C:/T").get()));
    ++total.pontos;
    total.restos += !arvore.read("T/DATA/TORVEX.JNL").empty();
    EXPECT_TRUE(arvore.read("T/DATA/TORVEX.JNL").empty());
    const bool inteiros = registrosInteiros();
    total.rasgados += !inteiros;
    EXPECT_TRUE(inteiros) << arvore.read("T/OUTTRAY/ContDown.dat");
    auto nomes = testing::arquivosRegistrados(arvore);
    for (const CasoEntrega& c : casosEntrega()) {
      const int e = bandeja.entregas(c);
      const auto r = std::count(nomes.begin(), nomes.end(), c.arquivo);
      const bool espera = arvore.exists(std::string("T/INTRAY/WORK/") + c.arquivo);
      total.perdidos += !espera && (e == 0 || r == 0);
      total.duplos += e > 1 || r > 1 || (espera && e > 0);
      total.rasgados += e < 0;
      EXPECT_EQ(r, e) << c.arquivo;
      EXPECT_EQ(e, espera ? 0 : 1) << c.arquivo;
    }
  });
  std::printf("download control file after power cuts%s: %ld points, lost %ld, twice %ld, torn %ld, "
              "orphans %ld\n",
              onde(GetParam()), total.pontos, total.perdidos, total.duplos, total.rasgados, total.restos);
}

INSTANTIATE_TEST_SUITE_P(Volumes, CorteDeEnergia, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& i) {
                           return i.param ? "OtherVolume" : "SameVolume";
                         });

}  // namespace
}  // namespace torvex
