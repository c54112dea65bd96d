// `torvex status`: what the report says about each kind of waiting,
// stuck and left-over item, that its predictions are what the next pass then
// does, and that it changes nothing in the tree.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "arj/exec_arj.h"
#include "cli/read_only_platform.h"
#include "cli/tray_report.h"
#include "download/disponibiliza_arquivos.h"
#include "journal/journal_file.h"
#include "platform/scoped_platform.h"
#include "tests/download/received_archives.h"
#include "tests/support/child_process.h"
#include "tests/support/environment.h"
#include "tests/support/fixed_version.h"
#include "tests/support/windows_limits.h"
#include "upload/gera_arquivo_upload.h"

namespace torvex::cli {
namespace {

using testing::criaRecebido;
using testing::descritor;

const char* const kCarimbo = "ABCDEF.GH+202601311200+";

// Answers the registry's directory for the expander with a text of its own.
class FixedRegistry : public ScopedPlatform {
 public:
  explicit FixedRegistry(std::string valor) : valor_(std::move(valor)) {}
  bool registryRead(RegistryHive, const char*, const char*, std::string& data) override {
    data = valor_;
    return true;
  }

 private:
  std::string valor_;
};

class StatusTest : public ::testing::Test {
 protected:
  StatusTest() {
    testing::setVariable("TZ", "UTC0");
    testing::setVariable("TORVEX_WINVER", "2.5");
    testing::criaBandejas(arvore);
    arvore.mkdir("OUT");
  }
  ~StatusTest() override {
    testing::setVariable("TORVEX_WINVER", nullptr);
  }

  void recebe(const std::string& nome, const std::string& fi, const std::string& codigo,
              const std::string& dados = "dados", const std::string& carimbo = kCarimbo) {
    criaRecebido(arvore, nome, descritor(fi, carimbo, codigo), dados);
  }
  // An archive holding exactly the given members (name, contents).
  void recebeMembros(const std::string& nome,
                     const std::vector<std::pair<std::string, std::string>>& membros) {
    for (const auto& [membro, conteudo] : membros) {
      arvore.write("STAGE/" + membro, conteudo);
      const std::string comando =
          "a \"C:/T/INTRAY/WORK/" + nome + "\" \"C:/STAGE/" + membro + "\"";
      ASSERT_EQ(ExecArj(comando.c_str(), 0), 0);
    }
    std::filesystem::remove_all(arvore.path("STAGE"));
  }

  // The report as the command makes it: under the read-only platform, which
  // must not have had to refuse anything.
  // A committed plan with a mark, one byte of a step changed since.
  std::string journalDanificado() {
    Journal diario;
    EXPECT_TRUE(diario.open("C:/T"));
    Plan plano;
    plano.steps.push_back(makeStep(Op::Delete, 0, "C:/T/x"));
    EXPECT_TRUE(diario.commit(plano));
    EXPECT_TRUE(diario.mark('K', 0));
    std::string texto = arvore.read("T/DATA/TORVEX.JNL");
    texto[texto.find("C:/T/x")] = 'D';
    return texto;
  }

  TrayReport relatorio() {
    ReadOnlyPlatform somenteLeitura;
    TrayReport r = inspectTray("C:/T");
    EXPECT_EQ(somenteLeitura.refused(), 0);
    return r;
  }
  static const ReceivedItem& recebido(const TrayReport& r, const std::string& nome) {
    auto it = std::find_if(r.received.begin(), r.received.end(),
                           [&](const ReceivedItem& i) { return i.name == nome; });
    EXPECT_NE(it, r.received.end()) << nome;
    static const ReceivedItem nenhum;
    return it == r.received.end() ? nenhum : *it;
  }
  // One upload packed from C:/dados/a.txt, and an archive without its record.
  void empacotaComUmAvulso() {
    arvore.mkdir("dados");
    arvore.write("dados/a.txt", "a");
    ASSERT_EQ(geraArquivoUpload("C:/T", "C:/dados/a.txt", "", 1), 0);
    arvore.write("T/OUTTRAY/WORK/F2_sozinho_txt.ARJ", "archive alone");
  }
  bool aguardando(const std::string& nome) const { return arvore.exists("T/INTRAY/WORK/" + nome); }

