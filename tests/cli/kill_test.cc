// The torvex command killed (SIGKILL; TerminateProcess on Windows) at
// moments spread over a run, then run again with another number: every
// source is packed exactly once, every received payload delivered once with
// one record, nothing left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "arj/exec_arj.h"
#include "tests/download/received_archives.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_tree.h"
#include "tests/support/windows_limits.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;

// Enough files that most moments fall inside a run, also on a fast disk.
constexpr int kArquivos = 200;

// The moments of the kills, in milliseconds after the start.
class Momentos {
 public:
#ifdef _WIN32
  // Under Wine a start alone takes hundreds of milliseconds and a run of 200
  // files seconds: fixed moments like Linux's would all fall before the
  // command does anything. Each moment costs seconds too (the tree made
  // afresh, the killed run, the rerun; the download's about twenty), so
  // there are fewer, at fractions of a whole run: the first kill comes before
  // the command starts, and its rerun, a whole run, gives the length. The
  // first start of a program loads its DLLs, slower than later ones: one
  // start beforehand keeps that out of the length. The fractions stay in the
  // first half, as a run's length varies with the machine's load and a kill
  // after the end tests nothing.
  Momentos() { testing::runProgramKilledAfter(TORVEX_CLI, {"--version"}, -1); }
  size_t size() const { return std::size(kFracoes); }
  int at(size_t i) const { return static_cast<int>(kFracoes[i] * inteiraMs_); }
  void rerunTook(int ms) {
    if (inteiraMs_ == 0) inteiraMs_ = ms;
  }

 private:
  static constexpr double kFracoes[] = {0, 0.1, 0.2, 0.35, 0.5};
  int inteiraMs_ = 0;
#else
  size_t size() const { return std::size(kMs); }
  int at(size_t i) const { return kMs[i]; }
  void rerunTook(int) {}

 private:
  static constexpr int kMs[] = {0, 1, 2, 4, 6, 9, 13, 19, 28, 40, 60, 90};
#endif
};

// Runs the command; with a delay, kills it then. True when it was killed.
bool executa(const std::vector<std::string>& args, int matarAposMs) {
  return testing::runProgramKilledAfter(TORVEX_CLI, args, matarAposMs);
}

// Runs the command again to its end, telling `momentos` how long it took.
void executaDeNovo(const std::vector<std::string>& args, Momentos& momentos) {
  const auto inicio = std::chrono::steady_clock::now();
  executa(args, -1);
  momentos.rerunTook(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - inicio)
                                          .count()));
}

class Morte : public ::testing::Test {
 protected:
  static std::string nome(int i) {
    char n[16];
    std::snprintf(n, sizeof n, "D%05d.ARJ", i);
    return n;
  }
  size_t arquivosEm(const char* rel) const {
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(arvore.path(rel))) n += e.is_regular_file();
    return n;
  }
  testing::TempTree arvore{testing::kChildTreeDrive};
};

TEST_F(Morte, UploadKilledAnywhereThenRunWithAnotherNumberPacksEachSourceOnce) {
  int mortes = 0, perdidos = 0, duplos = 0, rasgados = 0, restos = 0;
  Momentos momentos;
  for (size_t m = 0; m < momentos.size(); ++m) {
    const int momento = momentos.at(m);
    for (const char* d : {"T", "dados"}) fs::remove_all(arvore.path(d));
    for (const char* d : {"T/OUTTRAY/WORK", "T/DATA", "dados"}) arvore.mkdir(d);
    std::map<std::string, std::string> fontes;
    for (int i = 0; i < kArquivos; ++i) {
      const std::string n = "f" + std::to_string(i) + ".txt";
      fontes[n] = std::string(1000, static_cast<char>('a' + i % 26)) + n;
      arvore.write("dados/" + n, fontes[n]);
    }
    mortes += executa({"geraArquivoUpload", arvore.onDrive("/T"), arvore.onDrive("/dados/*"), "", "1"}, momento);
    executaDeNovo({"geraArquivoUpload", arvore.onDrive("/T"), arvore.onDrive("/dados/*"), "", "2"}, momentos);
    SCOPED_TRACE("killed after " + std::to_string(momento) + " ms");

    EXPECT_EQ(arquivosEm("dados"), 0u);
    std::map<std::string, int> vezes;
    for (const auto& e : fs::directory_iterator(arvore.path("T/OUTTRAY/WORK"))) {
      const std::string n = e.path().filename().string();
      if (!n.ends_with(".ARJ")) {
        restos += !n.ends_with(".DAT");
        EXPECT_TRUE(n.ends_with(".DAT")) << n << " left behind";
        continue;
      }
      const std::string registro = arvore.read("T/OUTTRAY/WORK/" + n.substr(0, n.size() - 3) + "DAT");
      const std::string origem = registro.substr(0, registro.find("\r\n"));
      fs::remove_all(arvore.path("X"));
      arvore.mkdir("X");
      ASSERT_EQ(ExecArj(("e \"" + arvore.onDrive("/T/OUTTRAY/WORK/") + n + "\" \"" + arvore.onDrive("/X") + "\" -y").c_str(), 0), 0) << n;
      const std::string fonte = origem.substr(origem.rfind('/') + 1);
      rasgados += arvore.read("X/" + fonte) != fontes[fonte];
      EXPECT_EQ(arvore.read("X/" + fonte), fontes[fonte]) << n;
      ++vezes[fonte];
    }
    for (const auto& [n, c] : fontes) {
      perdidos += vezes[n] == 0;
      duplos += vezes[n] > 1;
      EXPECT_EQ(vezes[n], 1) << n;
    }
    restos += static_cast<int>(arquivosEm("dados")) + !arvore.read("T/DATA/TORVEX.JNL").empty();
    EXPECT_EQ(arvore.read("T/DATA/TORVEX.JNL"), "");
    if (HasFailure()) return;
  }
  std::printf("upload kill -9: %zu runs of %d files, %d killed mid-run, lost %d, twice %d, "
              "torn %d, orphans %d\n",
              momentos.size(), kArquivos, mortes, perdidos, duplos, rasgados, restos);
}

