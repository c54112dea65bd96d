// What recovery does where the world moved after a crash, and what a call
// does when it cannot read what it must state: each case once lost or
// doubled a delivery.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "component/controlador.h"
#include "download/disponibiliza_arquivos.h"
#include "journal/journal_file.h"
#include "tests/download/received_archives.h"
#include "tests/support/bstr_text.h"
#include "tests/support/environment.h"
#include "tests/support/power_cut_platform.h"
#include "platform/scoped_platform.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;

using testing::arquivosRegistrados;

// Runs `quando` before the first operation that matches, then forwards.
class Hook : public ScopedPlatform {
 public:
  std::function<bool(std::string_view op, std::string_view path)> casa;
  std::function<void()> quando;
  bool falhaLeitura = false;  // the matching open fails instead

  FileHandle* openFile(const char* p, OpenMode m) override {
    if (dispara(m == OpenMode::Read ? "read" : "write", p) && falhaLeitura) return nullptr;
    return ForwardingPlatform::openFile(p, m);
  }
  bool moveFile(const char* a, const char* b) override {
    dispara("move", a);
    return ForwardingPlatform::moveFile(a, b);
  }
  bool replaceFile(const char* a, const char* b) override {
    dispara("move", a);
    return ForwardingPlatform::replaceFile(a, b);
  }

 private:
  bool dispara(std::string_view op, std::string_view p) {
    if (feito_ || !casa || !casa(op, p)) return false;
    feito_ = true;
    if (quando) quando();
    return true;
  }
  bool feito_ = false;
};

class UnreadableControlFile : public ScopedPlatform {
 public:
  FileHandle* openFile(const char* p, OpenMode m) override {
    if (m == OpenMode::Read && std::string_view(p).ends_with("ContDown.dat")) return nullptr;
    return ForwardingPlatform::openFile(p, m);
  }
};

// The host reads ContDown.dat through a handle that shares reading only,
// as an editor keeps a document: Windows refuses every open that would
// write it, with a sharing violation.
class ControlFileHeldForReading : public ScopedPlatform {
 public:
  FileHandle* openFile(const char* p, OpenMode m) override {
    if (m != OpenMode::Read && std::string_view(p).ends_with("ContDown.dat")) {
      setLastError(kErrorSharingViolation);
      return nullptr;
    }
    return ForwardingPlatform::openFile(p, m);
  }
};

class Recuperacao : public ::testing::Test {
 protected:
  Recuperacao() {
    testing::setVariable("TORVEX_WINVER", "2.5");
    testing::criaBandejas(arvore);
    arvore.mkdir("OUT");
    arvore.write("OUT/APP.TXT", "head+");
    testing::criaRecebido(arvore, "D00001.ARJ", testing::descritor("C:/OUT/A.TXT", "s", "M"), "one");
    testing::criaRecebido(arvore, "D00002.ARJ", testing::descritor("C:/OUT/APP.TXT", "s", "A"), "two");
    arvore.write("T/OUTTRAY/ContDown.dat", kAnterior);
  }
  ~Recuperacao() override {
    testing::setVariable("TORVEX_WINVER", nullptr);
  }
  bool aguardando(const char* nome) const { return arvore.exists(std::string("T/INTRAY/WORK/") + nome); }
  std::string controle() const { return arvore.read("T/OUTTRAY/ContDown.dat"); }

  // A pass killed once its plan is in the journal, before any step ran.
  void passeInterrompidoAposOPlano() {
    testing::PowerCutPlatform energia(arvore.dir());
    for (long n = 1;; ++n) {
      energia.stopAt(n);
      disponibilizaArquivos("C:/T");
      Plan p;
      if (readJournal("C:/T", p) == JournalState::Plan) {
        energia.cut(testing::Survivor::Everything);
        return;
      }
      ASSERT_LT(n, 200);
      energia.cut(testing::Survivor::Everything);  // nothing planned yet: members are extracted again
    }
  }

