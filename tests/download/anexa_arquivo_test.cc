#include "download/anexa_arquivo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/faulty_platform.h"
#include "tests/support/temp_tree.h"
#include "tests/support/scoped_platform.h"

namespace torvex {
namespace {

// Records the result of every read, to see the block pattern of a copy.
class CountedReads : public testing::ScopedPlatform {
 public:
  long readFile(FileHandle* f, void* b, size_t n) override {
    long lidos = ForwardingPlatform::readFile(f, b, n);
    leituras.push_back(lidos);
    return lidos;
  }
  std::vector<long> leituras;

 private:
};

class AnexaArquivo : public ::testing::Test {
 protected:
  int anexa() { return anexaArquivo("C:/S.ARQ", "C:/T.TXT", tamanhoAnterior); }
  testing::TempTree arvore;
  uint64_t tamanhoAnterior = 99;
};

TEST_F(AnexaArquivo, AFileIsNeverAppendedToItself) {
  arvore.write("S.ARQ", std::string(2000, 's'));
  std::filesystem::create_symlink(arvore.path("S.ARQ"), arvore.path("LINK"));
  std::filesystem::create_hard_link(arvore.path("S.ARQ"), arvore.path("HARD"));
  for (const char* alvo : {"C:/S.ARQ", "C:/s.arq", "C:/LINK", "C:/HARD"}) {
    EXPECT_EQ(anexaArquivo("C:/S.ARQ", alvo, tamanhoAnterior), kAnexoNaoAbriu) << alvo;
    EXPECT_EQ(arvore.read("S.ARQ").size(), 2000u) << alvo;
  }
}

TEST_F(AnexaArquivo, AppendsBytesUntranslated) {
  arvore.write("T.TXT", "old\r\n");
  arvore.write("S.ARQ", std::string("new\nbin\0\r\x1a", 11));
  EXPECT_EQ(anexa(), kAnexoFeito);
  EXPECT_EQ(arvore.read("T.TXT"), std::string("old\r\nnew\nbin\0\r\x1a", 16));
  EXPECT_EQ(tamanhoAnterior, 5u);
}

TEST_F(AnexaArquivo, ZeroBytesLeaveTheDestinationUnchanged) {
  arvore.write("T.TXT", "keep");
  arvore.write("S.ARQ", "");
  EXPECT_EQ(anexa(), kAnexoFeito);
  EXPECT_EQ(arvore.read("T.TXT"), "keep");
}

TEST_F(AnexaArquivo, ExactlyTwoBlocksThenOneEmptyRead) {
  std::string dados(1024, '\0');
  for (size_t i = 0; i < dados.size(); ++i) dados[i] = static_cast<char>(i * 7);
  arvore.write("T.TXT", "");
  arvore.write("S.ARQ", dados);
  CountedReads contagem;
  EXPECT_EQ(anexa(), kAnexoFeito);
  EXPECT_EQ(contagem.leituras, (std::vector<long>{512, 512, 0}));
  EXPECT_EQ(arvore.read("T.TXT"), dados);
}

TEST_F(AnexaArquivo, AShortBlockEndsTheCopy) {
  arvore.write("T.TXT", "");
  arvore.write("S.ARQ", std::string(700, 'z'));
  CountedReads contagem;
  EXPECT_EQ(anexa(), kAnexoFeito);
  EXPECT_EQ(contagem.leituras, (std::vector<long>{512, 188}));
  EXPECT_EQ(arvore.read("T.TXT").size(), 700u);
}

TEST_F(AnexaArquivo, UnopenableSourceOrTargetGivesOne) {
  arvore.write("T.TXT", "x");
  EXPECT_EQ(anexa(), kAnexoNaoAbriu);  // no source
  arvore.write("S.ARQ", "y");
  arvore.mkdir("DIR");
  EXPECT_EQ(anexaArquivo("C:/S.ARQ", "C:/DIR", tamanhoAnterior), kAnexoNaoAbriu);
  EXPECT_EQ(arvore.read("T.TXT"), "x");
}

TEST_F(AnexaArquivo, AFailureAtAnyStepLeavesTheDestinationAsItWas) {
  arvore.write("T.TXT", "before");
  arvore.write("S.ARQ", std::string(1500, 'q'));
  testing::FaultyPlatform falhas;
  falhas.failAt(0);
  ASSERT_EQ(anexa(), kAnexoFeito);
  long operacoes = falhas.count();
  ASSERT_GE(operacoes, 5);
  for (long n = 1; n <= operacoes; ++n) {
    arvore.write("T.TXT", "before");
    falhas.failAt(n);
    int resultado = anexa();
    std::string depois = arvore.read("T.TXT");
    if (resultado == kAnexoFeito) {
      EXPECT_EQ(depois, "before" + std::string(1500, 'q')) << "operation " << n;
    } else {
      EXPECT_EQ(depois, "before") << "operation " << n;
    }
  }
}

TEST_F(AnexaArquivo, DesfazAnexoCutsBack) {
  arvore.write("T.TXT", "beforeAFTER");
  EXPECT_TRUE(desfazAnexo("C:/T.TXT", 6));
  EXPECT_EQ(arvore.read("T.TXT"), "before");
}

}  // namespace
}  // namespace torvex
