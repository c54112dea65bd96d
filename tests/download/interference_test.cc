// A pass killed at each of its operations, then one thing done by someone
// else before the next pass, as happens where the tree lives: the host takes
// the control file, an operator deletes or moves one of the tree's files,
// another program appends to a destination. Then two passes. Nothing may be
// lost or delivered twice, no record may stand without its payload in place,
// nobody else's bytes may go, and nothing of ours may be left behind. The
// destinations are beside the tree, or on another volume.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "download/disponibiliza_arquivos.h"
#include "journal/tray_session.h"
#include "tests/download/casos_entrega.h"
#include "tests/download/received_archives.h"
#include "tests/support/environment.h"
#include "tests/support/power_cut_platform.h"
#include "tests/support/sweep_stride.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;

using testing::CasoEntrega;
using testing::casosEntrega;

constexpr const char* kAnterior = "#\r\nearlier\r\nD09999.ARJ\r\nC:/OUT/OLD.TXT\r\n01/01/2026 10:00:00\r\n";
constexpr const char* kAlheio = "<log line 42>";

struct Contagem {
  long pontos = 0, perdidos = 0, duplos = 0, falsos = 0, alheios = 0, restos = 0;
};

struct Acao {
  std::string nome;
  std::function<void()> faz;
  std::string retirado;  // an archive the operator took away: its payload may never come
  std::string movido;    // a file now the operator's
};

size_t ocorrencias(const std::string& texto, const std::string& parte) {
  size_t n = 0;
  for (size_t pos = texto.find(parte); pos != std::string::npos; pos = texto.find(parte, pos + 1)) ++n;
  return n;
}

// Whole five-line records of an archive in one control file. A record a
// cut tore off at the end of a file the host then took is no record: the
// host cannot read it, and the next call writes it whole.
size_t registros(const std::string& controle, const std::string& arquivo) {
  const std::string nome = std::regex_replace(arquivo, std::regex(R"(\.)"), R"(\.)");
  const std::regex inteiro(R"(#\r\n[^\r\n]*\r\n)" + nome +
                           R"(\r\n[^\r\n]*\r\n\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\r\n)");
  return static_cast<size_t>(std::distance(
      std::sregex_iterator(controle.begin(), controle.end(), inteiro), std::sregex_iterator()));
}

class Interferencia : public ::testing::TestWithParam<bool> {
 protected:
  Interferencia() {
    testing::setVariable("TORVEX_WINVER", "2.5");
    limites_ = batchLimits();
    batchLimits().files = 3;
  }
  ~Interferencia() override {
    batchLimits() = limites_;
    testing::setVariable("TORVEX_WINVER", nullptr);
  }

  void arranja() {
    bandeja.arranja();
    arvore.write("T/OUTTRAY/ContDown.dat", kAnterior);
    lidos_.clear();
  }

  // The files a cut pass may have left in the tree, each a candidate for
  // the operator's hand; the tree's own machinery in DATA is not.
  std::vector<std::string> arquivosDaArvore() const {
    std::vector<std::string> nomes;
    for (const char* d : {"T/INTRAY", "T/INTRAY/WORK"}) {
      for (const auto& e : fs::directory_iterator(arvore.path(d))) {
        if (e.is_regular_file()) nomes.push_back(std::string(d) + "/" + e.path().filename().string());
      }
    }
    return nomes;
  }

  std::vector<Acao> acoes() {
    std::vector<Acao> a;
    a.push_back({"nothing", [] {}, {}, {}});
    a.push_back({"the host takes ContDown.dat", [this] {
                   lidos_ += arvore.read("T/OUTTRAY/ContDown.dat");
                   fs::remove(arvore.path("T/OUTTRAY/ContDown.dat"));
                 }, {}, {}});
    a.push_back({"a program appends to OUT/APP.TXT", [this] {
                   if (saida().exists("OUT/APP.TXT")) {
                     saida().write("OUT/APP.TXT", saida().read("OUT/APP.TXT") + kAlheio);
                   }
                 }, {}, {}});
    for (const std::string& f : arquivosDaArvore()) {
      const std::string nome = fs::path(f).filename().string();
      const std::string arquivo = nome.substr(0, 6) + ".ARJ";
      const bool ehArquivo = f.starts_with("T/INTRAY/WORK/");
      a.push_back({"delete " + f, [this, f] { fs::remove(arvore.path(f)); },
                   ehArquivo ? arquivo : std::string(), {}});
      a.push_back({"move " + f, [this, f] { fs::rename(arvore.path(f), arvore.path("MOVED")); },
                   ehArquivo ? arquivo : std::string(), "MOVED"});
    }
    return a;
  }

