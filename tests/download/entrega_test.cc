#include "download/lote_entrega.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "download/colocacao.h"
#include "journal/journal_file.h"
#include "platform/file.h"
#include "tests/support/environment.h"
#include "tests/support/temp_tree.h"
#include "platform/scoped_platform.h"

namespace torvex {
namespace {

// Refuses the deletes and renames whose source path contains a marker.
class Refusing : public ScopedPlatform {
 public:
  explicit Refusing(const char* marca)
      : marca_(marca) {}
  bool deleteFile(const char* p) override {
    return !std::strstr(p, marca_) && ForwardingPlatform::deleteFile(p);
  }
  bool replaceFile(const char* a, const char* b) override {
    return !std::strstr(a, marca_) && ForwardingPlatform::replaceFile(a, b);
  }

 private:
  const char* marca_;
};

class Colocar : public ::testing::Test {
 protected:
  Colocar() {
    arvore.mkdir("T/OUTTRAY");
    arvore.mkdir("T/DATA");
    arvore.write("T/INTRAY/D00017.ARQ", "payload");
  }
  Colocacao escolhe(const char* destino, char codigo) {
    Colocacao c;
    EXPECT_TRUE(escolheColocacao(destino, codigo, "C:/T", c));
    return c;
  }
  // A batch of this one delivery; true when it was delivered.
  bool entregaEm(const Colocacao& c, int64_t criacao = 0) {
    Journal journal;
    EXPECT_TRUE(journal.open("C:/T"));
    LoteEntrega lote("C:/T", journal);
    Entrega e;
    e.dados = "C:/T/Intray/D00017.ARQ";
    e.colocacao = c;
    bool legivel = false;
    e.tamanhoAnterior = tamanhoAtual(c.final, legivel).value_or(0);
    EXPECT_TRUE(digestOf(e.dados.c_str(), e.digestoDados));
    e.gravacaoDados = DirSearch(e.dados.c_str()).entry().lastWriteTime;
    e.carimbo = "stamp";
    e.nomeArquivo = "D00017.ARJ";
    e.criacaoArquivo = criacao;
    lote.adiciona(e);
    EXPECT_TRUE(lote.executa());
    return arvore.read("T/OUTTRAY/ContDown.dat").find("D00017.ARJ") != std::string::npos;
  }
  std::string controle() const { return arvore.read("T/OUTTRAY/ContDown.dat"); }
  testing::TempTree arvore;
};

TEST_F(Colocar, NewDestinationIsMovedWhateverTheCode) {
  for (char codigo : {'A', 'M', 'x'}) {
    Colocacao c = escolhe("C:/OUT/NEW.TXT", codigo);
    EXPECT_EQ(c.modo, ModoEntrega::Move);
    EXPECT_STREQ(c.final, "C:/OUT/NEW.TXT");
  }
  EXPECT_FALSE(arvore.exists("T/DATA/SEQPOST.DAT"));  // no number drawn
}

TEST_F(Colocar, ExistingDestinationByCode) {
  arvore.write("OUT/X.TXT", "old");
  EXPECT_EQ(escolhe("C:/OUT/X.TXT", 'A').modo, ModoEntrega::Anexa);
  Colocacao numerada = escolhe("C:/out/x.txt", 'M');
  EXPECT_EQ(numerada.modo, ModoEntrega::Move);
  EXPECT_STREQ(numerada.final, "C:/out/M00001.QVX");
  for (char codigo : {'a', 'm', 'R', '\0'}) {
    Colocacao c = escolhe("C:/OUT/X.TXT", codigo);
    EXPECT_EQ(c.modo, ModoEntrega::Substitui) << codigo;
    EXPECT_STREQ(c.final, "C:/OUT/X.TXT");
  }
}

TEST_F(Colocar, EmptyDestinationIsRefused) {
  Colocacao c;
  EXPECT_FALSE(escolheColocacao("", 'A', "C:/T", c));
}

TEST_F(Colocar, MoveRecordsTheArchiveCreationTime) {
  testing::setVariable("TZ", "UTC0");
  arvore.mkdir("OUT");
  ASSERT_TRUE(entregaEm(escolhe("C:/OUT/NEW.TXT", 'M'), 1109999049));  // 2005-03-05 05:04:09
  EXPECT_EQ(arvore.read("OUT/NEW.TXT"), "payload");
  EXPECT_FALSE(arvore.exists("T/INTRAY/D00017.ARQ"));
  EXPECT_EQ(controle(),
            "#\r\nstamp\r\nD00017.ARJ\r\nC:/OUT/NEW.TXT\r\n05/03/2005 05:04:09\r\n");
}

TEST_F(Colocar, FailedMoveTakesTheRecordBack) {
  arvore.write("T/OUTTRAY/ContDown.dat", "earlier");
  Colocacao c = escolhe("C:/NO/SUCH/DIR/X.TXT", 'x');
  EXPECT_FALSE(entregaEm(c));
  EXPECT_EQ(controle(), "earlier");
  EXPECT_TRUE(arvore.exists("T/INTRAY/D00017.ARQ"));
}

TEST_F(Colocar, ReplacementThatFailsKeepsTheOldDestination) {
  arvore.write("OUT/X.TXT", "old");
  Colocacao c = escolhe("C:/OUT/X.TXT", 'x');
  Refusing recusa("D00017");
  EXPECT_FALSE(entregaEm(c));
  EXPECT_EQ(arvore.read("OUT/X.TXT"), "old");
  EXPECT_EQ(controle(), "");
}

TEST_F(Colocar, ReplacementTakesTheDestinationsPlace) {
  arvore.write("OUT/X.TXT", "old");
  ASSERT_TRUE(entregaEm(escolhe("C:/OUT/X.TXT", 'r')));
  EXPECT_EQ(arvore.read("OUT/X.TXT"), "payload");
}

TEST_F(Colocar, AppendDeletesTheDataFile) {
  arvore.write("OUT/X.TXT", "old+");
  ASSERT_TRUE(entregaEm(escolhe("C:/OUT/X.TXT", 'A')));
  EXPECT_EQ(arvore.read("OUT/X.TXT"), "old+payload");
  EXPECT_FALSE(arvore.exists("T/INTRAY/D00017.ARQ"));
}

TEST_F(Colocar, UndeletableDataFileAfterAppendStillCountsAndDatesTheRecord) {
  testing::setVariable("TZ", "UTC0");
  arvore.write("OUT/X.TXT", "old+");
  std::filesystem::last_write_time(
      arvore.path("T/INTRAY/D00017.ARQ"),
      std::filesystem::file_time_type::clock::from_sys(
          std::chrono::sys_seconds{std::chrono::seconds{1700000000}}));  // 2023-11-14 22:13:20
  Refusing recusa("D00017");
  ASSERT_TRUE(entregaEm(escolhe("C:/OUT/X.TXT", 'A'), 1109999049));
  EXPECT_EQ(arvore.read("OUT/X.TXT"), "old+payload");
  EXPECT_TRUE(arvore.exists("T/INTRAY/D00017.ARQ"));
  EXPECT_NE(controle().find("14/11/2023 22:13:20"), std::string::npos) << controle();
}

}  // namespace
}  // namespace torvex
