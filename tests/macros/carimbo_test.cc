// The stamp scan on its own: which date fields it reaches and what they hold.
#include <gtest/gtest.h>

#include "macros/carimbo.h"

namespace torvex {
namespace {

TEST(CarimboTest, WellFormedStampGivesAllFiveFields) {
  CamposCarimbo c = leCarimbo("ABCDEF.GH+202612061504+");
  ASSERT_EQ(c.lidos, 5);
  EXPECT_EQ(c.campos[0], "2026");
  EXPECT_EQ(c.campos[1], "12");
  EXPECT_EQ(c.campos[2], "06");
  EXPECT_EQ(c.campos[3], "15");
  EXPECT_EQ(c.campos[4], "04");
}

TEST(CarimboTest, FieldWidthsCutLongRunsAndBlanksEndShortOnes) {
  // A field takes non-blank characters, "+" among them, up to its width.
  CamposCarimbo c = leCarimbo("ABCDEF.GH+2026 1 2 3 4+");
  ASSERT_EQ(c.lidos, 5);
  EXPECT_EQ(c.campos[1], "1");
  EXPECT_EQ(c.campos[4], "4+");
}

TEST(CarimboTest, ScanStopsAtFirstMismatch) {
  EXPECT_EQ(leCarimbo("").lidos, 0);
  EXPECT_EQ(leCarimbo("   ").lidos, 0);
  EXPECT_EQ(leCarimbo("ABCDEFG.GH+202612061504+").lidos, 0) << "no '.' after six";
  EXPECT_EQ(leCarimbo("ABC.GH+202612061504+").lidos, 0) << "the first field swallows the '.'";
  EXPECT_EQ(leCarimbo("ABCDEF.GHI+202612061504+").lidos, 0);
  EXPECT_EQ(leCarimbo("ABCDEF.GH-202612061504+").lidos, 0);
  EXPECT_EQ(leCarimbo("ABCDEF.GH+2026").lidos, 1);
  EXPECT_EQ(leCarimbo("ABCDEF.GH+20261206").lidos, 3);
  EXPECT_EQ(leCarimbo("ABCDEF.GH+202612061").lidos, 4);
  CamposCarimbo c = leCarimbo("ABCDEF.GH+202612061");
  EXPECT_EQ(c.campos[3], "1");
}

TEST(CarimboTest, LiteralsAreNotPrecededByBlankSkipping) {
  EXPECT_EQ(leCarimbo("ABCDEF .GH+202612061504+").lidos, 0);
  EXPECT_EQ(leCarimbo(" \t\nABCDEF.\r\fGH+\v202612061504+").lidos, 5);
}

}  // namespace
}  // namespace torvex
