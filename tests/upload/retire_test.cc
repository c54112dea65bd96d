// Taking a packed source away: only beside its published pair, once, and
// never forgotten when it cannot be done at once; a source is packed as it
// is when packed, not as it was listed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "component/controlador.h"
#include "journal/journal_file.h"
#include "tests/support/bstr_text.h"
#include "tests/support/power_cut_platform.h"
#include "tests/support/windows_limits.h"
#include "tests/upload/upload_fixture.h"

namespace torvex::testing {
namespace {

namespace fs = std::filesystem;

class HeldSource : public ScopedPlatform {
 public:
  bool deleteFile(const char* p) override {
    return std::string_view(p) != "C:/dados/a.txt" && ForwardingPlatform::deleteFile(p);
  }
};

class Retire : public UploadTest {};

// A source another program holds open cannot be deleted: it stays pending
// and is retried, and the next calls, with other numbers, do not pack it
// again while its pair waits.
TEST_F(Retire, AHeldSourceIsRetriedNeverPackedAgain) {
  escreve("dados/a.txt", "payload");
  {
    HeldSource held;
    EXPECT_EQ(gera("C:/dados/*", "", 1), 0);
    EXPECT_EQ(gera("C:/dados/*", "", 2), 0);
  }
  EXPECT_EQ(trabalho(), (std::set<std::string>{"F1_a_txt.ARJ", "F1_a_txt.DAT"}));
  Plan p;
  ASSERT_EQ(readJournal("C:/T", p), JournalState::Plan);
  EXPECT_TRUE(p.steps.front().pending);
  // The host takes the pair; the source goes with the next call all the same.
  fs::remove(arvore().path("T/OUTTRAY/WORK/F1_a_txt.ARJ"));
  fs::remove(arvore().path("T/OUTTRAY/WORK/F1_a_txt.DAT"));
  EXPECT_EQ(gera("C:/dados/*", "", 3), 0);
  EXPECT_FALSE(arvore().exists("dados/a.txt"));
  EXPECT_TRUE(trabalho().empty());
  EXPECT_EQ(arvore().read("T/DATA/TORVEX.JNL"), "");
}

// The source is replaced after the listing and while the library packs it:
// it is not packed with the listing's time, and it is packed once.
TEST_F(Retire, ASourceReplacedWhilePackedIsPackedOnceAsItIs) {
  if (kLibraryInADll) GTEST_SKIP() << kLibraryOutOfReach;
  escreve("dados/a.txt", "old");
  {
    SelectivePlatform troca;
    bool feito = false;
    troca.antes = [&](std::string_view op, std::string_view p) {
      if (!feito && op == "open" && p == "C:/dados/a.txt") {
        feito = true;
        escreve("dados/a.txt", "new bytes", 1796500000);
      }
    };
    EXPECT_EQ(gera("C:/dados/*", "", 1), 0);
    ASSERT_TRUE(feito) << "the library never opened the source";
  }
  EXPECT_EQ(gera("C:/dados/*", "", 2), 0);
  std::set<std::string> esperado{"F2_a_txt.ARJ", "F2_a_txt.DAT"};
  if (trabalho().count("F1_a_txt.ARJ")) esperado = {"F1_a_txt.ARJ", "F1_a_txt.DAT"};
  EXPECT_EQ(trabalho(), esperado);
  const std::string arquivo = *esperado.begin();
  EXPECT_EQ(conteudoArquivado(arquivo), "new bytes");
  EXPECT_EQ(arvore().read(std::string(kTrabalho) + "/" + arquivo.substr(0, arquivo.size() - 3) + "DAT"),
            "C:/dados/a.txt\r\n05/12/2026 16:46:40\r\n");
  EXPECT_FALSE(arvore().exists("dados/a.txt"));
}

// The archive library is handed the archive's own name, made in the tree's
// private folder and then moved into the work area.
TEST_F(Retire, TheLibraryGetsTheArchivesOwnName) {
  escreve("dados/a.txt", "payload");
  SelectivePlatform vigia;
  std::vector<std::string> criados;
  vigia.antes = [&](std::string_view op, std::string_view p) {
    if (op == "open" && p.find("F7_") != std::string_view::npos) criados.emplace_back(p);
  };
  EXPECT_EQ(gera("C:/dados/*", "", 7), 0);
  EXPECT_NE(std::find(criados.begin(), criados.end(), "C:/T/DATA/TORVEX.TMP/F7_a_txt.ARJ"),
            criados.end());
  for (const std::string& c : criados) EXPECT_FALSE(c.ends_with(".tmp")) << c;
  EXPECT_EQ(trabalho(), (std::set<std::string>{"F7_a_txt.ARJ", "F7_a_txt.DAT"}));
}

// After a call killed once its plan was written, the half-made archive is
// deleted by someone: the listing that finishes the plan does not leave a
// record without an archive, nor delete the source.
TEST_F(Retire, AHalfMadeArchiveGoneIsNotTakenForPublished) {
  escreve("dados/a.txt", "payload");
  {
    PowerCutPlatform energia(arvore().dir());
    for (long n = 1;; ++n) {
      energia.stopAt(n);
      gera("C:/dados/*");
      Plan p;
      if (readJournal("C:/T", p) == JournalState::Plan) break;
      ASSERT_LT(n, 200);
      energia.cut(Survivor::Everything);
    }
    energia.cut(Survivor::Everything);
  }
  fs::remove(arvore().path("T/DATA/TORVEX.TMP/F1_a_txt.ARJ"));
  Bstr lista(Controlador::recuperaArquivoUpload(bstr(u"C:/T").get(), 1));
  EXPECT_FALSE(lista);
  EXPECT_TRUE(trabalho().empty());
  EXPECT_EQ(arvore().read("dados/a.txt"), "payload");
  EXPECT_EQ(gera("C:/dados/*", "", 2), 0);
  EXPECT_EQ(trabalho(), (std::set<std::string>{"F2_a_txt.ARJ", "F2_a_txt.DAT"}));
}

}  // namespace
}  // namespace torvex::testing