TEST_F(Morte, DownloadKilledAnywhereThenRunAgainDeliversEachPayloadOnce) {
  int mortes = 0, perdidos = 0, duplos = 0, rasgados = 0, restos = 0;
  Momentos momentos;
  for (size_t m = 0; m < momentos.size(); ++m) {
    const int momento = momentos.at(m);
    for (const char* d : {"T", "OUT"}) fs::remove_all(arvore.path(d));
    testing::criaBandejas(arvore);
    arvore.mkdir("OUT");
    arvore.write("OUT/ALL.TXT", "");
    std::string todos;
    for (int i = 1; i <= kArquivos; ++i) {
      const std::string dados = "<" + std::to_string(i) + ">";
      todos += dados;
      // Odd ones appended, even ones numbered beside the same destination.
      testing::criaRecebido(arvore, nome(i),
                            testing::descritor(arvore.onDrive("/OUT/ALL.TXT"), "s", i % 2 ? "A" : "M"), dados);
    }
    mortes += executa({"disponibilizaArquivos", arvore.onDrive("/T")}, momento);
    executaDeNovo({"disponibilizaArquivos", arvore.onDrive("/T")}, momentos);
    SCOPED_TRACE("killed after " + std::to_string(momento) + " ms");

    auto registrados = testing::arquivosRegistrados(arvore);
    const std::string controle = arvore.read("T/OUTTRAY/ContDown.dat");
    EXPECT_EQ(std::count(controle.begin(), controle.end(), '\n'), 5 * kArquivos);
    std::string entregue = arvore.read("OUT/ALL.TXT");
    for (const auto& e : fs::directory_iterator(arvore.path("OUT"))) {
      if (e.path().extension() == ".QVX") entregue += arvore.read("OUT/" + e.path().filename().string());
    }
    EXPECT_EQ(entregue.size(), todos.size());
    // A record cut short shows in the line count, an append cut short in the size.
    rasgados += std::count(controle.begin(), controle.end(), '\n') != 5 * kArquivos ||
                entregue.size() != todos.size();
    for (int i = 1; i <= kArquivos; ++i) {
      const std::string dados = "<" + std::to_string(i) + ">";
      const auto registros = std::count(registrados.begin(), registrados.end(), nome(i));
      perdidos += registros == 0 || entregue.find(dados) == std::string::npos;
      duplos += registros > 1 || entregue.find(dados) != entregue.rfind(dados);
      EXPECT_EQ(registros, 1) << nome(i);
      EXPECT_NE(entregue.find(dados), std::string::npos) << dados;
      EXPECT_EQ(entregue.find(dados), entregue.rfind(dados)) << dados;
    }
    restos += static_cast<int>(arquivosEm("T/INTRAY") + arquivosEm("T/INTRAY/WORK")) +
              !arvore.read("T/DATA/TORVEX.JNL").empty();
    EXPECT_EQ(arquivosEm("T/INTRAY") + arquivosEm("T/INTRAY/WORK"), 0u);
    EXPECT_EQ(arvore.read("T/DATA/TORVEX.JNL"), "");
    if (HasFailure()) return;
  }
  std::printf("download kill -9: %zu runs of %d archives, %d killed mid-run, lost %d, twice %d, "
              "torn %d, orphans %d\n",
              momentos.size(), kArquivos, mortes, perdidos, duplos, rasgados, restos);
}

}  // namespace
}  // namespace torvex
