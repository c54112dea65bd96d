// Fails each file operation of a distribution pass in turn and checks that
// nothing received is lost or delivered twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "download/disponibiliza_arquivos.h"
#include "platform/platform_posix.h"
#include "tests/download/received_archives.h"
#include "tests/support/faulty_platform.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;

struct Caso {
  const char* arquivo;
  const char* destino;  // relative to the drive
  const char* codigo;
  const char* dados;
  const char* antes;    // destination before the pass, or null when absent
  const char* depois;   // destination once delivered
};

// One archive of each kind of placement.
const Caso kCasos[] = {
    {"D00001.ARJ", "OUT/NEW.TXT", "M", "new", nullptr, "new"},
    {"D00002.ARJ", "OUT/APP.TXT", "A", "tail", "head+", "head+tail"},
    {"D00003.ARJ", "OUT/REP.TXT", "R", "replaced", "old", "replaced"},
    {"D00004.ARJ", "OUT/MSG.TXT", "M", "numbered", "mine", "mine"},
};

class Falhas : public ::testing::Test {
 protected:
  Falhas() {
    ::setenv("TORVEX_WINVER", "2.5", 1);
    reloadEnvironment();
    testing::criaBandejas(arvore);
    for (const Caso& c : kCasos) {
      testing::criaRecebido(arvore, c.arquivo,
                            testing::descritor(std::string("C:/") + c.destino, "stamp", c.codigo),
                            c.dados);
    }
    fs::copy(arvore.path("T/INTRAY/WORK"), arvore.path("MODEL"));
  }
  ~Falhas() override {
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

  // How many times the payload of `c` reached its destination (-1: the
  // destination is in neither the old nor the delivered state).
  int entregas(const Caso& c) const {
    if (std::string(c.codigo) == "M" && c.antes) {
      if (arvore.read(c.destino) != c.antes) return -1;
      int n = 0;
      for (const auto& e : fs::directory_iterator(arvore.path("OUT"))) {
        if (e.path().extension() == ".QVX" && arvore.read("OUT/" + e.path().filename().string()) == c.dados) ++n;
      }
      return n;
    }
    if (!arvore.exists(c.destino)) return c.antes ? -1 : 0;
    const std::string agora = arvore.read(c.destino);
    if (agora == (c.antes ? c.antes : "")) return 0;
    return agora == c.depois ? 1 : -1;
  }

  int registros(const Caso& c) const {
    auto nomes = testing::arquivosRegistrados(arvore);
    return static_cast<int>(std::count(nomes.begin(), nomes.end(), c.arquivo));
  }

  bool aguardando(const Caso& c) const {
    return arvore.exists(std::string("T/INTRAY/WORK/") + c.arquivo);
  }

  testing::TempTree arvore;
};

TEST_F(Falhas, EveryPayloadIsDeliveredOnceWithItsRecordOrStillWaiting) {
  testing::FaultyPlatform falhas;
  arranja();
  falhas.failAt(0);
  ASSERT_EQ(disponibilizaArquivos("C:/T"), 0);
  const long operacoes = falhas.count();
  for (const Caso& c : kCasos) ASSERT_EQ(entregas(c), 1) << c.arquivo;
  ASSERT_GT(operacoes, 20);

  for (long n = 1; n <= operacoes; ++n) {
    arranja();
    falhas.failAt(n);
    disponibilizaArquivos("C:/T");
    const std::string falha = n <= static_cast<long>(falhas.log().size()) ? falhas.log()[n - 1] : "?";
    SCOPED_TRACE("operation " + std::to_string(n) + ": " + falha);

    const std::string controle = arvore.read("T/OUTTRAY/ContDown.dat");
    EXPECT_EQ(std::count(controle.begin(), controle.end(), '\n') % 5, 0) << "a record cut short";
    EXPECT_TRUE(controle.empty() || controle.ends_with("\r\n"));

    for (const Caso& c : kCasos) {
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
    for (const Caso& c : kCasos) {
      EXPECT_EQ(entregas(c), 1) << c.arquivo;
      EXPECT_EQ(registros(c), 1) << c.arquivo;
      EXPECT_FALSE(aguardando(c)) << c.arquivo;
    }
  }
}

// Extraction leaves its files unsynced; a data file placed by a rename must
// be on the disk before its new name is, or a power loss could publish it
// empty. (An append copies the bytes and syncs the destination itself.)
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
    bool sincronizado = false;
    for (size_t j = 0; j + 1 < k; ++j)
      if (log[j] == "open " + origem && log[j + 1] == "sync ") sincronizado = true;
    EXPECT_TRUE(sincronizado) << log[k];
    ++renomeados;
  }
  EXPECT_EQ(renomeados, 3);
}

}  // namespace
}  // namespace torvex
