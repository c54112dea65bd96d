// Cuts the power at every operation of an upload call that changes the disk,
// brings the tree back in each state a disk could be left in, and checks
// that a call with another number finishes the work: every source packed
// exactly once with a whole record and taken away once, nothing left over.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>
#include <map>
#include <span>
#include <regex>
#include <string>

#include "component/controlador.h"
#include "journal/tray_session.h"
#include "tests/support/bstr_text.h"
#include "tests/support/power_cut_platform.h"
#include "tests/support/sweep_stride.h"
#include "tests/upload/upload_fixture.h"

namespace torvex::testing {
namespace {

namespace fs = std::filesystem;

class CorteDeEnergiaUpload : public UploadTest {
 protected:
  void SetUp() override {
    UploadTest::SetUp();
    limites_ = batchLimits();
    batchLimits().files = 2;  // a full batch and a partial one
    arvore().mkdir("enviados");
  }
  void TearDown() override {
    batchLimits() = limites_;
    UploadTest::TearDown();
  }

  // Three sources, one of which was packed under the same number before.
  void arranja() {
    for (const char* d : {"T", "dados", "extraido"}) fs::remove_all(arvore().path(d));
    for (const char* d : {kTrabalho, "T/DATA", "dados"}) arvore().mkdir(d);
    // The rename target's folder stands, durably, from before the sweep.
    for (const auto& e : fs::directory_iterator(enviados().path("enviados"))) fs::remove_all(e.path());
    escreve("dados/b.txt", "versao anterior");
    ASSERT_EQ(gera("C:/dados/b.txt"), 0);
    for (const auto& [nome, conteudo] : fontes_) escreve("dados/" + nome, conteudo);
  }

  struct Contagem {
    long pontos = 0, perdidos = 0, duplos = 0, rasgados = 0, restos = 0;
  };

  // Source name -> archives holding its content; counts what is torn and
  // what a call may leave only while it runs.
  std::map<std::string, int> empacotados(Contagem& total, int& restos) {
    static const std::regex kRegistro(
        "C:/dados/([^\r\n]+)\r\n\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d\r\n");
    std::map<std::string, int> empacotados;
    restos = !arvore().read("T/DATA/TORVEX.JNL").empty();
    for (const std::string& nome : trabalho()) {
      if (!ignorado_.empty() && nome.starts_with(ignorado_)) continue;
      if (!nome.ends_with(".ARJ")) {
        const bool registro = nome.ends_with(".DAT");
        restos += !registro;
        if (registro && !arvore().exists(std::string(kTrabalho) + "/" + nome.substr(0, nome.size() - 3) + "ARJ")) {
          ++total.rasgados;
          ADD_FAILURE() << nome << " without its archive";
        }
        continue;
      }
      std::smatch m;
      const std::string registro =
          arvore().read(std::string(kTrabalho) + "/" + nome.substr(0, nome.size() - 3) + "DAT");
      if (!std::regex_match(registro, m, kRegistro)) {
        ++total.rasgados;
        ADD_FAILURE() << nome << " without a whole record: " << registro;
        continue;
      }
      auto fonte = fontes_.find(m[1]);
      const std::string conteudo = conteudoArquivado(nome);
      if (fonte != fontes_.end() && conteudo == fonte->second) {
        ++empacotados[fonte->first];
      } else if (m[1] == "c.dat" && conteudo == "c, nova") {
        ++empacotados["c.dat (new)"];
      } else if (!(m[1] == "b.txt" && conteudo == "versao anterior")) {
        ++total.rasgados;
        ADD_FAILURE() << nome << " holds " << conteudo;
      }
    }
    return empacotados;
  }

  void verifica(const char* renomeia, Contagem& total) {
    int restos = 0;
    auto empacotados = this->empacotados(total, restos);
    for (const auto& [nome, conteudo] : fontes_) {
      const int n = empacotados[nome];
      total.perdidos += n == 0;
      total.duplos += n > 1;
      EXPECT_EQ(n, 1) << nome;
      EXPECT_FALSE(arvore().exists("dados/" + nome)) << nome;
      if (*renomeia) {
        std::string movido = nome;
        for (char& c : movido) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        movido = "enviados/" + movido.substr(0, movido.find('.')) + ".old";
        EXPECT_EQ(enviados().read(movido), conteudo) << nome;
        total.perdidos += enviados().read(movido) != conteudo;
      }
    }
    // Beside the moved sources nothing of ours stays.
    for (const auto& e : fs::directory_iterator(enviados().path("enviados"))) {
      restos += e.path().extension() != ".old";
    }
    total.restos += restos;
    EXPECT_EQ(restos, 0) << ::testing::PrintToString(trabalho());
  }