  testing::TempTree arvore;
};

// Every reason an archive stays, each with the pass's own verdict after it.
TEST_F(StatusTest, EachReasonAnArchiveStays) {
  struct Caso {
    const char* nome;
    const char* motivo;
  };
  arvore.write("T/INTRAY/WORK/D00001.ARJ", "not an archive at all");
  recebe("D00002.ARJ", "C:/OUT/crc.txt", "R", std::string(3000, 'c'));
  {  // one byte of the packed data changed
    std::string bytes = arvore.read("T/INTRAY/WORK/D00002.ARJ");
    bytes[bytes.size() / 2] ^= 0x55;
    arvore.write("T/INTRAY/WORK/D00002.ARJ", bytes);
  }
  recebeMembros("D00003.ARJ", {{"D00003.ARQ", "only data"}});
  recebe("D00004.ARJ", "C:/OUT/r&PAA&PMM.txt", "R", "x", "no stamp here");
  recebe("D00005.ARJ", "", "R");
  recebe("D00006.ARJ", "&TELVORIN/&TELVORIN/&TELVORIN/x.txt", "R");
  recebeMembros("D00007.ARJ", {{"D00007.FN", descritor("C:/OUT/sem.txt", kCarimbo, "R")}});
  recebe("D00008.ARJ", "C:/OUT/missing/x.txt", "R");
  arvore.mkdir("OUT/dir.txt");
  recebe("D00009.ARJ", "C:/OUT/dir.txt", "R");
  arvore.write("OUT/ro.txt", "keep");
  std::filesystem::permissions(arvore.path("OUT/ro.txt"), std::filesystem::perms::owner_read);
  recebe("D00010.ARJ", "C:/OUT/ro.txt", "A");
  std::vector<Caso> casos = {
      {"D00001.ARJ", "not an archive"},
      {"D00002.ARJ", "CRC error"},
      {"D00003.ARJ", "no descriptor"},
      {"D00004.ARJ", "stamp does not scan"},
      {"D00005.ARJ", "expansion empty or too long"},
      {"D00006.ARJ", "expansion empty or too long"},
      {"D00007.ARJ", "no data file"},
      {"D00008.ARJ", "destination directory missing"},
      {"D00009.ARJ", "destination is a directory"},
      {"D00010.ARJ", "read-only destination"},
  };
  if (testing::kNoSymbolicLinks) {
    std::printf("the destination through a link is left out: %s\n", testing::kLinksNotMade);
  } else {
    std::filesystem::create_symlink(arvore.path("OUT/not-yet.txt"), arvore.path("OUT/link.txt"));
    recebe("D00011.ARJ", "C:/OUT/link.txt", "A");
    casos.push_back({"D00011.ARJ", "destination is a link to no file"});
  }

  FixedRegistry registro("C:/" + std::string(90, 'r'));
  const TrayReport r = relatorio();
  ASSERT_EQ(r.received.size(), casos.size());
  for (const Caso& caso : casos) {
    const ReceivedItem& item = recebido(r, caso.nome);
    EXPECT_FALSE(item.deliver) << caso.nome;
    EXPECT_EQ(item.reason, caso.motivo) << caso.nome;
  }
  EXPECT_EQ(recebido(r, "D00008.ARJ").detail, "C:/OUT/missing/x.txt");
  EXPECT_TRUE(r.needsOperator());

  // The pass agrees: every one of them is still waiting afterwards.
  disponibilizaArquivos("C:/T");
  for (const Caso& caso : casos) EXPECT_TRUE(aguardando(caso.nome)) << caso.nome;
  EXPECT_EQ(arvore.read("OUT/ro.txt"), "keep");
  EXPECT_FALSE(std::filesystem::exists(arvore.path("OUT/not-yet.txt")));
  std::filesystem::permissions(arvore.path("OUT/ro.txt"), std::filesystem::perms::owner_all);
}

// A destination on a read-only mount: the move or append would fail, so the
// pass leaves the archive, and status says so before.
TEST_F(StatusTest, AReadOnlyMountIsAReadOnlyDestination) {
  if (testing::kNoBindMounts) GTEST_SKIP() << testing::kBindMountsNotMade;
  arvore.write("RO/old.txt", "old");
  arvore.mkdir("ROMOUNT");
  const std::string origem = arvore.path("RO").string(), alvo = arvore.path("ROMOUNT").string();
  if (std::system(("mount --bind '" + origem + "' '" + alvo + "' 2>/dev/null && mount -o " +
                   "remount,ro,bind '" + alvo + "' 2>/dev/null").c_str()) != 0) {
    std::system(("umount '" + alvo + "' 2>/dev/null").c_str());
    GTEST_SKIP() << "no read-only bind mount here";
  }
  recebe("D00001.ARJ", "C:/ROMOUNT/new.txt", "R");
  recebe("D00002.ARJ", "C:/ROMOUNT/old.txt", "A");
  recebe("D00003.ARJ", "C:/ROMOUNT/old.txt", "M");
  const TrayReport r = relatorio();
  for (const char* nome : {"D00001.ARJ", "D00002.ARJ", "D00003.ARJ"}) {
    EXPECT_EQ(recebido(r, nome).reason, "read-only destination") << nome;
  }
  disponibilizaArquivos("C:/T");
  for (const char* nome : {"D00001.ARJ", "D00002.ARJ", "D00003.ARJ"}) {
    EXPECT_TRUE(aguardando(nome)) << nome;
  }
  EXPECT_EQ(std::system(("umount '" + alvo + "'").c_str()), 0);
  EXPECT_EQ(arvore.read("RO/old.txt"), "old");
}

// Deliveries with each disposition, later archives seeing what earlier ones
// would have made, and numbers drawn on from the counter in memory.
TEST_F(StatusTest, DeliveriesArePredictedAsThePassMakesThem) {
  arvore.write("OUT/rep.txt", "old");
  arvore.write("OUT/app.txt", "head");
  arvore.write("T/DATA/SEQPOST.DAT", std::string("\x04\x00\x00\x00", 4));
  recebe("D00001.ARJ", "C:/OUT/new.txt", "R", "new");
  recebe("D00002.ARJ", "C:/OUT/new.txt", "R", "second over the first");
  recebe("D00003.ARJ", "C:/OUT/rep.txt", "x", "replacement");
  recebe("D00004.ARJ", "C:/OUT/app.txt", "A", "+tail");
  recebe("D00005.ARJ", "C:/OUT/rep.txt", "M", "numbered");
  recebe("D00006.ARJ", "C:/OUT/rep.txt", "M", "numbered again");

  const TrayReport r = relatorio();
  const std::vector<std::vector<std::string>> esperado = {
      {"D00001.ARJ", "C:/OUT/new.txt", "new"},     {"D00002.ARJ", "C:/OUT/new.txt", "replace"},
      {"D00003.ARJ", "C:/OUT/rep.txt", "replace"}, {"D00004.ARJ", "C:/OUT/app.txt", "append"},
      {"D00005.ARJ", "C:/OUT/M00005.QVX", "numbered"},
      {"D00006.ARJ", "C:/OUT/M00006.QVX", "numbered"}};
  ASSERT_EQ(r.received.size(), esperado.size());
  for (size_t i = 0; i < esperado.size(); ++i) {
    EXPECT_EQ(r.received[i].name, esperado[i][0]);
    EXPECT_TRUE(r.received[i].deliver) << r.received[i].name << ": " << r.received[i].reason;
    EXPECT_EQ(r.received[i].destination, esperado[i][1]);
    EXPECT_EQ(r.received[i].disposition, esperado[i][2]);
  }
  EXPECT_EQ(r.counter.value, 4);
  EXPECT_FALSE(r.needsOperator());

  // The pass then does exactly that.
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("OUT/new.txt"), "second over the first");
  EXPECT_EQ(arvore.read("OUT/rep.txt"), "replacement");
  EXPECT_EQ(arvore.read("OUT/app.txt"), "head+tail");
  EXPECT_EQ(arvore.read("OUT/M00005.QVX"), "numbered");
  EXPECT_EQ(arvore.read("OUT/M00006.QVX"), "numbered again");
  EXPECT_TRUE(relatorio().received.empty());
}

TEST_F(StatusTest, CollectFirstModeTakesTheListingBackwards) {
  testing::FixedVersion sistema(true, 1, 4);
  recebe("D00001.ARJ", "C:/OUT/a.txt", "R");
  recebe("D00002.ARJ", "C:/OUT/b.txt", "R");
  recebe("D00003.ARJ", "C:/OUT/c.txt", "R");
  std::vector<std::string> listados = testing::listaRecebidos();
  std::reverse(listados.begin(), listados.end());
  const TrayReport r = relatorio();
  EXPECT_TRUE(r.collectFirst);
  std::vector<std::string> ordem;
  for (const ReceivedItem& item : r.received) ordem.push_back(item.name);
  EXPECT_EQ(ordem, listados);
}

TEST_F(StatusTest, UploadsWithTheirRecordsAndTheOddOnesOut) {
  empacotaComUmAvulso();
  arvore.write("T/OUTTRAY/WORK/F3_orfao_txt.DAT", "C:/dados/orfao.txt\r\n01/12/2026 10:00:00\r\n");
  const TrayReport r = relatorio();
  ASSERT_EQ(r.uploads.size(), 3u);
  EXPECT_EQ(r.uploads[0].archive, "F1_a_txt.ARJ");
  EXPECT_EQ(r.uploads[0].record, "F1_a_txt.DAT");
  EXPECT_EQ(r.uploads[0].source, "C:/dados/a.txt");
  EXPECT_EQ(r.uploads[0].problem, "");
  // Listing order: the archives as the host lists them, then lone records.
  bool achouSozinho = false;
  for (const UploadItem& u : r.uploads) {
    if (u.archive == "F2_sozinho_txt.ARJ") {
      achouSozinho = true;
      EXPECT_EQ(u.problem, "archive without its record");
    }
  }
  EXPECT_TRUE(achouSozinho);
  EXPECT_EQ(r.uploads[2].record, "F3_orfao_txt.DAT");
  EXPECT_EQ(r.uploads[2].problem, "record without its archive");
  EXPECT_EQ(r.uploads[2].source, "C:/dados/orfao.txt");
  EXPECT_TRUE(r.needsOperator());
}

TEST_F(StatusTest, ControlFileRecordsAndACutOffOne) {
  EXPECT_FALSE(relatorio().controlFile.present);
  const std::string registro = "#\r\nstamp\r\nD00001.ARJ\r\nC:/OUT/a.txt\r\n01/01/2026 10:00:00\r\n";
  arvore.write("T/OUTTRAY/ContDown.dat", registro + registro);
  TrayReport r = relatorio();
  EXPECT_TRUE(r.controlFile.present);
  EXPECT_EQ(r.controlFile.records, 2);
  EXPECT_TRUE(r.controlFile.lastRecordWhole);
  EXPECT_FALSE(r.needsOperator());

  arvore.write("T/OUTTRAY/ContDown.dat", registro + "#\r\nstamp\r\nD00002.A");
  r = relatorio();
  EXPECT_EQ(r.controlFile.records, 1);
  EXPECT_FALSE(r.controlFile.lastRecordWhole);
  EXPECT_TRUE(r.needsOperator());
}

TEST_F(StatusTest, CounterValue) {
  EXPECT_FALSE(relatorio().counter.present);
  arvore.write("T/DATA/SEQPOST.DAT", std::string("\x39\x30\x00\x00", 4));
  TrayReport r = relatorio();
  EXPECT_TRUE(r.counter.readable);
  EXPECT_EQ(r.counter.value, 12345);
  arvore.write("T/DATA/SEQPOST.DAT", "12");
  r = relatorio();
  EXPECT_TRUE(r.counter.present);
  EXPECT_FALSE(r.counter.readable);
}

TEST_F(StatusTest, LeftoversOfInterruptedWork) {
  recebe("D00001.ARJ", "", "R");  // stays; the pass leaves its members in the tray
  disponibilizaArquivos("C:/T");
  ASSERT_TRUE(arvore.exists("T/INTRAY/D00001.FN"));
  // What a call cut short leaves, until the next call removes it.
  arvore.write("T/DATA/TORVEX.TMP/F1_a_txt.ARJ", "half");
  arvore.write("T/DATA/TORVEX.TMP/ARJ$0.TMP", "scratch");
  arvore.write("T/INTRAY/WORK/D00005.ARJ.ENTREGA", "parked, recorded");
  arvore.write("T/INTRAY/WORK/D00006.ARJ.ENTREGA", "parked, not recorded");
  arvore.write("T/OUTTRAY/ContDown.dat",
               "#\r\ns\r\nD00005.ARJ\r\nC:/OUT/a.txt\r\n01/01/2026 10:00:00\r\n");
  arvore.write("T/INTRAY/D00009.ARQ", "member of no archive");

  const TrayReport r = relatorio();
  std::map<std::string, std::string> tipos;
  for (const Leftover& l : r.leftovers) tipos[l.path] = l.kind;
  EXPECT_EQ(tipos["C:/T/DATA/TORVEX.TMP/F1_a_txt.ARJ"], "half-made upload archive or record");
  EXPECT_EQ(tipos["C:/T/DATA/TORVEX.TMP/ARJ$0.TMP"], "scratch file of the archive library");
  EXPECT_EQ(tipos["C:/T/Intray/Work/D00005.ARJ.ENTREGA"], "archive parked during its delivery");
  EXPECT_EQ(tipos["C:/T/Intray/D00009.ARQ"], "extracted member of no waiting archive");
  EXPECT_EQ(tipos["C:/T/Intray/D00001.FN"],
            "extracted member of D00001.ARJ, which is still waiting");
  EXPECT_EQ(tipos["C:/T/Intray/D00001.ARQ"],
            "extracted member of D00001.ARJ, which is still waiting");
  // A journal whose records do not check is named as such; a torn plan
  // that never started is nothing to report.
  arvore.write("T/DATA/TORVEX.JNL", "plan");
  EXPECT_EQ(relatorio().leftovers.size(), 7u);
  arvore.write("T/DATA/TORVEX.JNL", journalDanificado());
  const TrayReport comDiario = relatorio();
  EXPECT_EQ(comDiario.leftovers.size(), 8u);
  EXPECT_TRUE(std::any_of(comDiario.leftovers.begin(), comDiario.leftovers.end(), [](const Leftover& l) {
    return l.path == "C:/T/DATA/TORVEX.JNL" && l.kind == "journal that cannot be read";
  }));
  EXPECT_EQ(r.leftovers.size(), 7u);
  for (const Leftover& l : r.leftovers) {
    if (l.path.ends_with("D00005.ARJ.ENTREGA")) {
      EXPECT_NE(l.advice.find("ContDown.dat records D00005.ARJ"), std::string::npos);
    }
    if (l.path.ends_with("D00006.ARJ.ENTREGA")) {
      EXPECT_NE(l.advice.find("no record for D00006.ARJ"), std::string::npos);
    }
  }
  EXPECT_TRUE(r.needsOperator());
}

// Names no call can reach by that very name are left alone by every call,
// so the report is where an operator learns of them.
TEST_F(StatusTest, NamesNoCallCanHandleAreListed) {
  if (testing::kWin32NameRules) GTEST_SKIP() << testing::kOddNamesNotMade;
  const char* const nomes[] = {"T/OUTTRAY/WORK/F1_a_txt.ARJ.", "T/OUTTRAY/WORK/F2_q?_txt.ARJ",
                               "T/INTRAY/WORK/D00001.ARJ ", "T/INTRAY/CON"};
  for (const char* nome : nomes) arvore.write(nome, "x");
  arvore.write("T/OUTTRAY/WORK/F3_b_txt.ARJ", "an ordinary name");

  const TrayReport r = relatorio();
  std::map<std::string, std::string> tipos;
  for (const Leftover& l : r.leftovers) tipos[l.path] = l.kind;
  const std::string tipo = "name this system cannot pass to a host exactly";
  EXPECT_EQ(tipos["C:/T/Outtray/Work/F1_a_txt.ARJ."], tipo);
  EXPECT_EQ(tipos["C:/T/Outtray/Work/F2_q?_txt.ARJ"], tipo);
  EXPECT_EQ(tipos["C:/T/Intray/Work/D00001.ARJ "], tipo);
  EXPECT_EQ(tipos["C:/T/Intray/CON"], tipo);
  EXPECT_EQ(r.leftovers.size(), 4u) << "the ordinary name is an upload, not a leftover";
  EXPECT_TRUE(r.needsOperator());
}

// What &TELVORIN reads is shown, so that an operator can compare the 32-bit
// and 64-bit hosts' view with what a site's installation wrote.
TEST_F(StatusTest, ShowsWhatTheRegistryValueReads) {
  {
    FixedRegistry registro("D:\\Telvorin");
    EXPECT_EQ(relatorio().registryDirectory, "D:\\Telvorin");
  }
  struct SemValor : ScopedPlatform {
    bool registryRead(RegistryHive, const char*, const char*, std::string&) override {
      setLastError(kErrorFileNotFound);
      return false;
    }
  } semValor;
  EXPECT_EQ(relatorio().registryDirectory, "") << "not set";
}

TEST_F(StatusTest, CleanTreeNeedsNoOperator) {
  const TrayReport r = relatorio();
  EXPECT_TRUE(r.uploads.empty());
  EXPECT_TRUE(r.received.empty());
  EXPECT_TRUE(r.leftovers.empty());
  EXPECT_FALSE(r.needsOperator());
}

// The command as a host starts it.
testing::ChildRun torvex(const std::vector<std::string>& argumentos) {
  return testing::runProgram(TORVEX_CLI, argumentos);
}

#ifndef _WIN32
// Everything the file system keeps about each entry below `raiz`, except
// the last access time, which a read may move: names, kinds, permissions,
// sizes, contents, modification and change times.
std::map<std::string, std::string> retrato(const std::filesystem::path& raiz) {
  std::map<std::string, std::string> entradas;
  for (const auto& e : std::filesystem::recursive_directory_iterator(raiz)) {
    struct stat st{};
    EXPECT_EQ(::lstat(e.path().c_str(), &st), 0);
    std::string texto = std::to_string(st.st_mode) + " " + std::to_string(st.st_size) + " " +
                        std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) +
                        " " + std::to_string(st.st_ctim.tv_sec) + "." +
                        std::to_string(st.st_ctim.tv_nsec);
    if (S_ISREG(st.st_mode)) {
      std::ifstream in(e.path(), std::ios::binary);
      texto += " " + std::string(std::istreambuf_iterator<char>(in), {});
    }
    entradas[std::filesystem::relative(e.path(), raiz).string()] = texto;
  }
  return entradas;
}
#endif

