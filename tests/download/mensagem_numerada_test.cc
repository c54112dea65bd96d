#include "download/mensagem_numerada.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "conventions/conventions.h"
#include "tests/support/temp_tree.h"
#include "platform/scoped_platform.h"

namespace torvex {
namespace {

std::string contador(int32_t n) {
  auto v = static_cast<uint32_t>(n);
  const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8),
                         static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
  return std::string(bytes, 4);
}

class MensagemNumerada : public ::testing::Test {
 protected:
  MensagemNumerada() { arvore.mkdir("T/DATA"); }
  std::string gera(const char* destino) {
    char saida[kTamanhoCaminho];
    EXPECT_TRUE(geraNomeMensagem(destino, "C:/T", saida));
    return saida;
  }
  testing::TempTree arvore;
};

TEST_F(MensagemNumerada, CounterStartsAtOneAndIsStoredLittleEndian) {
  EXPECT_EQ(proximaSequencia("C:/T"), 1);
  EXPECT_EQ(arvore.read("T/DATA/SEQPOST.DAT"), contador(1));
  arvore.write("T/DATA/SEQPOST.DAT", contador(0x1234));
  EXPECT_EQ(proximaSequencia("C:/T"), 0x1235);
  EXPECT_EQ(arvore.read("T/DATA/SEQPOST.DAT"), contador(0x1235));
}

TEST_F(MensagemNumerada, CounterWrapsAfter99999) {
  arvore.write("T/DATA/SEQPOST.DAT", contador(99998));
  EXPECT_EQ(proximaSequencia("C:/T"), 99999);
  EXPECT_EQ(proximaSequencia("C:/T"), 1);
  EXPECT_EQ(arvore.read("T/DATA/SEQPOST.DAT"), contador(1));
}

TEST_F(MensagemNumerada, BrokenCounterRestartsAtOne) {
  for (const std::string& ruim : {std::string("\x05\x00", 2), contador(-7), contador(0x7fffffff)}) {
    arvore.write("T/DATA/SEQPOST.DAT", ruim);
    EXPECT_EQ(proximaSequencia("C:/T"), 1);
  }
}

TEST_F(MensagemNumerada, FirstNumberedNameBesideTheDestination) {
  EXPECT_EQ(gera("C:/OUT/X.TXT"), "C:/OUT/M00001.QVX");
  EXPECT_EQ(gera("C:\\OUT\\X.TXT"), "C:/OUT/M00002.QVX");
}

TEST_F(MensagemNumerada, TakenNamesAreSkippedAndEachTryDrawsANumber) {
  arvore.write("T/DATA/SEQPOST.DAT", contador(4));
  arvore.write("OUT/M00005.QVX", "");
  arvore.mkdir("OUT/m00006.qvx");  // a directory, other letter case: taken too
  EXPECT_EQ(gera("C:/OUT/X.TXT"), "C:/OUT/M00007.QVX");
  EXPECT_EQ(arvore.read("T/DATA/SEQPOST.DAT"), contador(7));
}

TEST_F(MensagemNumerada, DestinationWithoutSeparatorGoesUnderTheRoot) {
  EXPECT_EQ(gera("X.TXT"), "/M00001.QVX");
}

// Every numbered name reports as taken.
class AllNamesTaken : public ScopedPlatform {
 public:
  uint32_t fileAttributes(const char* p) override {
    return std::strstr(p, ".QVX") ? kAttrNormal : ForwardingPlatform::fileAttributes(p);
  }

 private:
};

TEST_F(MensagemNumerada, AllNamesTakenFailsAfterOneRoundInsteadOfLooping) {
  arvore.write("T/DATA/SEQPOST.DAT", contador(41));
  AllNamesTaken ocupados;
  char saida[kTamanhoCaminho];
  EXPECT_FALSE(geraNomeMensagem("C:/OUT/X.TXT", "C:/T", saida));
  EXPECT_EQ(arvore.read("T/DATA/SEQPOST.DAT"), contador(41));  // a full round of 99,999
}

TEST_F(MensagemNumerada, APathThatWouldNotFitFails) {
  std::string longo = "C:/" + std::string(245, 'd') + "/X.TXT";
  char saida[kTamanhoCaminho];
  EXPECT_FALSE(geraNomeMensagem(longo.c_str(), "C:/T", saida));
}

}  // namespace
}  // namespace torvex
