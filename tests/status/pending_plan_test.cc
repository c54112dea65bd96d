// `torvex status` on a tree whose last pass was cut short with its plan in
// the journal: the plan's deliveries come first, to the final paths and
// numbers it drew, their files are left alone, and nothing of it needs an
// operator.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/read_only_platform.h"
#include "cli/tray_report.h"
#include "download/disponibiliza_arquivos.h"
#include "journal/journal_file.h"
#include "tests/download/received_archives.h"
#include "tests/support/environment.h"
#include "tests/support/power_cut_platform.h"
#include "tests/support/wine.h"
#include "upload/gera_arquivo_upload.h"

namespace torvex::cli {
namespace {

namespace fs = std::filesystem;

const char* const kCarimbo = "ABCDEF.GH+202601311200+";

class PlanoPendente : public ::testing::Test {
 protected:
  PlanoPendente() {
    testing::setVariable("TZ", "UTC0");
    testing::setVariable("TORVEX_WINVER", "6.1");
  }
  ~PlanoPendente() override {
    testing::setVariable("TORVEX_WINVER", nullptr);
  }

  // A numbered message beside an existing file and a new file, the pass
  // cut at the first operation after which `parou` holds.
  template <class Condicao>
  void cortaQuando(Condicao parou) {
    for (long n = 1; n < 400; ++n) {
      for (const auto& e : fs::directory_iterator(arvore.dir())) fs::remove_all(e.path());
      testing::criaBandejas(arvore);
      arvore.write("OUT/rep.txt", "old");
      testing::criaRecebido(arvore, "D00001.ARJ", testing::descritor("C:/OUT/rep.txt", kCarimbo, "M"),
                            "numbered");
      testing::criaRecebido(arvore, "D00002.ARJ", testing::descritor("C:/OUT/new.txt", kCarimbo, "R"),
                            "new");
      {
        testing::PowerCutPlatform energia(arvore.dir());
        energia.stopAt(n);
        disponibilizaArquivos("C:/T");
        energia.cut(testing::Survivor::Everything);
      }
      Plan plano;
      if (readJournal("C:/T", plano) == JournalState::Plan && parou()) return;
    }
    FAIL() << "no cut left the plan pending so";
  }

  TrayReport relatorio() {
    ReadOnlyPlatform somenteLeitura;
    TrayReport r = inspectTray("C:/T");
    EXPECT_EQ(somenteLeitura.refused(), 0);
    return r;
  }

  // Both deliveries predicted as the plan's, with the number it drew, and
  // every file of the tree that the plan names left in place.
  void confereRelatorio() {
    const TrayReport r = relatorio();
    const std::vector<std::string> esperado = {"D00001.ARJ C:/OUT/M00001.QVX numbered",
                                               "D00002.ARJ C:/OUT/new.txt new"};
    ASSERT_EQ(r.received.size(), esperado.size());
    for (size_t i = 0; i < esperado.size(); ++i) {
      const ReceivedItem& item = r.received[i];
      EXPECT_EQ(item.name + " " + item.destination + " " + item.disposition, esperado[i]);
      EXPECT_TRUE(item.deliver && item.pending && !item.recorded) << item.name;
    }
    EXPECT_EQ(r.counter.value, 1);
    EXPECT_FALSE(r.leftovers.empty());
    for (const Leftover& l : r.leftovers) {
      EXPECT_EQ(l.action, Advice::Leave) << l.path << ": " << l.advice;
    }
    EXPECT_FALSE(r.needsOperator());
  }

  void conferePasso() {
    EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
    EXPECT_EQ(arvore.read("OUT/M00001.QVX"), "numbered");
    EXPECT_EQ(arvore.read("OUT/new.txt"), "new");
    EXPECT_FALSE(arvore.exists("OUT/M00002.QVX"));
    EXPECT_EQ(testing::arquivosRegistrados(arvore),
              (std::vector<std::string>{"D00001.ARJ", "D00002.ARJ"}));
  }