// A tree with something of every kind: waiting and odd uploads, archives
// that would be delivered and archives that would stay, a numbered message
// to draw, a cut-off control record, leftovers. The command, as text and as
// JSON, leaves every byte, name, size and time as it was.
TEST_F(StatusTest, TheCommandChangesNothingInTheTree) {
#ifdef _WIN32
  GTEST_SKIP() << testing::kNoChildOnTreeC;
#else
  empacotaComUmAvulso();
  arvore.write("T/DATA/TORVEX.TMP/F1_b_txt.DAT", "half");
  arvore.write("OUT/msg.txt", "existing");
  recebe("D00001.ARJ", "C:/OUT/new.txt", "R");
  recebe("D00002.ARJ", "C:/OUT/msg.txt", "M");
  recebe("D00003.ARJ", "C:/OUT/missing/x.txt", "R");
  arvore.write("T/INTRAY/WORK/D00004.ARJ", "not an archive");
  recebe("D00005.ARJ", "", "R");
  disponibilizaArquivos("C:/T");  // delivers 1 and 2, leaves members of 5
  recebe("D00001.ARJ", "C:/OUT/new.txt", "A");
  recebe("D00002.ARJ", "C:/OUT/msg.txt", "M");
  arvore.write("T/INTRAY/WORK/D00007.ARJ.ENTREGA", "parked");
  arvore.write("T/OUTTRAY/ContDown.dat",
               arvore.read("T/OUTTRAY/ContDown.dat") + "#\r\nstamp\r\nD0");

  const auto antes = retrato(arvore.dir());
  const testing::ChildRun texto = torvex({"status", "C:/T"});
  const testing::ChildRun json = torvex({"status", "C:\\T", "--json"});
  EXPECT_EQ(texto.exitCode, 1);
  EXPECT_EQ(json.exitCode, 1);
  EXPECT_EQ(retrato(arvore.dir()), antes);

  EXPECT_NE(texto.out.find("D00002.ARJ  deliver to C:/OUT/M00002.QVX (numbered)"), std::string::npos)
      << texto.out;
  EXPECT_NE(texto.out.find("D00003.ARJ  ** stays: destination directory missing"), std::string::npos)
      << texto.out;
  for (const char* chave : {"\"uploads\": [", "\"received\": [", "\"control_file\": {",
                            "\"counter\": {", "\"leftovers\": ["}) {
    EXPECT_NE(json.out.find(chave), std::string::npos) << chave << "\n" << json.out;
  }
  EXPECT_NE(json.out.find("{\"name\": \"D00001.ARJ\", \"action\": \"deliver\", \"destination\": "
                          "\"C:/OUT/new.txt\", \"disposition\": \"append\", \"pending_plan\": false"),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("{\"name\": \"D00004.ARJ\", \"action\": \"stay\", \"reason\": "
                          "\"not an archive\""),
            std::string::npos)
      << json.out;
#endif
}

