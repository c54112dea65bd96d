// The table pass: root, registry directory, clock and stamp macros.
#include <string>

#include "tests/macros/expander_environment.h"

namespace torvex::testing {
namespace {

using TabelaTest = ExpansorTest;

TEST_F(TabelaTest, LeadingSeparatorDroppedOnlyForExactFormsAtStart) {
  EXPECT_EQ(expande("/&QVDIR/OUTTRAY/ARQ&DD&MM.TXT"), "C:/Trays/OUTTRAY/ARQ0612.TXT");
  EXPECT_EQ(expande("\\&qvdir\\A"), "C:/Trays\\A");
  EXPECT_EQ(expande("/&TELVORIN/LOG"), "C:/Trays/LOG");
  EXPECT_EQ(expande("\\&telvorin/LOG"), "C:/Trays/LOG");
  EXPECT_EQ(expande("X/&QVDIR/A"), "X/C:/Trays/A");
  EXPECT_EQ(expande("/&QvDir/A"), "/C:/Trays/A");
  EXPECT_EQ(expande("//&QVDIR"), "//C:/Trays");
  EXPECT_EQ(expande("/&DD"), "/06");
}

TEST_F(TabelaTest, ClockMacrosFromOneReading) {
  EXPECT_EQ(expande("&YY&AA"), "202626");
  EXPECT_EQ(expande("&YYYY"), "2026YY");
  EXPECT_EQ(expande("&mes"), "Dez");
  EXPECT_EQ(expande("&HH&MI"), "1504");
  EXPECT_EQ(expande("&MMM"), "12M");
  EXPECT_EQ(expande("&MES&MM&MI"), "Dez1204");

  plataforma.agora = {2009, 1, 2, 3, 5, 0};
  EXPECT_EQ(expande("&AA&MM&DD&HH&MI&YY&Mes"), "090102030520" "09Jan");
}

TEST_F(TabelaTest, EveryMonthHasItsAbbreviation) {
  const char* meses[] = {"Jan", "Fev", "Mar", "Abr", "Mai", "Jun",
                         "Jul", "Ago", "Set", "Out", "Nov", "Dez"};
  for (int mes = 1; mes <= 12; ++mes) {
    plataforma.agora.month = mes;
    EXPECT_EQ(expande("&MES"), meses[mes - 1]);
  }
}

TEST_F(TabelaTest, MonthOutsideCalendarGivesNoNameWhenUsed) {
  plataforma.agora.month = 13;
  EXPECT_EQ(expande("C:/X/&MES.TXT"), "");
  EXPECT_EQ(expande("C:/X/&DD.TXT"), "C:/X/06.TXT");
}

TEST_F(TabelaTest, UnknownAmpersandsPassUnchanged) {
  EXPECT_EQ(expande("A&B"), "A&B");
  EXPECT_EQ(expande("A&"), "A&");
  EXPECT_EQ(expande("&&DD&"), "&06&");
  EXPECT_EQ(expande("&Seq&sQ1&@x*?.txt"), "&Seq&sQ1&@x*?.txt");
  EXPECT_EQ(expande(""), "");
}

TEST_F(TabelaTest, ReplacementIsNeverScannedAgain) {
  plataforma.registro = "D:/&DD/";
  EXPECT_EQ(expande("&TELVORIN&DD"), "D:/&DD06");
}

TEST_F(TabelaTest, RootLosesOneTrailingSlashOnly) {
  EXPECT_EQ(expande("&QVDIR", "C:/Trays//"), "C:/Trays/");
  EXPECT_EQ(expande("&QVDIR", "C:/Trays"), "C:/Trays");
  EXPECT_EQ(expande("&QVDIR|", "C:\\Trays\\"), "C:\\Trays\\|");
  EXPECT_EQ(expande("&QVDIR|", ""), "|");
}

TEST_F(TabelaTest, TelvorinFromRegistryOrRoot) {
  EXPECT_EQ(expande("&TELVORIN/LOG"), "C:/Trays/LOG");
  plataforma.registro = "D:/Prog/";
  EXPECT_EQ(expande("&TELVORIN/LOG"), "D:/Prog/LOG");
  EXPECT_EQ(expande("&Telvorin/LOG"), "D:/Prog/LOG");
  plataforma.registro = "D:\\Prog\\";
  EXPECT_EQ(expande("&TELVORIN/LOG"), "D:\\Prog\\/LOG");
  plataforma.registro = "";
  EXPECT_EQ(expande("&TELVORIN/LOG"), "/LOG");
  ASSERT_FALSE(plataforma.leiturasRegistro.empty());
  EXPECT_EQ(plataforma.leiturasRegistro.back(), "Software\\Norvalis\\Telvorin|Telvorin");
}

TEST_F(TabelaTest, RegistryReadOncePerExpansionWhetherUsedOrNot) {
  expande("C:/plain");
  expande("&TELVORIN&TELVORIN");
  EXPECT_EQ(plataforma.leiturasRegistro.size(), 2u);
}

TEST_F(TabelaTest, RegistryDataTextEndsAtItsFirstNul) {
  plataforma.registro = std::string("D:/Prog\0junk", 12);
  EXPECT_EQ(expande("&TELVORIN"), "D:/Prog");
}

TEST_F(TabelaTest, RegistryDataWithoutRoomForTerminatorFallsBackToRoot) {
  plataforma.registro = std::string(255, 'd');  // fits with its terminator
  EXPECT_EQ(expande("&QVDIR"), "C:/Trays");
  plataforma.registro = std::string(256, 'd');  // fills the buffer, no terminator
  EXPECT_EQ(expande("&TELVORIN"), "C:/Trays");
  plataforma.registro = std::string(300, 'd');  // longer than the buffer
  EXPECT_EQ(expande("&TELVORIN"), "C:/Trays");
  plataforma.registro = std::string(255, 'd') + '\0';
  EXPECT_EQ(expande("&TELVORIN"), "") << "a 255-character directory passes 99";
}

TEST_F(TabelaTest, ReplacementOverNinetyNineGivesNoName) {
  const std::string raiz99 = "C:/" + std::string(96, 'r');
  EXPECT_EQ(expande("&QVDIR", raiz99.c_str()), raiz99);
  EXPECT_EQ(expande("&QVDIR", (raiz99 + "/").c_str()), raiz99);
  const std::string raiz100 = raiz99 + "x";
  EXPECT_EQ(expande("&QVDIR/A", raiz100.c_str()), "");
  EXPECT_EQ(expande("&TELVORIN/A", raiz100.c_str()), "") << "falls back to the long root";
  EXPECT_EQ(expande("C:/A/&DD", raiz100.c_str()), "C:/A/06") << "root not used";
  plataforma.registro = std::string(100, 'd');
  EXPECT_EQ(expande("&TELVORIN"), "");
  EXPECT_EQ(expande("&QVDIR"), "C:/Trays");
}

TEST_F(TabelaTest, OutputOfExactly255Fits256Empties) {
  const std::string fi255(255, 'a');
  EXPECT_EQ(expande(fi255.c_str()), fi255);
  EXPECT_EQ(expande((fi255 + "b").c_str()), "");
  const std::string raiz = "C:/" + std::string(87, 'r');  // 90 characters
  EXPECT_EQ(expande("&QVDIR&QVDIR&QVDIR", raiz.c_str()), "")
      << "three 90-character roots make 270";
  const std::string dois = "&QVDIR&QVDIR";
  EXPECT_EQ(expande((dois + std::string(75, 'x')).c_str(), raiz.c_str()).size(), 255u);
  EXPECT_EQ(expande((dois + std::string(76, 'x')).c_str(), raiz.c_str()), "");
}

TEST_F(TabelaTest, NullArgumentsCountAsEmpty) {
  EXPECT_EQ(expande(nullptr), "");
  EXPECT_EQ(expande("&QVDIR/A", nullptr), "/A");
}

// The stamp's date fields.

TEST_F(TabelaTest, StampMacrosWithoutStampFollowTheClock) {
  EXPECT_EQ(expande("&PAA&PMM"), "2612");
  EXPECT_EQ(expande("&PAA&PMM&PDD&PHH&PMI"), "2612061504");
}

TEST_F(TabelaTest, StampMacrosTakeTheStampFieldsAsText) {
  const char* carimbo = "ABCDEF.GH+202601311200+";
  EXPECT_EQ(expande("&PAA&PMM", "C:/Trays/", carimbo), "202601");
  EXPECT_EQ(expande("&pdd/&Phh/&pmi/&AA", "C:/Trays/", carimbo), "31/12/00/26");
  EXPECT_EQ(expande("&PAA&PMM", "C:/Trays/", "ABCDEF.GH+XY?Zab*d..,,+"), "XY?Zab");
}

TEST_F(TabelaTest, StampScanSkipsBlanksAndTakesShortFields) {
  EXPECT_EQ(expande("&PAA-&PMM-&PDD-&PHH-&PMI", "C:/Trays/", " ABCDEF.\t12+2026 1 2 3 4 +"),
            "2026-1-2-3-4");
}

TEST_F(TabelaTest, StampThatStopsBeforeADateFieldGivesNoNameWhenThatFieldIsUsed) {
  const char* curto = "ABCDEF.GH+20260131";  // year, month, day only
  EXPECT_EQ(expande("&PAA&PMM&PDD", "C:/Trays/", curto), "20260131");
  EXPECT_EQ(expande("&PAA&PMM&PDD&PHH", "C:/Trays/", curto), "");
  EXPECT_EQ(expande("C:/X/&PMI", "C:/Trays/", "ABCDEFG.GH+202601311200+"), "");
  EXPECT_EQ(expande("C:/X/&PAA", "C:/Trays/", ""), "") << "an empty stamp is present";
  EXPECT_EQ(expande("C:/X/&DD", "C:/Trays/", ""), "C:/X/06");
}

TEST_F(TabelaTest, StampWithoutClosingPlusStillGivesItsFields) {
  EXPECT_EQ(expande("&PMI", "C:/Trays/", "ABCDEF.GH+202601311259"), "59");
}

}  // namespace
}  // namespace torvex::testing