  // Every name under the tree's directory and every file's bytes.
  std::map<std::string, std::string> retrato() const {
    std::map<std::string, std::string> r;
    for (const auto& e : fs::recursive_directory_iterator(arvore.dir())) {
      const std::string nome = fs::relative(e.path(), arvore.dir()).string();
      r[nome] = e.is_directory() ? "<dir>" : arvore.read(nome);
    }
    return r;
  }

  // The next call stops at `arquivo`: status says so for every archive and
  // names it for an operator; each changing call then returns its failure
  // value, the first having run no more than the plan's own steps, and
  // neither changes anything after it.
  void confereParada(const std::string& arquivo) {
    const TrayReport r = relatorio();
    EXPECT_EQ(r.callStopsAt, arquivo);
    ASSERT_FALSE(r.received.empty());
    for (const ReceivedItem& item : r.received) {
      EXPECT_FALSE(item.deliver) << item.name;
      EXPECT_EQ(item.detail, arquivo) << item.name;
      EXPECT_NE(item.reason.find("stops"), std::string::npos) << item.name << ": " << item.reason;
    }
    const auto mend = std::find_if(r.leftovers.begin(), r.leftovers.end(),
                                   [&](const Leftover& l) { return l.path == arquivo; });
    ASSERT_NE(mend, r.leftovers.end());
    EXPECT_EQ(mend->action, Advice::Mend);
    EXPECT_TRUE(r.needsOperator());

    arvore.write("dados/up.txt", "up");
    EXPECT_EQ(disponibilizaArquivos("C:/T"), 1);
    const auto depois = retrato();
    EXPECT_EQ(geraArquivoUpload("C:/T", "C:/dados/up.txt", "", 1), -1);
    EXPECT_EQ(disponibilizaArquivos("C:/T"), 1);
    EXPECT_EQ(retrato(), depois);
    EXPECT_FALSE(arvore.exists("T/OUTTRAY/WORK/F1_up_txt.ARJ"));
  }

