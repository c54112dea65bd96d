// The file-content macro "&@path@".
#include <string>

#include "tests/macros/expander_environment.h"

namespace torvex::testing {
namespace {

using ConteudoArquivoTest = ExpansorTest;

TEST_F(ConteudoArquivoTest, FirstLineTakesThePlaceOfTheMarks) {
  arvore.write("CFG/ID.TXT", "LOJA01\r\nsecond line\r\n");
  EXPECT_EQ(expande("C:/T/&@C:/CFG/ID.TXT@.DAT"), "C:/T/LOJA01.DAT");
  EXPECT_EQ(expande("&@C:/CFG/ID.TXT@.DAT"), "LOJA01.DAT");
  EXPECT_EQ(expande("C:/T/&@C:\\CFG\\id.txt@.DAT"), "C:/T/LOJA01.DAT");
}

TEST_F(ConteudoArquivoTest, PathMayUseTableMacros) {
  arvore.write("Trays/DATA/ID.TXT", "X7\n");
  EXPECT_EQ(expande("&@&QVDIR/DATA/ID.TXT@"), "X7");
}

TEST_F(ConteudoArquivoTest, EmptyFileGivesEmptyLineMissingFileKeepsTheMarks) {
  arvore.write("CFG/VAZIO.TXT", "");
  EXPECT_EQ(expande("C:/T/&@C:/CFG/VAZIO.TXT@.DAT"), "C:/T/.DAT");
  EXPECT_EQ(expande("C:/T/&@C:/CFG/NADA.TXT@.DAT"), "C:/T/&@C:/CFG/NADA.TXT@.DAT");
  arvore.mkdir("CFG/DIR");
  EXPECT_EQ(expande("C:/T/&@C:/CFG/DIR@.DAT"), "C:/T/&@C:/CFG/DIR@.DAT");
  EXPECT_EQ(expande("C:/T/&@@.DAT"), "C:/T/&@@.DAT");
}

TEST_F(ConteudoArquivoTest, ReadFailureKeepsTheMarksRatherThanPassingForEmpty) {
  arvore.write("CFG/ID.TXT", "LOJA01\n");
  plataforma.falhaLeitura = true;
  EXPECT_EQ(expande("C:/T/&@C:/CFG/ID.TXT@.DAT"), "C:/T/&@C:/CFG/ID.TXT@.DAT");
}

TEST_F(ConteudoArquivoTest, LineWithoutLineEndAndLoneCarriageReturn) {
  arvore.write("CFG/A.TXT", "ABC");
  EXPECT_EQ(expande("&@C:/CFG/A.TXT@!"), "ABC!");
  arvore.write("CFG/B.TXT", "\nABC");
  EXPECT_EQ(expande("&@C:/CFG/B.TXT@!"), "!");
  arvore.write("CFG/C.TXT", "A\rB\r\n");
  EXPECT_EQ(expande("&@C:/CFG/C.TXT@!"), "A\rB!");
}

TEST_F(ConteudoArquivoTest, LineIsReadUpTo79Characters) {
  const std::string l79(79, 'L');
  arvore.write("CFG/L79.TXT", l79 + "\n");
  EXPECT_EQ(expande("&@C:/CFG/L79.TXT@"), l79);
  arvore.write("CFG/L80.TXT", l79 + "Z\n");
  EXPECT_EQ(expande("&@C:/CFG/L80.TXT@"), l79);
}

TEST_F(ConteudoArquivoTest, OnlyTheFirstMarksAreResolved) {
  arvore.write("CFG/ID.TXT", "ID\n");
  EXPECT_EQ(expande("&@C:/CFG/ID.TXT@/&@C:/CFG/ID.TXT@"), "ID/&@C:/CFG/ID.TXT@");
}

TEST_F(ConteudoArquivoTest, MissingClosingMarkKeepsTheName) {
  arvore.write("CFG/ID.TXT", "ID\n");
  EXPECT_EQ(expande("C:/T/&@C:/CFG/ID.TXT"), "C:/T/&@C:/CFG/ID.TXT");
}

TEST_F(ConteudoArquivoTest, PathOver149CharactersNamesNoFile) {
  // 149 characters: "C:/" + directory + "/" + "ID.TXT"
  const std::string dir(149 - 3 - 1 - 6, 'd');
  arvore.write(dir + "/ID.TXT", "ID\n");
  const std::string caminho149 = "C:/" + dir + "/ID.TXT";
  EXPECT_EQ(expande(("&@" + caminho149 + "@").c_str()), "ID");
  const std::string dir150 = dir + "e";
  arvore.write(dir150 + "/ID.TXT", "ID\n");
  const std::string fi150 = "&@C:/" + dir150 + "/ID.TXT@";
  EXPECT_EQ(expande(fi150.c_str()), fi150);
}

TEST_F(ConteudoArquivoTest, BuiltNameOver151CharactersGivesNoName) {
  arvore.write("CFG/L79.TXT", std::string(79, 'L') + "\n");
  const std::string antes(60, 'a');
  const std::string depois12(12, 'z');  // 60 + 79 + 12 = 151
  EXPECT_EQ(expande((antes + "&@C:/CFG/L79.TXT@" + depois12).c_str()),
            antes + std::string(79, 'L') + depois12);
  EXPECT_EQ(expande((antes + "&@C:/CFG/L79.TXT@" + depois12 + "z").c_str()), "");
}

TEST_F(ConteudoArquivoTest, NameAfterSequenceStepStillResolvesTheMarks) {
  arvore.write("CFG/ID.TXT", "ID\n");
  EXPECT_EQ(expande("C:\\T\\&SQ1_&@C:\\CFG\\ID.TXT@"), "C:/T/0_ID");
}

}  // namespace
}  // namespace torvex::testing
