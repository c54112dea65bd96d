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

TEST(Unicode, SortKeyIsUpperCasedUtf16) {
  EXPECT_LT(unicode::sortKey("read.me"), unicode::sortKey("README"));
  EXPECT_LT(unicode::sortKey("a"), unicode::sortKey("Relatório.TXT"));
  EXPECT_LT(unicode::sortKey("ARQ12.DAT"), unicode::sortKey("AÇÃO.txt"));
}

}  // namespace
}  // namespace torvex
