#include <gtest/gtest.h>

#include <string>

#include "platform/text_file.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

TEST(TextFile, WritesLineFeedsAsCrLf) {
  testing::TempTree t;
  {
    File f("C:/rec.dat", OpenMode::Write);
    ASSERT_TRUE(writeText(f, "C:/dados/a.txt\n01/02/2003 04:05:06\n"));
  }
  EXPECT_EQ(t.read("rec.dat"), "C:/dados/a.txt\r\n01/02/2003 04:05:06\r\n");
}

TEST(TextFile, ReadsLinesLikeFgetsInTextMode) {
  testing::TempTree t;
  t.write("in.txt", "one\r\ntwo\rthree\nlast");
  File f("C:/in.txt", OpenMode::Read);
  TextReader r(f);
  char line[16];
  ASSERT_TRUE(r.getLine(line, sizeof line));
  EXPECT_STREQ(line, "one\n");
  ASSERT_TRUE(r.getLine(line, sizeof line));
  EXPECT_STREQ(line, "two\rthree\n");  // a lone CR is kept
  ASSERT_TRUE(r.getLine(line, sizeof line));
  EXPECT_STREQ(line, "last");
  EXPECT_FALSE(r.getLine(line, sizeof line));
}

TEST(TextFile, LongLinesAreCutAtTheBufferAndContinued) {
  testing::TempTree t;
  t.write("long.txt", "abcdefgh\r\n");
  File f("C:/long.txt", OpenMode::Read);
  TextReader r(f);
  char line[4];
  ASSERT_TRUE(r.getLine(line, sizeof line));
  EXPECT_STREQ(line, "abc");
  ASSERT_TRUE(r.getLine(line, sizeof line));
  EXPECT_STREQ(line, "def");
  ASSERT_TRUE(r.getLine(line, sizeof line));
  EXPECT_STREQ(line, "gh\n");
  EXPECT_FALSE(r.getLine(line, sizeof line));
  EXPECT_FALSE(r.getLine(line, 0));
}

TEST(TextFile, CrLfSplitAcrossTheReadBufferIsOneLineEnd) {
  testing::TempTree t;
  std::string text(511, 'x');
  text += "\r\nnext\r\n";  // the CR is the buffer's last byte, the LF the next read's first
  t.write("edge.txt", text);
  File f("C:/edge.txt", OpenMode::Read);
  TextReader r(f);
  char line[600];
  ASSERT_TRUE(r.getLine(line, sizeof line));
  EXPECT_EQ(std::string(line), std::string(511, 'x') + "\n");
  ASSERT_TRUE(r.getLine(line, sizeof line));
  EXPECT_STREQ(line, "next\n");
}

}  // namespace
}  // namespace torvex