  void confere(const Acao& acao, Contagem& total) {
    ++total.pontos;
    const std::string controle = lidos_ + arvore.read("T/OUTTRAY/ContDown.dat");
    for (const CasoEntrega& c : casosEntrega()) {
      // Payloads in place, counted in every file they may be in.
      size_t e = 0;
      for (const auto& f : fs::directory_iterator(saida().path("OUT"))) {
        e += ocorrencias(saida().read("OUT/" + f.path().filename().string()), c.dados);
      }
      if (c.antes) e -= ocorrencias(c.antes, c.dados);
      // Records the host took count with those it has still to take: a
      // pass cut between its records' sync and its journal's mark, then the
      // host taking the file, must not give it them again.
      const size_t r = registros(lidos_, c.arquivo) +
                       registros(arvore.read("T/OUTTRAY/ContDown.dat"), c.arquivo);
      const bool espera = arvore.exists(std::string("T/INTRAY/WORK/") + c.arquivo);
      const bool retirado = acao.retirado == c.arquivo;
      const bool perdido = e == 0 && !espera && !retirado;
      total.perdidos += perdido;
      total.duplos += e > 1 || r > 1;
      total.falsos += r > e;
      EXPECT_FALSE(perdido) << c.arquivo;
      EXPECT_LE(e, 1u) << c.arquivo;
      EXPECT_EQ(r, e) << c.arquivo;
      EXPECT_FALSE(espera && !retirado) << c.arquivo << " still waits after two passes";
    }
    // Nobody else's bytes: the earlier record, another program's line.
    const bool alheios = controle.starts_with(kAnterior) &&
                         (acao.nome != "a program appends to OUT/APP.TXT" ||
                          !saida().exists("OUT/APP.TXT") ||
                          saida().read("OUT/APP.TXT").find(kAlheio) != std::string::npos);
    total.alheios += !alheios;
    EXPECT_TRUE(alheios) << controle << "\n" << saida().read("OUT/APP.TXT");
    int restos = !arvore.read("T/DATA/TORVEX.JNL").empty();
    for (const std::string& f : arquivosDaArvore()) {
      // Members extracted before any plan named them stay with an archive
      // the operator took away: nothing says they are ours to remove.
      const bool doRetirado = !acao.retirado.empty() && f.starts_with("T/INTRAY/") &&
                              fs::path(f).stem() == fs::path(acao.retirado).stem();
      restos += !doRetirado && (!f.starts_with("T/INTRAY/WORK/D0") || !f.ends_with(".ARJ"));
    }
    // Beside the destinations: only themselves and numbered messages.
    for (const auto& f : fs::directory_iterator(saida().path("OUT"))) {
      restos += f.path().extension() != ".TXT" && f.path().extension() != ".QVX";
    }
    if (fs::exists(arvore.path("T/DATA/TORVEX.TMP"))) {
      restos += static_cast<int>(std::distance(fs::directory_iterator(arvore.path("T/DATA/TORVEX.TMP")),
                                               fs::directory_iterator()));
    }
    total.restos += restos;
    EXPECT_EQ(restos, 0);
  }

  // Where the destinations are: beside the tree, or on another volume.
  const testing::TempTree& saida() const { return GetParam() ? outro : arvore; }

  testing::TempTree arvore;
  testing::TempTree outro{'D'};
  testing::BandejaComCasos bandeja{arvore, saida()};
  BatchLimits limites_;
  std::string lidos_;  // records the host read before it took the file
};

TEST_P(Interferencia, EveryCutOfAPassThenOneOutsideActionThenTwoPasses) {
  Contagem total;
  {
    testing::PowerCutPlatform energia(arvore.dir(), {outro.dir()});
    arranja();
    energia.cut(testing::Survivor::Everything);
    energia.stopAt(0);
    ASSERT_EQ(disponibilizaArquivos("C:/T"), 0);
    const long operacoes = energia.count();
    ASSERT_GT(operacoes, 20);
    for (long n = testing::firstCut(operacoes); n <= operacoes; n += testing::sweepStride()) {
      for (testing::Survivor s : {testing::Survivor::Everything, testing::Survivor::Torn}) {
        // The actions depend on what the cut left: listed again each time.
        for (size_t k = 0;; ++k) {
          arranja();
          energia.cut(testing::Survivor::Everything);
          energia.stopAt(n);
          disponibilizaArquivos("C:/T");
          energia.cut(s);
          std::vector<Acao> lista = acoes();
          // A torn write with the first actions only: the rest is the same walk.
          if (k >= lista.size() || (s == testing::Survivor::Torn && k >= 3)) break;
          const Acao& acao = lista[k];
          SCOPED_TRACE("operation " + std::to_string(n) + ", " + testing::survivorName(s) + ", " +
                       acao.nome);
          acao.faz();
          disponibilizaArquivos("C:/T");
          disponibilizaArquivos("C:/T");
          confere(acao, total);
          if (HasFailure()) break;
        }
        if (HasFailure()) break;
      }
      if (HasFailure()) break;
    }
  }
  std::printf("download interference%s: %ld points, lost %ld, twice %ld, false records %ld, "
              "others' bytes destroyed %ld, leftovers %ld\n",
              GetParam() ? " (destinations on another volume)" : "", total.pontos, total.perdidos,
              total.duplos, total.falsos, total.alheios, total.restos);
}

INSTANTIATE_TEST_SUITE_P(Volumes, Interferencia, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& i) {
                           return i.param ? "OtherVolume" : "SameVolume";
                         });

}  // namespace
}  // namespace torvex
