#include "download/controle_download.h"

#include <gtest/gtest.h>

#include <string>

#include "conventions/conventions.h"
#include "platform/text_file.h"

namespace torvex {
namespace {

const LocalTime k5Mar2005{2005, 3, 5, 7, 4, 9};

std::string registro(const char* carimbo) {
  return textBytes(montaRegistro(carimbo, "D00017.ARJ", "C:/T/IN/X.TXT", k5Mar2005));
}

TEST(ControleDownload, PathUnderTheOutgoingTray) {
  char caminho[kTamanhoCaminho];
  ASSERT_TRUE(caminhoControle("C:/T", caminho));
  EXPECT_STREQ(caminho, "C:/T/Outtray/ContDown.dat");
  EXPECT_FALSE(caminhoControle(std::string(250, 'r').c_str(), caminho));
}

TEST(ControleDownload, RecordBytesExactly) {
  EXPECT_EQ(registro("ABCDEF.GH+200503050704+"),
            "#\r\nABCDEF.GH+200503050704+\r\nD00017.ARJ\r\nC:/T/IN/X.TXT\r\n05/03/2005 07:04:09\r\n");
}

TEST(ControleDownload, EmptyStampGivesAnEmptySecondLine) {
  EXPECT_EQ(registro(""), "#\r\n\r\nD00017.ARJ\r\nC:/T/IN/X.TXT\r\n05/03/2005 07:04:09\r\n");
}

}  // namespace
}  // namespace torvex