  // Cuts the power at every operation of a call, in each way of
  // `sobreviventes`, and runs `depois` on the tree as the cut left it.
  template <class Depois>
  void emCadaCorte(const char* renomeia, PowerCutPlatform& energia,
                   std::span<const Survivor> sobreviventes, Depois depois) {
    arranja();
    energia.cut(Survivor::Everything);
    energia.stopAt(0);
    ASSERT_EQ(gera("C:/dados/*", renomeia), 0);
    const long operacoes = energia.count();
    ASSERT_GT(operacoes, 20);
    for (long n = firstCut(operacoes); n <= operacoes; n += sweepStride()) {
      for (Survivor s : sobreviventes) {
        arranja();
        energia.cut(Survivor::Everything);
        energia.stopAt(n);
        gera("C:/dados/*", renomeia);
        energia.cut(s);
        SCOPED_TRACE("operation " + std::to_string(n) + ", " + survivorName(s));
        depois();
        if (HasFailure()) return;
      }
    }
  }

  void varre(const char* renomeia, PowerCutPlatform& energia, Contagem& total) {
    emCadaCorte(renomeia, energia, kSurvivors, [&] {
      EXPECT_EQ(gera("C:/dados/*", renomeia, 2), 0);
      ++total.pontos;
      verifica(renomeia, total);
    });
  }

  const std::map<std::string, std::string> fontes_{
      {"ARQ01.TXT", std::string(3000, 'a') + "fim"},
      {"b.txt", "versao nova"},
      {"c.dat", "c"},
  };
  // The tree of the rename target's folder: the tray's, or another volume.
  const TempTree& enviados() const { return enviados_ ? *enviados_ : arvore(); }

