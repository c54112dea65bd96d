// The rewrite alone, against the published vectors; the matcher is covered
// through the search table.
#include <gtest/gtest.h>

#include "platform/unicode.h"
#include "platform/wildcard.h"

namespace torvex {
namespace {

std::u32string rewritten(const char* pattern, bool endedInDot = false) {
  return wildcard::Pattern(pattern, endedInDot).tokens();
}

TEST(Wildcard, RewritesLikeKernel32) {
  EXPECT_EQ(rewritten("*.txt"), U"<.TXT");
  EXPECT_EQ(rewritten("a.*"), U"A\"*");
  EXPECT_EQ(rewritten(".*"), U"\"*");
  EXPECT_EQ(rewritten("?.?"), U">\">");
  EXPECT_EQ(rewritten("ARQ??.TXT"), U"ARQ>>.TXT");
  EXPECT_EQ(rewritten("f*_*.arj"), U"F*_<.ARJ");
  EXPECT_EQ(rewritten("x.tx?"), U"X.TX>");
  EXPECT_EQ(rewritten("*.*a"), U"<\"*A");
  EXPECT_EQ(rewritten("a*a"), U"A*A");
  EXPECT_EQ(rewritten("*.*"), U"*");
  // The argument's trailing "." was removed before: "*." "a*." "*.*." "?."
  EXPECT_EQ(rewritten("*", true), U"<");
  EXPECT_EQ(rewritten("a*", true), U"A<");
  EXPECT_EQ(rewritten("*.*", true), U"*");
  EXPECT_EQ(rewritten("?", true), U">");
}

TEST(Wildcard, OneQuestionMarkIsOneCharacterNotOneByte) {
  wildcard::Pattern p("RELAT?RIO.TXT", false);
  EXPECT_TRUE(p.matches("Relatório.TXT"));
  EXPECT_FALSE(wildcard::Pattern("RELAT??RIO.TXT", false).matches("Relatório.TXT"));
}

TEST(Wildcard, InvalidUtf8MatchesOnlyItself) {
  EXPECT_TRUE(wildcard::Pattern("a?b", false).matches("a\xE7" "b"));
  EXPECT_FALSE(wildcard::Pattern("a\xC7" "b", false).matches("a\xE7" "b"));
  EXPECT_NE(unicode::foldedName("\xE7"), unicode::foldedName("\xC7"));
}

TEST(Unicode, FoldsLatinGreekAndCyrillicLetters) {
  EXPECT_TRUE(unicode::equalIgnoringCase("ÿšžœ", "ŸŠŽŒ"));
  EXPECT_TRUE(unicode::equalIgnoringCase("łódź", "ŁÓDŹ"));
  EXPECT_TRUE(unicode::equalIgnoringCase("αβγ", "ΑΒΓ"));
  EXPECT_TRUE(unicode::equalIgnoringCase("привет", "ПРИВЕТ"));
  EXPECT_FALSE(unicode::equalIgnoringCase("a", "á"));
}

// Names compare byte by byte while both are ASCII and by code point from the
// first other byte: the answer is always that of folding both whole.
TEST(Unicode, ComparesIgnoringCaseAsTheFoldedNamesDo) {
  const struct {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"Relatorio.TXT", "RELATORIO.txt", true},
      {"abc", "abcd", false},
      {"abcd", "abc", false},
      {"FILE", "fılE", true},     // a dotless i folds to I
      {"ſtop", "STOP", true},     // a long s folds to S
      {"aÉ", "Aé", true},
      {"a\xE7", "A\xC7", false},  // bytes that are no UTF-8 never fold
      {"x@[", "X`{", false},      // no letters: nothing folds them together
      {"", "", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(unicode::equalIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(unicode::foldedName(c.a) == unicode::foldedName(c.b), c.equal) << c.a << " / " << c.b;
  }
}

// Names ordered by their upper-cased UTF-16 code units: a character beyond
// the BMP (a surrogate pair) comes before U+E000 to U+FFFF, and a byte that
// is no UTF-8 (escaped as U+DC80 + byte) between the two.
TEST(Unicode, ComparesSortKeysAsUpperCasedUtf16) {
  const struct {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {
      {"read.me", "README", -1},
      {"a", "Relatório.TXT", -1},
      {"ARQ12.DAT", "AÇÃO.txt", -1},
      {"ação.txt", "AÇÃO.TXT", 0},
      {"arq1", "ARQ1.TXT", -1},
      {"", "", 0},
      {"\xF0\x9F\x98\x80", "\xEF\xBC\xA1", -1},  // U+1F600 before U+FF21
      {"\xF0\x9F\x98\x80", "\xFF", -1},
      {"\xFF", "\xEE\x80\x80", -1},                  // escaped 0xFF before U+E000
      {"z", "\xFF", -1},
  };
  for (const auto& c : cases) {
    const int forward = unicode::compareSortKeys(c.a, c.b);
    const int backward = unicode::compareSortKeys(c.b, c.a);
    EXPECT_EQ((forward > 0) - (forward < 0), c.sign) << c.a << " vs " << c.b;
    EXPECT_EQ((backward > 0) - (backward < 0), -c.sign) << c.b << " vs " << c.a;
  }
}

}  // namespace
}  // namespace torvex
