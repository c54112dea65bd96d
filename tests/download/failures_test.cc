// Fails each file operation of a distribution pass in turn and checks that
// nothing received is lost or delivered twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "download/disponibiliza_arquivos.h"
#include "tests/download/casos_entrega.h"
#include "tests/download/received_archives.h"
#include "tests/support/environment.h"
#include "tests/support/faulty_platform.h"
#include "tests/support/sweep_stride.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;

using testing::CasoEntrega;
using testing::casosEntrega;

class Falhas : public ::testing::Test {
 protected:
  Falhas() {
    testing::setVariable("TORVEX_WINVER", "2.5");
  }
  ~Falhas() override {
    testing::setVariable("TORVEX_WINVER", nullptr);
  }

  void arranja() { bandeja.arranja(); }
  int entregas(const CasoEntrega& c) const { return bandeja.entregas(c); }

  int registros(const CasoEntrega& c) const {
    auto nomes = testing::arquivosRegistrados(arvore);
    return static_cast<int>(std::count(nomes.begin(), nomes.end(), c.arquivo));
  }

  bool aguardando(const CasoEntrega& c) const {
    return arvore.exists(std::string("T/INTRAY/WORK/") + c.arquivo);
  }

  testing::TempTree arvore;
  testing::BandejaComCasos bandeja{arvore};
};

TEST_F(Falhas, EveryPayloadIsDeliveredOnceWithItsRecordOrStillWaiting) {
  testing::FaultyPlatform falhas;
  arranja();
  falhas.failAt(0);
  ASSERT_EQ(disponibilizaArquivos("C:/T"), 0);
  const long operacoes = falhas.count();
  for (const CasoEntrega& c : casosEntrega()) ASSERT_EQ(entregas(c), 1) << c.arquivo;
  ASSERT_GT(operacoes, 20);

  for (long n = testing::firstCut(operacoes); n <= operacoes; n += testing::sweepStride()) {
    arranja();
    falhas.failAt(n);
    disponibilizaArquivos("C:/T");
    const std::string falha = n <= static_cast<long>(falhas.log().size()) ? falhas.log()[n - 1] : "?";
    SCOPED_TRACE("operation " + std::to_string(n) + ": " + falha);

    const std::string controle = arvore.read("T/OUTTRAY/ContDown.dat");
    EXPECT_EQ(std::count(controle.begin(), controle.end(), '\n') % 5, 0) << "a record cut short";
    EXPECT_TRUE(controle.empty() || controle.ends_with("\r\n"));

    for (const CasoEntrega& c : casosEntrega()) {
      const int e = entregas(c);
      const int r = registros(c);
      const bool entregue = e == 1 && r == 1 && !aguardando(c);
      const bool esperando = e == 0 && r == 0 && aguardando(c);
      EXPECT_TRUE(entregue || esperando)
          << c.arquivo << " delivered " << e << " recorded " << r << " waiting " << aguardando(c);
    }

    // A later pass without faults delivers whatever waited, and nothing twice.
    falhas.failAt(0);
    disponibilizaArquivos("C:/T");
    for (const CasoEntrega& c : casosEntrega()) {
      EXPECT_EQ(entregas(c), 1) << c.arquivo;
      EXPECT_EQ(registros(c), 1) << c.arquivo;
      EXPECT_FALSE(aguardando(c)) << c.arquivo;
    }
  }
}

// Extraction leaves its files unsynced; a data file placed by a rename must
// be on the disk before its new name is, or a power loss could publish it
// empty. (An append copies the bytes and its batch syncs the destination.)
TEST_F(Falhas, ExtractedDataIsSyncedBeforeItIsRenamedIntoPlace) {
  testing::FaultyPlatform falhas;
  arranja();
  falhas.failAt(0);
  ASSERT_EQ(disponibilizaArquivos("C:/T"), 0);
  const std::vector<std::string>& log = falhas.log();
  int renomeados = 0;
  for (size_t k = 0; k < log.size(); ++k) {
    const size_t seta = log[k].find(".ARQ -> ");
    if (seta == std::string::npos || log[k].starts_with("open ")) continue;
    const size_t espaco = log[k].find(' ');
    const std::string origem = log[k].substr(espaco + 1, seta + 4 - espaco - 1);
    // Named by a barrier before it moves.
    bool sincronizado = false;
    for (size_t j = 0; j < k; ++j) {
      if (log[j].starts_with("durable ") && log[j].find(" " + origem + " ") != std::string::npos) {
        sincronizado = true;
      }
    }
    EXPECT_TRUE(sincronizado) << log[k];
    ++renomeados;
  }
  EXPECT_EQ(renomeados, 4);
}

}  // namespace
}  // namespace torvex