  testing::TempTree arvore;
};

// Cut as soon as the plan stands, its archives still in the work area: they
// are not decided again (which would draw M00002), and their members are
// not "extracted members of a waiting archive" that may be deleted.
TEST_F(PlanoPendente, ArchivesStillWaitingAreTheirPlansToFinish) {
  cortaQuando([&] { return arvore.exists("T/INTRAY/WORK/D00001.ARJ"); });
  confereRelatorio();
  conferePasso();
}

// Cut once the archives are parked: the members left in the tray belong to
// no waiting archive, yet the plan still needs them.
TEST_F(PlanoPendente, MembersOfParkedArchivesAreLeftAlone) {
  cortaQuando([&] {
    return arvore.exists("T/INTRAY/WORK/D00002.ARJ.ENTREGA") && arvore.exists("T/INTRAY/D00002.ARQ");
  });
  confereRelatorio();
  conferePasso();
}

// Cut once the records' write kept its second name of ContDown.dat in the
// private folder: that file is the plan's, named as what it is, and the pass
// that finishes the plan removes it.
TEST_F(PlanoPendente, TheControlFilesSecondNameIsThePlans) {
  cortaQuando([&] { return arvore.exists("T/DATA/TORVEX.TMP/CONTDOWN.LNK"); });
  confereRelatorio();
  const TrayReport r = relatorio();
  const auto segundo = std::find_if(r.leftovers.begin(), r.leftovers.end(), [](const Leftover& l) {
    return l.path == "C:/T/DATA/TORVEX.TMP/CONTDOWN.LNK";
  });
  ASSERT_NE(segundo, r.leftovers.end());
  EXPECT_EQ(segundo->kind, "second name of ContDown.dat, kept by an interrupted pass");
  conferePasso();
  EXPECT_FALSE(arvore.exists("T/DATA/TORVEX.TMP/CONTDOWN.LNK"));
}

// An upload cut between publishing its record and its archive: the record
// stands alone, but the plan publishes the archive, so nothing is amiss, and
// the packed archive in the private folder is the plan's, not scratch.
TEST_F(PlanoPendente, AnUploadWhosePlanPublishesTheArchiveLacksNothing) {
  for (long n = 1; n < 400; ++n) {
    for (const auto& e : fs::directory_iterator(arvore.dir())) fs::remove_all(e.path());
    testing::criaBandejas(arvore);
    arvore.write("dados/a.txt", "a");
    {
      testing::PowerCutPlatform energia(arvore.dir());
      energia.stopAt(n);
      geraArquivoUpload("C:/T", "C:/dados/a.txt", "", 1);
      energia.cut(testing::Survivor::Everything);
    }
    if (arvore.exists("T/OUTTRAY/WORK/F1_a_txt.DAT") && !arvore.exists("T/OUTTRAY/WORK/F1_a_txt.ARJ")) break;
  }
  ASSERT_TRUE(arvore.exists("T/OUTTRAY/WORK/F1_a_txt.DAT"));
  ASSERT_FALSE(arvore.exists("T/OUTTRAY/WORK/F1_a_txt.ARJ"));
  const TrayReport r = relatorio();
  ASSERT_EQ(r.uploads.size(), 1u);
  EXPECT_TRUE(r.uploads[0].partnerPending);
  EXPECT_EQ(r.uploads[0].problem, "");
  EXPECT_EQ(r.uploads[0].archive, "F1_a_txt.ARJ");
  for (const Leftover& l : r.leftovers) {
    EXPECT_EQ(l.action, Advice::Leave) << l.path << ": " << l.advice;
    if (l.path.find("TORVEX.TMP") != std::string::npos) {
      EXPECT_NE(l.advice.find("leave it"), std::string::npos) << l.path << ": " << l.advice;
    }
  }
  EXPECT_FALSE(r.needsOperator());
  // The next call publishes it, whatever it packs itself.
  geraArquivoUpload("C:/T", "C:/dados/none.txt", "", 2);
  EXPECT_TRUE(arvore.exists("T/OUTTRAY/WORK/F1_a_txt.ARJ"));
}

// The plan cannot be finished: the control file it writes its records to
// was replaced by a directory after the crash. Mended, the next pass
// finishes the plan and records each delivery once.
TEST_F(PlanoPendente, APlanThatCannotBeFinishedStopsEveryCall) {
  cortaQuando([&] { return arvore.exists("T/INTRAY/WORK/D00002.ARJ.ENTREGA"); });
  fs::remove(arvore.path("T/OUTTRAY/ContDown.dat"));
  arvore.mkdir("T/OUTTRAY/ContDown.dat");
  confereParada("C:/T/Outtray/ContDown.dat");
  fs::remove(arvore.path("T/OUTTRAY/ContDown.dat"));
  EXPECT_FALSE(relatorio().needsOperator());
  conferePasso();
}

// A journal that cannot be written stops every changing call though nothing
// is pending; status names it.
TEST_F(PlanoPendente, AJournalThatCannotBeWrittenStopsEveryCall) {
  if (testing::underWine()) {
    GTEST_SKIP() << "the journal is made read-only, which Wine lets root write (W7 in "
                    "docs/wine-departures.md)";
  }
  testing::criaBandejas(arvore);
  arvore.mkdir("OUT");
  testing::criaRecebido(arvore, "D00001.ARJ", testing::descritor("C:/OUT/new.txt", kCarimbo, "R"),
                        "new");
  arvore.write("T/DATA/TORVEX.JNL", "");
  fs::permissions(arvore.path("T/DATA/TORVEX.JNL"), fs::perms::owner_read);
  confereParada("C:/T/DATA/TORVEX.JNL");
  EXPECT_TRUE(arvore.exists("T/INTRAY/WORK/D00001.ARJ"));
  fs::permissions(arvore.path("T/DATA/TORVEX.JNL"), fs::perms::owner_all);
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("OUT/new.txt"), "new");
}

// A journal that cannot be read: status says no pass changes anything and
// asks for a copy for the developers; neither changing call changes a byte.
TEST_F(PlanoPendente, AJournalThatCannotBeReadStopsEveryCall) {
  cortaQuando([&] { return arvore.exists("T/INTRAY/WORK/D00001.ARJ"); });
  std::string diario = arvore.read("T/DATA/TORVEX.JNL");
  diario[diario.find("D00001")] ^= 0x20;
  arvore.write("T/DATA/TORVEX.JNL", diario);
  Plan plano;
  ASSERT_EQ(readJournal("C:/T", plano), JournalState::Error);
  const TrayReport r = relatorio();
  ASSERT_FALSE(r.received.empty());
  for (const ReceivedItem& item : r.received) {
    EXPECT_FALSE(item.deliver) << item.name;
    EXPECT_EQ(item.reason, "the journal cannot be read: no pass changes anything") << item.name;
  }
  EXPECT_TRUE(std::any_of(r.leftovers.begin(), r.leftovers.end(), [](const Leftover& l) {
    return l.path == "C:/T/DATA/TORVEX.JNL" && l.action == Advice::KeepForDevelopers;
  }));
  arvore.write("dados/up.txt", "up");
  const auto antes = retrato();
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 1);
  EXPECT_EQ(geraArquivoUpload("C:/T", "C:/dados/up.txt", "", 1), -1);
  EXPECT_EQ(retrato(), antes);
}

