#include "upload/gera_arquivo_upload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "tests/support/unix_shell.h"
#include "tests/support/windows_limits.h"
#include "tests/upload/upload_fixture.h"

namespace torvex::testing {
namespace {

using Nomes = std::set<std::string>;

TEST_F(UploadTest, PacksOneFileWithItsTwoLineRecord) {
  escreve("dados/ARQ01.TXT", "conteudo de teste\n");
  EXPECT_EQ(gera("C:/dados/ARQ01.TXT", "", 3), 0);

  EXPECT_EQ(trabalho(), (Nomes{"F3_arq01_txt.ARJ", "F3_arq01_txt.DAT"}));
  // The source path in the case found, then the local last-write time.
  EXPECT_EQ(arvore().read("T/OUTTRAY/WORK/F3_arq01_txt.DAT"),
            "C:/dados/ARQ01.TXT\r\n05/12/2026 14:03:59\r\n");
  EXPECT_EQ(conteudoArquivado("F3_arq01_txt.ARJ"), "conteudo de teste\n");
  EXPECT_FALSE(arvore().exists("dados/ARQ01.TXT"));
}

TEST_F(UploadTest, ArchiveIsReadByTheArjProgram) {
  const std::optional<int> encontrado = unixShell(arvore().dir(), "command -v arj");
  if (!encontrado) GTEST_SKIP() << kNoUnixPeers;
  if (*encontrado != 0) GTEST_SKIP() << "arj not installed";
  escreve("dados/ARQ01.TXT", std::string(5000, 'x') + "fim");
  ASSERT_EQ(gera("C:/dados/ARQ01.TXT", "", 3), 0);
  EXPECT_EQ(unixShell(arvore().path("T/OUTTRAY/WORK"), "arj t F3_arq01_txt.ARJ"), 0);
}

TEST_F(UploadTest, PacksEveryMatchWithTheSameNumberInSearchOrder) {
  escreve("dados/ARQ02.TXT", "2");
  escreve("dados/arq03.txt", "3");
  escreve("dados/ARQ01.TXT", "1");
  escreve("dados/OUTRO.TXT", "fica");
  SelectivePlatform plataforma;
  EXPECT_EQ(gera("C:\\dados\\ARQ*.TXT", "", 5), 0);

  EXPECT_EQ(trabalho(), (Nomes{"F5_arq01_txt.ARJ", "F5_arq01_txt.DAT", "F5_arq02_txt.ARJ",
                               "F5_arq02_txt.DAT", "F5_arq03_txt.ARJ", "F5_arq03_txt.DAT"}));
  EXPECT_EQ(nomesEm("dados"), Nomes{"OUTRO.TXT"});
  EXPECT_EQ(conteudoArquivado("F5_arq03_txt.ARJ"), "3");
  std::vector<std::string> arquivos;
  for (const std::string& p : plataforma.publicados) {
    // Published into the work area (the library makes them in the private folder).
    if (p.ends_with(".ARJ") && p.find("TORVEX.TMP") == std::string::npos) {
      arquivos.push_back(p.substr(p.rfind('/') + 1));
    }
  }
  EXPECT_EQ(arquivos, (std::vector<std::string>{"F5_arq01_txt.ARJ", "F5_arq02_txt.ARJ",
                                                "F5_arq03_txt.ARJ"}));
}

TEST_F(UploadTest, FiWithoutDirectoryTouchesNothing) {
  escreve("dados/ARQ01.TXT", "1");
  EXPECT_EQ(gera("ARQ01.TXT"), 0);
  EXPECT_EQ(gera(""), 0);
  EXPECT_TRUE(arvore().exists("dados/ARQ01.TXT"));
  EXPECT_TRUE(trabalho().empty());
}

TEST_F(UploadTest, NothingMatchingOrNoDirectoryGivesZero) {
  EXPECT_EQ(gera("C:/dados/*.TXT"), 0);
  EXPECT_EQ(gera("C:/naoexiste/*.TXT"), 0);
  EXPECT_TRUE(trabalho().empty());
}

TEST_F(UploadTest, QuestionMarksWithoutAsteriskRequireThePatternsLength) {
  escreve("dados/ARQ01.TXT", "1");
  escreve("dados/ARQ1.TXT", "curto");
  EXPECT_EQ(gera("C:/dados/ARQ??.TXT"), 0);
  EXPECT_EQ(nomesEm("dados"), Nomes{"ARQ1.TXT"});

  // With an asterisk there is no length filter.
  EXPECT_EQ(gera("C:/dados/ARQ??.*", "", 2), 0);
  EXPECT_TRUE(nomesEm("dados").empty());
  EXPECT_TRUE(trabalho().count("F2_arq1_txt.ARJ"));
}

TEST_F(UploadTest, MatchingSubdirectoryIsNeverPacked) {
  arvore().mkdir("dados/ARQ02.TXT");
  arvore().write("dados/ARQ02.TXT/dentro.txt", "x");
  escreve("dados/ARQ01.TXT", "1");
  EXPECT_EQ(gera("C:/dados/ARQ*.TXT"), 0);
  EXPECT_EQ(trabalho(), (Nomes{"F1_arq01_txt.ARJ", "F1_arq01_txt.DAT"}));
  EXPECT_TRUE(arvore().exists("dados/ARQ02.TXT/dentro.txt"));
}

TEST_F(UploadTest, NameWithParenthesisKeepsItsRealName) {
  escreve("dados/rel(1).txt", "p");
  EXPECT_EQ(gera("C:/dados/*.txt"), 0);
  EXPECT_EQ(trabalho(), (Nomes{"F1_rel(1)_txt.ARJ", "F1_rel(1)_txt.DAT"}));
  EXPECT_EQ(arvore().read("T/OUTTRAY/WORK/F1_rel(1)_txt.DAT"),
            "C:/dados/rel(1).txt\r\n05/12/2026 14:03:59\r\n");
  EXPECT_FALSE(arvore().exists("dados/rel(1).txt"));
}

TEST_F(UploadTest, ParenthesisInTheFiIsNormalised) {
  escreve("dados/A/1)/x.txt", "n");
  EXPECT_EQ(gera("C:\\dados\\A(1)\\x.txt"), 0);
  EXPECT_EQ(arvore().read("T/OUTTRAY/WORK/F1_x_txt.DAT"),
            "C:/dados/A/1)/x.txt\r\n05/12/2026 14:03:59\r\n");
}

TEST_F(UploadTest, RenameMovesThePackedFileInLowerCase) {
  arvore().mkdir("enviados");
  escreve("dados/ARQ01.TXT", "mover");
  EXPECT_EQ(gera("C:/dados/ARQ01.TXT", "C:/enviados/*.*"), 0);
  EXPECT_EQ(nomesEm("enviados"), Nomes{"arq01.txt"});
  EXPECT_EQ(arvore().read("enviados/arq01.txt"), "mover");
  EXPECT_TRUE(nomesEm("dados").empty());
  EXPECT_EQ(trabalho().size(), 2u);
}

TEST_F(UploadTest, MissingRenameDirectoryGivesTwoAndLeavesEverything) {
  escreve("dados/ARQ01.TXT", "fica");
  // An archive of an earlier call with the same name is not sacrificed.
  arvore().write("T/OUTTRAY/WORK/F1_arq01_txt.ARJ", "antigo");
  arvore().write("T/OUTTRAY/WORK/F1_arq01_txt.DAT", "registro antigo");
  EXPECT_EQ(gera("C:/dados/ARQ01.TXT", "C:/enviados/*.*"), 2);
  EXPECT_EQ(arvore().read("dados/ARQ01.TXT"), "fica");
  EXPECT_EQ(arvore().read("T/OUTTRAY/WORK/F1_arq01_txt.ARJ"), "antigo");
  EXPECT_EQ(trabalho().size(), 2u);

  // The directory test is made without expanding macros.
  EXPECT_EQ(gera("C:/dados/ARQ01.TXT", "&QVDIR/*.*"), 2);
}

TEST_F(UploadTest, FilesPackedBeforeTheMissingRenameDirectoryStay) {
  arvore().mkdir("enviados");
  escreve("dados/a.txt", "a");
  escreve("dados/b.txt", "b");
  SelectivePlatform plataforma;
  int consultas = 0;  // the directory is gone once the first file is through
  plataforma.recusa = [&](std::string_view op, std::string_view p) {
    return op == "attributes" && p == "C:/enviados" && ++consultas > 1;
  };
  EXPECT_EQ(gera("C:/dados/*.txt", "C:/enviados/*.*"), 2);
  EXPECT_EQ(trabalho(), (Nomes{"F1_a_txt.ARJ", "F1_a_txt.DAT"}));
  EXPECT_EQ(nomesEm("enviados"), Nomes{"a.txt"});
  EXPECT_EQ(nomesEm("dados"), Nomes{"b.txt"});
}

TEST_F(UploadTest, RenameOntoItsOwnNameDeletesTheFile) {
  escreve("dados/arq01.txt", "x");
  EXPECT_EQ(gera("C:/dados/arq01.txt", "*.*"), 0);
  EXPECT_TRUE(nomesEm("dados").empty());
  EXPECT_EQ(trabalho().size(), 2u);
}

TEST_F(UploadTest, RenameWithinTheDirectoryKeepsTheOtherFiles) {
  escreve("dados/a.txt", "a");
  escreve("dados/b.txt", "b");
  EXPECT_EQ(gera("C:/dados/*.txt", "*.bak"), 0);
  EXPECT_EQ(nomesEm("dados"), (Nomes{"a.bak", "b.bak"}));
  EXPECT_EQ(arvore().read("dados/b.bak"), "b");
}

TEST_F(UploadTest, SameNumberReplacesAnOlderArchiveOfTheSameFile) {
  // The record names the same file as the file system compares paths: the
  // directory in another letter case, other separators, a "." component.
  for (const char* registrada : {"C:/dados/ARQ01.TXT", "c:\\DADOS\\.\\ARQ01.TXT"}) {
    SCOPED_TRACE(registrada);
    arvore().write("T/OUTTRAY/WORK/F3_arq01_txt.ARJ", "lixo de uma chamada anterior");
    arvore().write("T/OUTTRAY/WORK/F3_arq01_txt.DAT",
                   std::string(registrada) + "\r\n01/12/2026 10:00:00\r\n");
    escreve("dados/ARQ01.TXT", "novo");
    EXPECT_EQ(gera("C:/dados/ARQ01.TXT", "", 3), 0);
    EXPECT_EQ(conteudoArquivado("F3_arq01_txt.ARJ"), "novo");
    EXPECT_EQ(arvore().read("T/OUTTRAY/WORK/F3_arq01_txt.DAT"),
              "C:/dados/ARQ01.TXT\r\n05/12/2026 14:03:59\r\n");
    EXPECT_EQ(trabalho().size(), 2u);
    EXPECT_FALSE(arvore().exists("dados/ARQ01.TXT"));
  }
}

TEST_F(UploadTest, UnsentArchiveOfAnotherFileIsNeverReplaced) {
  struct Caso {
    const char* nome;
    std::optional<std::string> registro;  // none: the archive has no record
  };
  for (const Caso& caso : {Caso{"another directory", "C:/outros/ARQ01.TXT\r\n01/12/2026\r\n"},
                           Caso{"empty record", ""}}) {
    SCOPED_TRACE(caso.nome);
    novaArvore();
    arvore().write("T/OUTTRAY/WORK/F3_arq01_txt.ARJ", "unica copia");
    if (caso.registro) arvore().write("T/OUTTRAY/WORK/F3_arq01_txt.DAT", *caso.registro);
    escreve("dados/ARQ01.TXT", "espera");
    EXPECT_EQ(gera("C:/dados/ARQ01.TXT", "", 3), 0);
    EXPECT_EQ(arvore().read("T/OUTTRAY/WORK/F3_arq01_txt.ARJ"), "unica copia");
    EXPECT_EQ(arvore().read("dados/ARQ01.TXT"), "espera");
    EXPECT_EQ(trabalho().size(), caso.registro ? 2u : 1u);
  }
}

// The rename directory is tested after the add, as a failed add ends the run
// with 0 first; a file packed before the test is then taken back.
TEST_F(UploadTest, TheAddFailsBeforeTheRenameDirectoryIsTested) {
  std::filesystem::remove_all(arvore().path(kTrabalho));
  escreve("dados/ARQ01.TXT", "1");
  EXPECT_EQ(gera("C:/dados/ARQ01.TXT", "C:/nodir/*.*"), 0);
  EXPECT_EQ(nomesEm("dados"), Nomes{"ARQ01.TXT"});
  arvore().mkdir(kTrabalho);
  EXPECT_EQ(gera("C:/dados/ARQ01.TXT", "C:/nodir/*.*"), 2);
  EXPECT_EQ(nomesEm("dados"), Nomes{"ARQ01.TXT"});
  EXPECT_EQ(trabalho(), Nomes{});
}

// However an FI names them, the tree's lock and journal are never packed.
TEST_F(UploadTest, TheLockAndTheJournalAreNeverPacked) {
  for (const char* fi : {"C:/T/DATA/*.*", "C:/T/data/TORVEX.*", "C:/T/DATA/torvex.lck"}) {
    SCOPED_TRACE(fi);
    EXPECT_EQ(gera(fi), 0);
    EXPECT_EQ(trabalho(), Nomes{});
    EXPECT_TRUE(arvore().exists("T/DATA/TORVEX.LCK"));
    EXPECT_TRUE(arvore().exists("T/DATA/TORVEX.JNL"));
  }
  escreve("T/DATA/notes.txt", "mine");
  EXPECT_EQ(gera("C:/T/DATA/*.*"), 0);
  EXPECT_EQ(trabalho(), (Nomes{"F1_notes_txt.ARJ", "F1_notes_txt.DAT"}));
}

// A record without its archive, or an archive without its record (which
// names no source, so replacing it loses nothing), does not block its name.
TEST_F(UploadTest, AnArchiveOrRecordLeftWithoutItsPartnerIsReplaced) {
  for (const char* sozinho : {"F3_arq01_txt.DAT", "F3_arq01_txt.ARJ"}) {
    SCOPED_TRACE(sozinho);
    novaArvore();
    arvore().write(std::string(kTrabalho) + "/" + sozinho, "C:/outros/ARQ01.TXT\r\n01/12/2026\r\n");
    escreve("dados/ARQ01.TXT", "novo");
    EXPECT_EQ(gera("C:/dados/ARQ01.TXT", "", 3), 0);
    EXPECT_EQ(conteudoArquivado("F3_arq01_txt.ARJ"), "novo");
    EXPECT_EQ(arvore().read("T/OUTTRAY/WORK/F3_arq01_txt.DAT"),
              "C:/dados/ARQ01.TXT\r\n05/12/2026 14:03:59\r\n");
    EXPECT_FALSE(arvore().exists("dados/ARQ01.TXT"));
  }
}

TEST_F(UploadTest, RenameTargetElsewhereDoesNotHideAFileOfItsName) {
  arvore().mkdir("enviados");
  escreve("dados/a.txt", "a");
  escreve("dados/z.txt", "z");
  EXPECT_EQ(gera("C:/dados/*.txt", "C:/enviados/z.txt"), 0);
  EXPECT_TRUE(nomesEm("dados").empty());
  EXPECT_EQ(trabalho(), (Nomes{"F1_a_txt.ARJ", "F1_a_txt.DAT", "F1_z_txt.ARJ", "F1_z_txt.DAT"}));
  EXPECT_EQ(conteudoArquivado("F1_z_txt.ARJ"), "z");
}

// The archives and records a run publishes into the searched folder are
// listed again, under another spelling of the folder too, and never packed.
TEST_F(UploadTest, ASearchOfTheWorkAreaNeverPacksWhatTheRunMade) {
  for (const char* fi : {"C:/T/OUTTRAY/WORK/*", "c:\\t\\outtray\\.\\work\\*"}) {
    SCOPED_TRACE(fi);
    novaArvore();
    escreve("T/OUTTRAY/WORK/a.txt", "a");
    escreve("T/OUTTRAY/WORK/b.txt", "b");
    EXPECT_EQ(gera(fi), 0);
    EXPECT_EQ(trabalho(), (Nomes{"F1_a_txt.ARJ", "F1_a_txt.DAT", "F1_b_txt.ARJ", "F1_b_txt.DAT"}));
  }
}

TEST_F(UploadTest, LibraryFailureEndsTheCallAndLeavesNothing) {
  if (kLibraryInADll) GTEST_SKIP() << kLibraryOutOfReach;
  escreve("dados/ARQ01.TXT", "1");
  escreve("dados/ARQ02.TXT", "2");
  escreve("dados/ARQ03.TXT", "3");
  SelectivePlatform plataforma;
  plataforma.recusa = [](std::string_view op, std::string_view p) {
    return op == "open" && p.ends_with("dados/ARQ02.TXT");  // the library cannot read it
  };
  EXPECT_EQ(gera("C:/dados/ARQ*.TXT"), 0);
  EXPECT_EQ(trabalho(), (Nomes{"F1_arq01_txt.ARJ", "F1_arq01_txt.DAT"}));
  EXPECT_EQ(nomesEm("dados"), (Nomes{"ARQ02.TXT", "ARQ03.TXT"}));
  EXPECT_EQ(arvore().read("dados/ARQ02.TXT"), "2");
}

TEST_F(UploadTest, MissingWorkAreaFailsInTheLibrary) {
  std::filesystem::remove_all(arvore().path(kTrabalho));
  escreve("dados/ARQ01.TXT", "1");
  EXPECT_EQ(gera("C:/dados/ARQ01.TXT"), 0);
  EXPECT_EQ(nomesEm("dados"), Nomes{"ARQ01.TXT"});
  EXPECT_EQ(nomesEm("T/OUTTRAY"), Nomes{});
}

TEST_F(UploadTest, FileThatCannotBeDeletedIsPackedOnceAndTheCallEnds) {
  escreve("dados/A.TXT", "a");
  escreve("dados/B.TXT", "b");
  SelectivePlatform plataforma;
  plataforma.recusa = [](std::string_view op, std::string_view p) {
    return op == "delete" && p == "C:/dados/A.TXT";
  };
  EXPECT_EQ(gera("C:/dados/*.TXT"), 0);
  EXPECT_EQ(nomesEm("dados"), Nomes{"A.TXT"});
  EXPECT_EQ(trabalho(),
            (Nomes{"F1_a_txt.ARJ", "F1_a_txt.DAT", "F1_b_txt.ARJ", "F1_b_txt.DAT"}));
  // Published once: the archive of A is not made again in the same call.
  EXPECT_EQ(std::count(plataforma.publicados.begin(), plataforma.publicados.end(),
                       "C:/T/OUTTRAY/WORK/F1_a_txt.ARJ"),
            1);
}

TEST_F(UploadTest, RenameTargetMatchingTheFiAgainEndsTheCall) {
  escreve("dados/a.txt", "a");
  escreve("dados/b.txt", "b");
  EXPECT_EQ(gera("C:/dados/*.txt", "C:/dados/x&SEQ.txt"), 0);
  EXPECT_EQ(nomesEm("dados"), (Nomes{"x000.txt", "x001.txt"}));
  EXPECT_EQ(trabalho(), (Nomes{"F1_a_txt.ARJ", "F1_a_txt.DAT", "F1_b_txt.ARJ", "F1_b_txt.DAT"}));
}

TEST_F(UploadTest, NamesGivingTheSameArchiveWaitForALaterCall) {
  if (kCaseBlindVolume) GTEST_SKIP() << kNoCaseTwins;
  escreve("dados/Dup.txt", "primeiro");
  escreve("dados/DUP.TXT", "segundo");
  escreve("dados/a.b_c", "abc");
  escreve("dados/a_b.c", "outro abc");
  EXPECT_EQ(gera("C:/dados/*", "", 4), 0);
  EXPECT_EQ(trabalho(), (Nomes{"F4_dup_txt.ARJ", "F4_dup_txt.DAT", "F4_a_b_c.ARJ",
                               "F4_a_b_c.DAT"}));
  // Whichever of each pair was packed, the other is still there, untouched.
  Nomes restantes = nomesEm("dados");
  ASSERT_EQ(restantes.size(), 2u);
  std::string dup = restantes.count("Dup.txt") ? "Dup.txt" : "DUP.TXT";
  std::string abc = restantes.count("a.b_c") ? "a.b_c" : "a_b.c";
  EXPECT_TRUE(restantes.count(dup) && restantes.count(abc));
  EXPECT_NE(conteudoArquivado("F4_dup_txt.ARJ"), arvore().read("dados/" + dup));
  EXPECT_NE(conteudoArquivado("F4_a_b_c.ARJ"), arvore().read("dados/" + abc));

  // The next call packs them.
  EXPECT_EQ(gera("C:/dados/*", "", 5), 0);
  EXPECT_TRUE(nomesEm("dados").empty());
}

TEST_F(UploadTest, NameClashWaitsUntilTheHostHasTakenTheEarlierArchive) {
  if (kCaseBlindVolume) GTEST_SKIP() << kNoCaseTwins;
  escreve("dados/ARQ.TXT", "maiusculas");
  escreve("dados/arq.txt", "minusculas");
  const std::string arquivo = "T/OUTTRAY/WORK/F1_arq_txt.ARJ";
  const std::string registro = "T/OUTTRAY/WORK/F1_arq_txt.DAT";

  // Call 1 packs one of the two and leaves the other in place.
  EXPECT_EQ(gera("C:/dados/*", "", 1), 0);
  Nomes restantes = nomesEm("dados");
  ASSERT_EQ(restantes.size(), 1u);
  const std::string segundo = *restantes.begin();
  const std::string primeiro = segundo == "arq.txt" ? "ARQ.TXT" : "arq.txt";
  const std::string conteudoPrimeiro = primeiro == "ARQ.TXT" ? "maiusculas" : "minusculas";
  EXPECT_EQ(conteudoArquivado("F1_arq_txt.ARJ"), conteudoPrimeiro);
  const std::string registroPrimeiro = arvore().read(registro);
  EXPECT_TRUE(registroPrimeiro.starts_with("C:/dados/" + primeiro + "\r\n"));

  // Call 2 with the same number, before the host has sent anything: the
  // earlier archive is the first file's only copy, so the second waits.
  EXPECT_EQ(gera("C:/dados/*", "", 1), 0);
  EXPECT_EQ(nomesEm("dados"), Nomes{segundo});
  EXPECT_EQ(conteudoArquivado("F1_arq_txt.ARJ"), conteudoPrimeiro);
  EXPECT_EQ(arvore().read(registro), registroPrimeiro);

  // The host sends the pair and deletes it; the next call packs the second.
  std::filesystem::remove(arvore().path(arquivo));
  std::filesystem::remove(arvore().path(registro));
  EXPECT_EQ(gera("C:/dados/*", "", 1), 0);
  EXPECT_TRUE(nomesEm("dados").empty());
  EXPECT_NE(conteudoArquivado("F1_arq_txt.ARJ"), conteudoPrimeiro);
  EXPECT_TRUE(arvore().read(registro).starts_with("C:/dados/" + segundo + "\r\n"));
}

TEST_F(UploadTest, FileAppearingDuringTheCallIsPacked) {
  escreve("dados/a.txt", "a");
  SelectivePlatform plataforma;
  bool criado = false;
  plataforma.antes = [&](std::string_view op, std::string_view p) {
    if (!criado && op == "delete" && p == "C:/dados/a.txt") {
      criado = true;
      escreve("dados/tardio.txt", "t");
    }
  };
  EXPECT_EQ(gera("C:/dados/*.txt"), 0);
  EXPECT_TRUE(criado);
  EXPECT_TRUE(nomesEm("dados").empty());
  EXPECT_TRUE(trabalho().count("F1_tardio_txt.ARJ"));
}

TEST_F(UploadTest, PathsThatWouldNotFitLeaveTheirFileUntouched) {
  // The FI fits, but directory and name together would pass 255 characters.
  const std::string dir = "dados/" + std::string(235, 'd');
  escreve(dir + "/um_nome_de_vinte_txt.txt", "longo");
  escreve(dir + "/c.txt", "curto");
  // A source path that fits, but whose archive path would not.
  const std::string nomeLongo = std::string(236, 'n') + ".txt";
  escreve("dados/" + nomeLongo, "nome longo");
  escreve("dados/ok.txt", "ok");

  EXPECT_EQ(gera(("C:/" + dir + "/*.txt").c_str()), 0);
  EXPECT_EQ(gera("C:/dados/*.txt"), 0);
  EXPECT_EQ(trabalho(), (Nomes{"F1_c_txt.ARJ", "F1_c_txt.DAT", "F1_ok_txt.ARJ", "F1_ok_txt.DAT"}));
  EXPECT_EQ(arvore().read(dir + "/um_nome_de_vinte_txt.txt"), "longo");
  EXPECT_EQ(arvore().read("dados/" + nomeLongo), "nome longo");
}

}  // namespace
}  // namespace torvex::testing