  static constexpr const char* kAnterior =
      "#\r\nearlier\r\nD09999.ARJ\r\nC:/OUT/OLD.TXT\r\n01/01/2026 10:00:00\r\n";
  testing::TempTree arvore;
};

// The operator deletes the extracted data files of an interrupted pass: the
// next pass does not take them for delivered. Their archives go back and are
// extracted again, and every record names a payload that is in place.
TEST_F(Recuperacao, AMissingDataFileIsNotTakenForDelivered) {
  passeInterrompidoAposOPlano();
  fs::remove(arvore.path("T/INTRAY/D00001.ARQ"));
  fs::remove(arvore.path("T/INTRAY/D00002.ARQ"));
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("OUT/A.TXT"), "one");
  EXPECT_EQ(arvore.read("OUT/APP.TXT"), "head+two");
  EXPECT_EQ(arquivosRegistrados(arvore),
            (std::vector<std::string>{"D09999.ARJ", "D00001.ARJ", "D00002.ARJ"}));
  EXPECT_FALSE(aguardando("D00001.ARJ"));
}

// The control file cannot be read while a batch is planned: nothing is
// planned, nothing written, and earlier records stay; the next pass delivers.
TEST_F(Recuperacao, AnUnreadableControlFileIsNeverTakenForEmpty) {
  {
    UnreadableControlFile ilegivel;
    disponibilizaArquivos("C:/T");
  }
  EXPECT_EQ(controle(), kAnterior);
  EXPECT_TRUE(aguardando("D00001.ARJ"));
  EXPECT_TRUE(aguardando("D00002.ARJ"));
  EXPECT_EQ(arvore.read("OUT/APP.TXT"), "head+");
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arquivosRegistrados(arvore),
            (std::vector<std::string>{"D09999.ARJ", "D00001.ARJ", "D00002.ARJ"}));
}

// A journal that cannot be read is not "no plan": the call returns its
// failure value and changes nothing, the plan stays for an operator.
TEST_F(Recuperacao, AJournalThatCannotBeReadChangesNothing) {
  passeInterrompidoAposOPlano();
  const std::string diario = arvore.read("T/DATA/TORVEX.JNL");
  {
    Hook h;
    h.casa = [](std::string_view op, std::string_view p) {
      return op == "write" && p.ends_with("TORVEX.JNL");
    };
    h.falhaLeitura = true;  // the journal cannot be opened
    EXPECT_EQ(disponibilizaArquivos("C:/T"), 1);
  }
  EXPECT_EQ(arvore.read("T/DATA/TORVEX.JNL"), diario);
  EXPECT_EQ(controle(), kAnterior);
  EXPECT_EQ(arvore.read("OUT/APP.TXT"), "head+");
  EXPECT_FALSE(arvore.exists("OUT/A.TXT"));
  // Readable again, the plan is finished, and counts as this call's work.
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("OUT/A.TXT"), "one");
  EXPECT_EQ(arvore.read("OUT/APP.TXT"), "head+two");
}

// Deliveries finished for an interrupted pass are the next call's: it
// returns 0 though no archive waits any more.
TEST_F(Recuperacao, DeliveriesFinishedForAnInterruptedPassCount) {
  passeInterrompidoAposOPlano();
  fs::remove(arvore.path("T/INTRAY/WORK/D00001.ARJ.ENTREGA"));  // reserved by the plan
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_NE(controle().find("D00002.ARJ"), std::string::npos);
}

// The host takes ContDown.dat while the pass places its files: the records
// go into the new file, once, and the result says so.
TEST_F(Recuperacao, TheHostTakingTheControlFileMidPassLosesNoRecord) {
#ifdef _WIN32
  GTEST_SKIP() << "on Windows the pass holds ContDown.dat without delete sharing while it "
                  "places files: the host cannot take it then "
                  "(TheHostCannotDeleteTheControlFileWhileAPassHoldsIt)";
#endif
  Hook h;
  h.casa = [](std::string_view op, std::string_view p) { return op == "move" && p.ends_with(".ARQ"); };
  h.quando = [this] { fs::remove(arvore.path("T/OUTTRAY/ContDown.dat")); };
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arquivosRegistrados(arvore), (std::vector<std::string>{"D00001.ARJ", "D00002.ARJ"}));
}