// On drive D:, which leaves C: to the system: under Wine a program started
// finds its system DLLs there.
TEST(StatusCommand, ExitStatus) {
  testing::TempTree arvore('D');
  testing::criaBandejas(arvore);
  testing::ChildRun saida = torvex({"status", "D:/T"});
  EXPECT_EQ(saida.exitCode, 0);
  EXPECT_NE(saida.out.find("Nothing is stuck or left over."), std::string::npos) << saida.out;
  saida = torvex({"status", "D:/T", "--json"});
  EXPECT_EQ(saida.exitCode, 0);
  EXPECT_EQ(saida.out.front(), '{');
  for (const std::vector<std::string>& errado :
       {std::vector<std::string>{"status"}, {"status", "D:/T", "--xml"}, {"status", "D:/T", "D:/U"},
        {"status", "--json", "--json", "D:/T"}}) {
    saida = torvex(errado);
    EXPECT_EQ(saida.exitCode, 2) << errado.back();
    EXPECT_EQ(saida.out, "") << errado.back();
    EXPECT_NE(saida.err, "") << errado.back();
  }
  // Leftovers that the next call removes need no operator.
  arvore.write("T/DATA/TORVEX.TMP/F1_x.ARJ", "half");
  arvore.write("T/DATA/TORVEX.JNL", "a plan");
  saida = torvex({"status", "D:/T"});
  EXPECT_EQ(saida.exitCode, 0);
  EXPECT_NE(saida.out.find("Nothing needs an operator"), std::string::npos) << saida.out;
  // A member whose archive is gone may be the only copy of a delivery.
  arvore.write("T/INTRAY/D00009.ARQ", "member of no archive");
  saida = torvex({"status", "D:/T"});
  EXPECT_EQ(saida.exitCode, 1);
  EXPECT_NE(saida.out.find("1 item needs an operator"), std::string::npos) << saida.out;
  EXPECT_NE(saida.out.find("** D:/T/Intray/D00009.ARQ"), std::string::npos) << saida.out;
  // A root that is not there is not a tree where nothing is stuck.
  for (const char* raiz : {"D:/nowhere", "D:/T/INTRAY/D00009.ARQ"}) {
    saida = torvex({"status", raiz});
    EXPECT_EQ(saida.exitCode, 1) << raiz;
    EXPECT_EQ(saida.out, "") << raiz;
    EXPECT_NE(saida.err.find("no such root"), std::string::npos) << raiz << ": " << saida.err;
  }
}

