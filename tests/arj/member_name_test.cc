#include "arj/member_name.h"

#include <gtest/gtest.h>

namespace torvex::arj {
namespace {

TEST(ExtractName, KeepsOnlyTheLastComponent) {
  EXPECT_EQ(extractName("D00017.ARQ"), "D00017.ARQ");
  EXPECT_EQ(extractName("src/sub/f1.txt"), "f1.txt");
  EXPECT_EQ(extractName("src\\sub\\f1.txt"), "f1.txt");
  EXPECT_EQ(extractName("name with spaces (1).txt"), "name with spaces (1).txt");
  EXPECT_EQ(extractName("relat\xF3rio.txt"), "relat\xF3rio.txt");
}

TEST(ExtractName, RefusesNamesThatCouldEscapeOrMislead) {
  for (const char* bad : {"", ".", "..", "dir/", "../evil.txt", "a/../../evil.txt", "..\\evil.txt",
                          "/etc/passwd", "\\x", "C:evil", "C:/evil", "c:\\evil", "a/b:stream",
                          "tab\there", "bell\x07", "del\x7F", "trail.", "trail ", "q?mark",
                          "star*", "pipe|", "lt<", "gt>", "quo\"te"})
    EXPECT_FALSE(extractName(bad).has_value()) << bad;
}

TEST(ExtractName, RefusesDeviceNamesInAnyCaseAndExtension) {
  for (const char* dev : {"CON", "con", "NUL.txt", "nul .txt", "AUX", "prn.tar.gz", "COM1", "lpt9.log",
                          "dir/CON", "CONIN$", "conout$"})
    EXPECT_FALSE(extractName(dev).has_value()) << dev;
  for (const char* ok : {"CONX", "COM0", "LPT0", "COM10", "console", "nul_"})
    EXPECT_TRUE(extractName(ok).has_value()) << ok;
}

}  // namespace
}  // namespace torvex::arj