// The host holds ContDown.dat so that it cannot be written during a pass:
// nothing is delivered whose record could not be written (the archives
// wait, the earlier records stay, no plan is left), and once the host lets
// go the next pass delivers each archive once, with its record.
TEST_F(Recuperacao, AControlFileThatCannotBeWrittenDeliversNothing) {
  {
    ControlFileHeldForReading host;
    EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);  // it exists, with every record made
  }
  EXPECT_EQ(controle(), kAnterior);
  EXPECT_TRUE(aguardando("D00001.ARJ"));
  EXPECT_TRUE(aguardando("D00002.ARJ"));
  EXPECT_FALSE(arvore.exists("OUT/A.TXT"));
  EXPECT_EQ(arvore.read("OUT/APP.TXT"), "head+");
  Plan p;
  EXPECT_EQ(readJournal("C:/T", p), JournalState::None);
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("OUT/A.TXT"), "one");
  EXPECT_EQ(arvore.read("OUT/APP.TXT"), "head+two");
  EXPECT_EQ(arquivosRegistrados(arvore),
            (std::vector<std::string>{"D09999.ARJ", "D00001.ARJ", "D00002.ARJ"}));
}

// The host's deletaArquivo. On Windows a file open without delete sharing
// cannot be deleted, whoever asks: the call is made in this process. The
// POSIX layer keeps that across processes only, for files open for
// reading, and the pass holds the control file so: there the call is the
// torvex command's, in a process of its own.
std::string deletaComoOHost(const char* caminho) {
#ifdef _WIN32
  const std::string_view texto = caminho;
  const LONG r = Controlador::deletaArquivo(
      testing::bstr(std::u16string(texto.begin(), texto.end())).get());
  return std::to_string(r) + "\n";
#else
  const std::string comando = std::string(TORVEX_CLI) + " deletaArquivo '" + caminho + "'";
  FILE* saida = ::popen(comando.c_str(), "r");
  if (!saida) return "<no process>";
  char linha[64] = "";
  if (!std::fgets(linha, sizeof linha, saida)) linha[0] = '\0';
  ::pclose(saida);
  return linha;
#endif
}

// The host calls deletaArquivo on ContDown.dat while a pass delivers: the
// delete fails (-1) and every record stays for the host.
TEST_F(Recuperacao, TheHostCannotDeleteTheControlFileWhileAPassHoldsIt) {
  std::string resposta;
  Hook h;
  h.casa = [](std::string_view op, std::string_view p) { return op == "move" && p.ends_with(".ARQ"); };
  h.quando = [&] { resposta = deletaComoOHost("C:/T/OUTTRAY/ContDown.dat"); };
  EXPECT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(resposta, "-1\n");
  EXPECT_EQ(arquivosRegistrados(arvore),
            (std::vector<std::string>{"D09999.ARJ", "D00001.ARJ", "D00002.ARJ"}));
  // Between passes the host takes it as before.
  EXPECT_EQ(deletaComoOHost("C:/T/OUTTRAY/ContDown.dat"), "0\n");
}

// Another program appends to a destination after a pass was cut in the
// middle of its append: recovery neither cuts its bytes nor appends twice.
TEST_F(Recuperacao, AnotherProgramsBytesAfterAnInterruptedAppendStay) {
  passeInterrompidoAposOPlano();
  // The append had happened; then a shared log got a line.
  arvore.write("OUT/APP.TXT", "head+two<log line>");
  fs::remove(arvore.path("T/INTRAY/D00002.ARQ"));
  disponibilizaArquivos("C:/T");
  EXPECT_EQ(arvore.read("OUT/APP.TXT"), "head+two<log line>");
  EXPECT_EQ(arquivosRegistrados(arvore),
            (std::vector<std::string>{"D09999.ARJ", "D00001.ARJ", "D00002.ARJ"}));
}

}  // namespace
}  // namespace torvex
