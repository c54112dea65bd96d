// The front end of every method: ANSI conversion into the 256-byte buffer,
// normalizaPath, and the result strings in the same code page.
#include <string>

#include <gtest/gtest.h>

#include "conventions/arguments.h"
#include "tests/support/ansi_text.h"
#include "tests/support/bstr_text.h"

namespace torvex {
namespace {

using testing::ansi;
using testing::bstr;
using testing::texto;

TEST(NormalizaPath, BackslashesAndOpeningParenthesesOnly) {
  char caminho[] = "C:\\Dados\\Relat(2)\\x.txt";
  normalizaPath(caminho);
  EXPECT_STREQ(caminho, "C:/Dados/Relat/2)/x.txt");

  char intacto[] = "c:/a//b/ c)/";
  normalizaPath(intacto);
  EXPECT_STREQ(intacto, "c:/a//b/ c)/") << "nothing collapsed, trimmed or re-cased";
}

TEST(Argumento, NullIsTheEmptyText) {
  Argumento a(nullptr);
  EXPECT_TRUE(a.valido());
  EXPECT_TRUE(a.nulo());
  EXPECT_STREQ(a.texto(), "");

  auto vazio = bstr(u"");
  Argumento b(vazio.get());
  EXPECT_TRUE(b.valido());
  EXPECT_FALSE(b.nulo());
}

TEST(Argumento, StopsAtTheFirstNul) {
  auto b = bstr(std::u16string(u"ab\0cd", 5));
  Argumento a(b.get());
  EXPECT_STREQ(a.texto(), "ab");
}

TEST(Argumento, HoldsAtMost255Bytes) {
  auto cabe = bstr(std::u16string(255, u'x'));
  Argumento a(cabe.get());
  EXPECT_TRUE(a.valido());
  EXPECT_EQ(std::string(a.texto()), std::string(255, 'x'));

  auto longo = bstr(std::u16string(256, u'x'));
  Argumento b(longo.get());
  EXPECT_FALSE(b.valido());
  EXPECT_STREQ(b.texto(), "") << "never a cut text";
}

TEST(Argumento, TheLimitCountsBytesOfTheAnsiForm) {
  // "ç" takes two bytes in UTF-8 (POSIX) and one in Windows-1252.
  const size_t bytes = ansi("ç").size();
  auto cabe = bstr(std::u16string(255 / bytes, u'ç') + std::u16string(255 % bytes, u'a'));
  EXPECT_TRUE(Argumento(cabe.get()).valido());
  auto longo = bstr(std::u16string(255 / bytes + 1, u'ç'));
  EXPECT_FALSE(Argumento(longo.get()).valido());
  auto acento = bstr(u"C:\\Ação(1)");
  Argumento a(acento.get());
  EXPECT_EQ(a.normalizado().texto(), ansi("C:/Ação/1)"));
}

TEST(ResultadoAnsi, ExactLengthAndNullForNothing) {
  EXPECT_EQ(resultadoAnsi(""), nullptr);
  testing::Bstr r(resultadoAnsi("F1_relat_txt.ARJ"));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(SysStringLen(r.get()), 16u);
  EXPECT_EQ(texto(r), u"F1_relat_txt.ARJ");

  testing::Bstr acento(resultadoAnsi(ansi("C:/Ação/ContDown.dat").c_str()));
  EXPECT_EQ(texto(acento), u"C:/Ação/ContDown.dat");
  EXPECT_EQ(SysStringLen(acento.get()), 20u);
}

// What a string method returns, passed back as an argument, is the same
// 8-bit text: the host reaches the file it was told about.
TEST(ResultadoAnsi, PassedBackGivesTheSameText) {
  for (const char* texto : {"C:/Ação/ContDown.dat", "F1_relat\xF3rio_txt.ARJ", "F2_\xCE\xA9mega.ARJ"}) {
    testing::Bstr r(resultadoAnsi(texto));
    Argumento a(r.get());
    ASSERT_TRUE(a.valido()) << texto;
    EXPECT_STREQ(a.texto(), texto);
  }
}

TEST(Argumento, RefusesTextWithoutAnExactAnsiForm) {
  const char16_t sozinho[] = {u'F', 0xD800, u'.', u'A', u'R', u'J', 0};
  auto b = bstr(sozinho);
  Argumento a(b.get());
  EXPECT_FALSE(a.valido());
  EXPECT_STREQ(a.texto(), "") << "never F?.ARJ, a pattern that names other files";
}

}  // namespace
}  // namespace torvex