  BatchLimits limites_;
  std::string ignorado_;  // the pair, by its stem, of a file someone else took
  const TempTree* enviados_ = nullptr;
};

// The sources deleted, moved beside the tree, or moved to a second volume,
// where no rename reaches and each volume is made durable by its own syncs.
TEST_F(CorteDeEnergiaUpload, EveryOperationOfACallRerunWithAnotherNumber) {
  const TempTree outro('D');
  struct Retirada {
    const char* renomeia;
    const TempTree* enviados;
    const char* nome;
  };
  const Retirada retiradas[] = {{"", nullptr, "deleted"},
                                {"C:/enviados/*.old", nullptr, "moved"},
                                {"D:/enviados/*.old", &outro, "moved to another volume"}};
  outro.mkdir("enviados");
  for (const Retirada& r : retiradas) {
    enviados_ = r.enviados;
    for (SyncModel modelo : kSyncModelsHere) {
      Contagem total;
      {
        PowerCutPlatform energia(arvore().dir(), {outro.dir()});
        energia.model(modelo);
        varre(r.renomeia, energia, total);
      }
      std::printf("upload power cuts (%s, %s): %ld points, lost %ld, twice %ld, torn %ld, orphans %ld\n",
                  r.nome, syncModelName(modelo), total.pontos, total.perdidos, total.duplos,
                  total.rasgados, total.restos);
      if (HasFailure()) break;
    }
    if (HasFailure()) break;
  }
  enviados_ = nullptr;
}

// The host may list the archives after a crash before it packs again: the
// listing first finishes what the crashed call planned, so what it lists
// stands, every source packed once is gone, and the rest wait in place.
TEST_F(CorteDeEnergiaUpload, TheListingFinishesAnInterruptedCall) {
  PowerCutPlatform energia(arvore().dir());
  const Survivor sobreviventes[] = {Survivor::Everything, Survivor::Synced};
  Contagem total;
  emCadaCorte("", energia, sobreviventes, [&] {
    Bstr primeiro(Controlador::recuperaArquivoUpload(bstr(u"C:/T").get(), 1));
    EXPECT_TRUE(primeiro);
    ++total.pontos;
    int restos = 0;
    auto empacotados = this->empacotados(total, restos);
    total.restos += restos;
    EXPECT_EQ(restos, 0) << ::testing::PrintToString(trabalho());
    for (const auto& [nome, conteudo] : fontes_) {
      const bool espera = arvore().exists("dados/" + nome);
      total.perdidos += !espera && empacotados[nome] == 0;
      total.duplos += empacotados[nome] > (espera ? 0 : 1);
      EXPECT_EQ(empacotados[nome], espera ? 0 : 1) << nome;
    }
  });
  std::printf("upload listing after power cuts: %ld points, lost %ld, twice %ld, torn %ld, "
              "orphans %ld\n",
              total.pontos, total.perdidos, total.duplos, total.rasgados, total.restos);
}

// Refuses to delete or move the sources, as Windows does while another
// program holds them open.
class SourcesHeldOpen : public ScopedPlatform {
 public:
  bool deleteFile(const char* p) override {
    return !std::string_view(p).starts_with("C:/dados/") && ForwardingPlatform::deleteFile(p);
  }
  bool moveFile(const char* a, const char* b) override {
    return !std::string_view(a).starts_with("C:/dados/") && ForwardingPlatform::moveFile(a, b);
  }
};

// A call killed at each of its operations (or its writes torn by a power
// cut), then one thing done by someone else, then the next calls: any one
// file of the tree deleted or moved, a source replaced, the sources held
// open by another program. Each source's bytes are packed once, never
// twice, no record stands without its archive, nothing of ours is left.
TEST_F(CorteDeEnergiaUpload, EveryCutThenOneOutsideActionThenTheNextCalls) {
  struct Acao {
    std::string nome;
    std::function<void()> faz;
    std::string tirado;  // a published file the host or operator took: its source is theirs
  };
  auto acoes = [this] {
    std::vector<Acao> a;
    a.push_back({"nothing", [] {}, {}});
    a.push_back({"c.dat replaced", [this] { escreve("dados/c.dat", "c, nova", 1796500000); }, {}});
    a.push_back({"sources held open", [] {}, {}});
    for (const char* d : {kTrabalho, "T/DATA/TORVEX.TMP"}) {
      if (!fs::exists(arvore().path(d))) continue;
      for (const auto& e : fs::directory_iterator(arvore().path(d))) {
        const std::string f = std::string(d) + "/" + e.path().filename().string();
        const std::string tirado = std::string(d) == kTrabalho ? f : std::string();
        a.push_back({"delete " + f, [this, f] { fs::remove(arvore().path(f)); }, tirado});
        a.push_back({"move " + f, [this, f] { fs::rename(arvore().path(f), arvore().path("MOVED")); },
                     tirado});
      }
    }
    return a;
  };
  Contagem total;
  long alheios = 0;
  {
    PowerCutPlatform energia(arvore().dir());
    arranja();
    energia.cut(Survivor::Everything);
    energia.stopAt(0);
    ASSERT_EQ(gera("C:/dados/*"), 0);
    const long operacoes = energia.count();
    for (long n = firstCut(operacoes); n <= operacoes && !HasFailure(); n += sweepStride()) {
      for (Survivor s : {Survivor::Everything, Survivor::Torn}) {
        for (size_t k = 0; !HasFailure(); ++k) {
          arranja();
          energia.cut(Survivor::Everything);
          energia.stopAt(n);
          gera("C:/dados/*");
          energia.cut(s);
          std::vector<Acao> lista = acoes();
          // A torn write with the first actions only: the rest is the same walk.
          if (k >= lista.size() || (s == Survivor::Torn && k >= 3)) break;
          const Acao& acao = lista[k];
          ignorado_ = acao.tirado.empty() ? std::string()
                                          : fs::path(acao.tirado).stem().string() + ".";
          SCOPED_TRACE("operation " + std::to_string(n) + ", " + survivorName(s) + ", " + acao.nome);
          acao.faz();
          if (acao.nome == "sources held open") {
            SourcesHeldOpen held;
            gera("C:/dados/*", "", 2);
          }
          gera("C:/dados/*", "", 2);
          gera("C:/dados/*", "", 3);
          ++total.pontos;
          int restos = 0;
          auto empacotados = this->empacotados(total, restos);
          for (const auto& [nome, conteudo] : fontes_) {
            // A source whose published file was taken is the host's affair.
            std::string stem = "_" + nome.substr(0, nome.find('.')) + "_";
            for (char& c : stem) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const bool tomou = acao.tirado.find(stem) != std::string::npos;
            const int n = empacotados[nome];
            total.duplos += n > 1;
            EXPECT_LE(n, 1) << nome;
            EXPECT_FALSE(arvore().exists("dados/" + nome)) << nome;
            if (acao.nome == "c.dat replaced" && nome == "c.dat") {
              // The new bytes packed once; the old ones at most once.
              total.perdidos += empacotados[nome + " (new)"] != 1;
              EXPECT_EQ(empacotados[nome + " (new)"], 1);
            } else if (!tomou) {
              total.perdidos += n == 0;
              EXPECT_EQ(n, 1) << nome;
            }
          }
          if (acao.nome.starts_with("move ")) {
            alheios += !arvore().exists("MOVED");
            EXPECT_TRUE(arvore().exists("MOVED"));
          }
          if (fs::exists(arvore().path("T/DATA/TORVEX.TMP"))) {
            restos += static_cast<int>(std::distance(
                fs::directory_iterator(arvore().path("T/DATA/TORVEX.TMP")), fs::directory_iterator()));
          }
          total.restos += restos;
          EXPECT_EQ(restos, 0) << ::testing::PrintToString(trabalho());
        }
        if (HasFailure()) break;
      }
    }
  }
  std::printf("upload interference: %ld points, lost %ld, twice %ld, false records %ld, "
              "others' bytes destroyed %ld, leftovers %ld\n",
              total.pontos, total.perdidos, total.duplos, total.rasgados, alheios, total.restos);
}

}  // namespace
}  // namespace torvex::testing
