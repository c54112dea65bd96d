// The property that makes `torvex status` worth reading: on generated trees
// (archives good and bad, descriptors, destinations of every kind, existing
// files, read-only ones, the counter) what status predicts for each received
// archive is what the next pass then does with it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "arj/exec_arj.h"
#include "cli/read_only_platform.h"
#include "cli/tray_report.h"
#include "download/disponibiliza_arquivos.h"
#include "tests/download/received_archives.h"
#include "tests/support/environment.h"

namespace torvex::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kArvores = 200;

// One generated tree: what it holds is drawn from `gerador`.
class ArvoreGerada {
 public:
  ArvoreGerada(const testing::TempTree& arvore, std::mt19937& gerador)
      : arvore_(arvore), g_(gerador) {}

  void gera() {
    testing::criaBandejas(arvore_);
    arvore_.mkdir("OUT/dir.txt");
    for (const char* nome : {"a.txt", "b.txt", "ro.txt", "M00003.QVX"}) {
      if (sorteia(2)) arvore_.write(std::string("OUT/") + nome, "old:" + std::string(nome));
    }
    if (arvore_.exists("OUT/ro.txt")) fs::permissions(arvore_.path("OUT/ro.txt"), fs::perms::owner_read);
    if (sorteia(2)) {
      const int32_t ultimo = sorteia(2) ? 2 : 99999;
      arvore_.write("T/DATA/SEQPOST.DAT", std::string(reinterpret_cast<const char*>(&ultimo), 4));
    }
    if (sorteia(3) == 0) arvore_.write("T/OUTTRAY/ContDown.dat", "");
    const int quantos = 1 + sorteia(6);
    for (int i = 0; i < quantos; ++i) recebido();
  }

 private:
  int sorteia(int n) { return std::uniform_int_distribution<int>(0, n - 1)(g_); }
  template <typename T, size_t N>
  const T& um(const T (&lista)[N]) { return lista[sorteia(static_cast<int>(N))]; }

  std::string destino() {
    static const char* const kDestinos[] = {
        "C:/OUT/a.txt", "C:/OUT/b.txt", "C:/OUT/c.txt", "C:/OUT/ro.txt", "C:/OUT/dir.txt",
        "C:/OUT/missing/x.txt", "C:/OUT/NUL", "NUL", "C:/OUT/a*b.txt", "C:/OUT/q?.txt",
        "C:/OUT/ctl\x01.txt", "C:/OUT/tab\t.txt", "C:/T/INTRAY/D00001.ARQ", "C:/T/Intray/D00002.FN",
        "C:/T/DATA/x.txt", "C:/T/OUTTRAY/WORK/F1_x_txt.ARJ", "C:/T/Outtray/ContDown.dat",
        "C:/T/INTRAY/WORK/new.txt", "", "C:/OUT/r&PAA.txt", "C:/OUT/M00003.QVX"};
    std::string d = um(kDestinos);
    if (sorteia(8) == 0) d = "C:/OUT/" + std::string(200 + sorteia(80), 'L') + ".txt";
    return d;
  }

  void recebido() {
    char nome[16];
    std::snprintf(nome, sizeof nome, "D%05d", 1 + sorteia(12));
    const std::string base = nome;
    if (arvore_.exists("T/INTRAY/WORK/" + base + ".ARJ")) return;
    static const char* const kCodigos[] = {"A", "M", "R", "a", "m", "x", ""};
    static const char* const kCarimbos[] = {"ABCDEF.GH+202601311200+", "short"};
    std::vector<std::pair<std::string, std::string>> membros;
    const int forma = sorteia(12);
    const std::string payload(static_cast<size_t>(sorteia(3) * 400), 'p');
    if (forma != 0) {  // 0: no descriptor
      membros.emplace_back(base + ".FN",
                           testing::descritor(destino(), um(kCarimbos), um(kCodigos)));
    }
    if (forma != 1) membros.emplace_back(base + ".ARQ", base + payload);  // 1: no data
    if (forma == 2) membros.emplace_back("WORK", "a member named as the work area");
    if (forma == 3) membros.emplace_back(std::string(200 + sorteia(56), 'm'), "long member name");
    const std::string arquivo = "T/INTRAY/WORK/" + base + ".ARJ";
    if (forma == 4) {
      arvore_.write(arquivo, "not an archive");
      return;
    }
    for (const auto& [membro, conteudo] : membros) {
      arvore_.write("STAGE/" + membro, conteudo);
      const std::string comando = "a \"C:/" + arquivo + "\" \"C:/STAGE/" + membro + "\"";
      ASSERT_EQ(ExecArj(comando.c_str(), 0), 0) << comando;
    }
    fs::remove_all(arvore_.path("STAGE"));
    if (forma == 5) {  // one byte of the packed data changed
      std::string bytes = arvore_.read(arquivo);
      bytes[bytes.size() - 8] ^= 0x55;
      arvore_.write(arquivo, bytes);
    }
  }

