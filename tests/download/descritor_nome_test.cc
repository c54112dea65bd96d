#include "download/descritor_nome.h"

#include <gtest/gtest.h>

#include <string>

#include "download/troca_extensao.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

TEST(TrocaExtensao, ReplacesTheTextAfterTheLastDot) {
  char caminho[kTamanhoCaminho] = "C:/T.v2/Intray/D00017.ARJ";
  ASSERT_TRUE(trocaExtensao(caminho, sizeof caminho, "FN"));
  EXPECT_STREQ(caminho, "C:/T.v2/Intray/D00017.FN");
  ASSERT_TRUE(trocaExtensao(caminho, sizeof caminho, "ARQ"));
  EXPECT_STREQ(caminho, "C:/T.v2/Intray/D00017.ARQ");
}

TEST(TrocaExtensao, RefusesAPathWithoutDotOrTooLong) {
  char semPonto[16] = "C:/T/D00017";
  EXPECT_FALSE(trocaExtensao(semPonto, sizeof semPonto, "FN"));
  EXPECT_STREQ(semPonto, "C:/T/D00017");
  char curto[12] = "C:/D0001.FN";  // 11 characters: "ARQ" would need 13 bytes
  EXPECT_FALSE(trocaExtensao(curto, sizeof curto, "ARQ"));
  EXPECT_STREQ(curto, "C:/D0001.FN");
}

class LeDescritor : public ::testing::Test {
 protected:
  DescritorNome le(const std::string& conteudo) {
    arvore.write("D.FN", conteudo);
    DescritorNome d;
    EXPECT_TRUE(leDescritor("C:/D.FN", d));
    return d;
  }
  testing::TempTree arvore;
};

TEST_F(LeDescritor, ThreeLinesWithEitherLineEnd) {
  for (const char* fim : {"\n", "\r\n"}) {
    std::string texto = std::string("&QVDIR/IN/X.TXT") + fim + "ABCDEF.GH+202601311200+" + fim +
                        "A" + fim;
    DescritorNome d = le(texto);
    EXPECT_STREQ(d.fi, "&QVDIR/IN/X.TXT");
    EXPECT_STREQ(d.carimbo, "ABCDEF.GH+202601311200+");
    EXPECT_STREQ(d.disposicao, "A");
  }
}

TEST_F(LeDescritor, ALineLongerThan79CharactersSpillsIntoTheNextField) {
  std::string longa(79, 'x');
  DescritorNome d = le(longa + "REST\nstamp\nM\n");
  EXPECT_EQ(std::string(d.fi), longa);
  EXPECT_STREQ(d.carimbo, "REST");
  EXPECT_STREQ(d.disposicao, "stamp");  // the real third line is never read
}

TEST_F(LeDescritor, MissingLinesLeaveTheirFieldsEmpty) {
  DescritorNome d = le("C:/OUT/X.TXT");  // no line end at all
  EXPECT_STREQ(d.fi, "C:/OUT/X.TXT");
  EXPECT_STREQ(d.carimbo, "");
  EXPECT_STREQ(d.disposicao, "");
  d = le("");
  EXPECT_STREQ(d.fi, "");
}

TEST_F(LeDescritor, EmptyStampLineStaysEmpty) {
  DescritorNome d = le("C:/OUT/X.TXT\r\n\r\nM\r\n");
  EXPECT_STREQ(d.carimbo, "");
  EXPECT_STREQ(d.disposicao, "M");
}

TEST_F(LeDescritor, MissingDescriptorIsReported) {
  DescritorNome d;
  EXPECT_FALSE(leDescritor("C:/NADA.FN", d));
}

}  // namespace
}  // namespace torvex