// A delivery the plan's run again gives up (its destination became a
// directory) is no delivery: its archive goes back and is decided with the
// others, and stays for the reason the pass then finds.
TEST_F(PlanoPendente, ADeliveryThePlanGivesUpIsDecidedAfresh) {
  cortaQuando([&] { return arvore.exists("T/INTRAY/WORK/D00002.ARJ.ENTREGA"); });
  arvore.mkdir("OUT/new.txt");
  const TrayReport r = relatorio();
  ASSERT_EQ(r.received.size(), 2u);
  EXPECT_TRUE(r.received[0].deliver && r.received[0].pending) << r.received[0].name;
  EXPECT_EQ(r.received[0].destination, "C:/OUT/M00001.QVX");
  EXPECT_EQ(r.received[1].name, "D00002.ARJ");
  EXPECT_FALSE(r.received[1].deliver || r.received[1].pending);
  EXPECT_EQ(r.received[1].reason, "destination is a directory");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_TRUE(arvore.exists("T/INTRAY/WORK/D00002.ARJ"));
  EXPECT_EQ(testing::arquivosRegistrados(arvore), std::vector<std::string>{"D00001.ARJ"});
}

// A journal written before plans recorded the expanded FI: a move's final
// path may or may not be a numbered name, and status says it does not know.
TEST_F(PlanoPendente, AnOldJournalLeavesTheDispositionUnknown) {
  cortaQuando([&] { return arvore.exists("T/INTRAY/WORK/D00001.ARJ"); });
  Plan plano;
  ASSERT_EQ(readJournal("C:/T", plano), JournalState::Plan);
  ASSERT_EQ(plano.resumeAt, 0u);  // no mark is lost by writing it again
  for (Step& s : plano.steps) s.d.clear();
  {
    Journal diario;
    ASSERT_TRUE(diario.open("C:/T"));
    ASSERT_TRUE(diario.commit(plano));
  }
  const TrayReport r = relatorio();
  ASSERT_EQ(r.received.size(), 2u);
  for (const ReceivedItem& item : r.received) {
    EXPECT_TRUE(item.deliver && item.pending) << item.name;
    EXPECT_EQ(item.disposition, "unknown") << item.name;
  }
  // A file of the test's folder: the C runtime of Windows makes tmpfile()'s
  // at the root of the current drive, which may not be there.
  std::FILE* texto = std::fopen(arvore.path("report.txt").string().c_str(), "w+b");
  ASSERT_NE(texto, nullptr);
  printText(r, texto);
  std::rewind(texto);
  char linha[512];
  std::string tudo;
  while (std::fgets(linha, sizeof linha, texto)) tudo += linha;
  std::fclose(texto);
  std::filesystem::remove(arvore.path("report.txt"));
  EXPECT_NE(tudo.find("D00001.ARJ  delivered to C:/OUT/M00001.QVX (new or numbered: destination "
                      "unknown to this journal)"),
            std::string::npos)
      << tudo;
  conferePasso();
}

}  // namespace
}  // namespace torvex::cli