  const testing::TempTree& arvore_;
  std::mt19937& g_;
};

// The record of each archive in the control file, by archive name: its final path.
std::map<std::string, std::string> registros(const testing::TempTree& arvore) {
  std::map<std::string, std::string> finais;
  std::string texto = arvore.read("T/OUTTRAY/ContDown.dat");
  std::vector<std::string> linhas;
  for (size_t fim; (fim = texto.find("\r\n")) != std::string::npos; texto.erase(0, fim + 2)) {
    linhas.push_back(texto.substr(0, fim));
  }
  for (size_t i = 0; i + 5 <= linhas.size(); i += 5) finais[linhas[i + 2]] = linhas[i + 3];
  return finais;
}

class Concordancia : public ::testing::TestWithParam<const char*> {
 protected:
  Concordancia() {
    testing::setVariable("TZ", "UTC0");
    testing::setVariable("TORVEX_WINVER", GetParam());
  }
  ~Concordancia() override {
    testing::setVariable("TORVEX_WINVER", nullptr);
  }
};

TEST_P(Concordancia, StatusPredictsWhatTheNextPassDoesArchiveByArchive) {
  int arquivos = 0;
  for (int semente = 1; semente <= kArvores; ++semente) {
    SCOPED_TRACE("seed " + std::to_string(semente));
    testing::TempTree arvore;
    std::mt19937 gerador(static_cast<unsigned>(semente));
    ArvoreGerada(arvore, gerador).gera();
    TrayReport previsto;
    {
      ReadOnlyPlatform somenteLeitura;
      previsto = inspectTray("C:/T");
      EXPECT_EQ(somenteLeitura.refused(), 0);
    }
    const auto antes = registros(arvore);
    disponibilizaArquivos("C:/T");
    const auto depois = registros(arvore);
    for (const ReceivedItem& item : previsto.received) {
      ++arquivos;
      const bool ficou = arvore.exists("T/INTRAY/WORK/" + item.name);
      const bool registrado = depois.count(item.name) > antes.count(item.name);
      if (item.deliver) {
        EXPECT_FALSE(ficou) << item.name << " predicted: deliver to " << item.destination;
        EXPECT_TRUE(registrado) << item.name;
        if (registrado) {
          EXPECT_EQ(depois.at(item.name), item.destination) << item.name;
        }
      } else {
        EXPECT_TRUE(ficou) << item.name << " predicted: stays, " << item.reason;
        EXPECT_FALSE(registrado) << item.name << " predicted: stays, " << item.reason;
      }
    }
    if (fs::exists(arvore.path("OUT/ro.txt"))) {
      fs::permissions(arvore.path("OUT/ro.txt"), fs::perms::owner_all);
    }
  }
  std::printf("[ agreement ] status and the next pass agreed on %d generated trees (%d archives, "
              "%s mode)\n",
              kArvores, arquivos, std::string(GetParam()) == "6.1" ? "direct" : "collect-first");
}

INSTANTIATE_TEST_SUITE_P(Modos, Concordancia, ::testing::Values("6.1", "1.4"));

}  // namespace
}  // namespace torvex::cli