TEST(StatusCommand, WarnsWhenEveryUserMayWriteTheIncomingWorkArea) {
#ifdef _WIN32
  GTEST_SKIP() << "the test opens the folder to every user by its POSIX mode; the Win32 back end "
                  "reads the folder's DACL, which windows/test/platform_check.cc covers";
#else
  testing::TempTree arvore;
  testing::criaBandejas(arvore);
  const std::string work = arvore.path("T/INTRAY/WORK").string();
  const std::string aviso = "Warning: every local user may write to C:/T/Intray/Work";
  const std::string campo = "\"incoming_work_writable_by_everyone\": ";
  struct Caso {
    mode_t modo;
    bool avisa;
    const char* valor;
  };
  for (const Caso& c : {Caso{0755, false, "false"}, Caso{0777, true, "true"},
                        Caso{01777, true, "true"}, Caso{0775, false, "false"}}) {
    ASSERT_EQ(::chmod(work.c_str(), c.modo), 0);
    const testing::ChildRun texto = torvex({"status", "C:/T"});
    EXPECT_EQ(texto.exitCode, 0) << "a warning, not an item for an operator";
    EXPECT_EQ(texto.out.find(aviso) != std::string::npos, c.avisa) << std::oct << c.modo << texto.out;
    const testing::ChildRun json = torvex({"status", "C:/T", "--json"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_NE(json.out.find(campo + c.valor + ","), std::string::npos) << std::oct << c.modo << json.out;
  }
  std::filesystem::remove_all(work);
  const testing::ChildRun json = torvex({"status", "C:/T", "--json"});
  EXPECT_NE(json.out.find(campo + "null,"), std::string::npos) << "unknown, not false\n" << json.out;
#endif
}

TEST(ReadOnlyPlatform, RefusesEveryChange) {
  testing::TempTree arvore;
  arvore.write("a.txt", "a");
  ReadOnlyPlatform somenteLeitura;
  EXPECT_EQ(platform().openFile("C:/a.txt", OpenMode::Write), nullptr);
  EXPECT_EQ(platform().openFile("C:/b.txt", OpenMode::Append), nullptr);
  EXPECT_EQ(platform().openFile("C:/a.txt", OpenMode::ReadWrite), nullptr);
  EXPECT_FALSE(platform().deleteFile("C:/a.txt"));
  EXPECT_FALSE(platform().moveFile("C:/a.txt", "C:/b.txt"));
  EXPECT_FALSE(platform().replaceFile("C:/a.txt", "C:/b.txt"));
  EXPECT_FALSE(platform().createDirectory("C:/d"));
  EXPECT_EQ(somenteLeitura.refused(), 7);
  FileHandle* f = platform().openFile("C:/a.txt", OpenMode::Read);
  ASSERT_NE(f, nullptr);
  platform().closeFile(f);
  EXPECT_EQ(arvore.read("a.txt"), "a");
  EXPECT_FALSE(arvore.exists("b.txt"));
}

}  // namespace
}  // namespace torvex::cli
