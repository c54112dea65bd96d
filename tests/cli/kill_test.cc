// The torvex command killed (SIGKILL) at moments spread over a run, then run
// again with another number: every source is packed exactly once, every
// received payload delivered once with one record, nothing left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "arj/exec_arj.h"
#include "tests/download/received_archives.h"
#include "tests/support/temp_tree.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;

// Enough files that most moments fall inside a run, also on a fast disk.
constexpr int kArquivos = 200;
const int kMomentosMs[] = {0, 1, 2, 4, 6, 9, 13, 19, 28, 40, 60, 90};

// Runs the command; with a delay, kills it then. True when it was killed.
bool executa(const std::vector<std::string>& args, int matarAposMs) {
  pid_t pid = ::fork();
  if (pid == 0) {
    std::vector<char*> argv{const_cast<char*>(TORVEX_CLI)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::freopen("/dev/null", "w", stdout);
    ::execv(TORVEX_CLI, argv.data());
    _exit(127);
  }
  if (matarAposMs >= 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(matarAposMs));
    ::kill(pid, SIGKILL);
  }
  int estado = 0;
  ::waitpid(pid, &estado, 0);
  return WIFSIGNALED(estado);
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
  testing::TempTree arvore;
};

TEST_F(Morte, UploadKilledAnywhereThenRunWithAnotherNumberPacksEachSourceOnce) {
  int mortes = 0, perdidos = 0, duplos = 0, rasgados = 0, restos = 0;
  for (int momento : kMomentosMs) {
    for (const char* d : {"T", "dados"}) fs::remove_all(arvore.path(d));
    for (const char* d : {"T/OUTTRAY/WORK", "T/DATA", "dados"}) arvore.mkdir(d);
    std::map<std::string, std::string> fontes;
    for (int i = 0; i < kArquivos; ++i) {
      const std::string n = "f" + std::to_string(i) + ".txt";
      fontes[n] = std::string(1000, static_cast<char>('a' + i % 26)) + n;
      arvore.write("dados/" + n, fontes[n]);
    }
    mortes += executa({"geraArquivoUpload", "C:/T", "C:/dados/*", "", "1"}, momento);
    executa({"geraArquivoUpload", "C:/T", "C:/dados/*", "", "2"}, -1);
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
      ASSERT_EQ(ExecArj(("e \"C:/T/OUTTRAY/WORK/" + n + "\" \"C:/X\" -y").c_str(), 0), 0) << n;
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
              std::size(kMomentosMs), kArquivos, mortes, perdidos, duplos, rasgados, restos);
}

TEST_F(Morte, DownloadKilledAnywhereThenRunAgainDeliversEachPayloadOnce) {
  int mortes = 0, perdidos = 0, duplos = 0, rasgados = 0, restos = 0;
  for (int momento : kMomentosMs) {
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
                            testing::descritor("C:/OUT/ALL.TXT", "s", i % 2 ? "A" : "M"), dados);
    }
    mortes += executa({"disponibilizaArquivos", "C:/T"}, momento);
    executa({"disponibilizaArquivos", "C:/T"}, -1);
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
              std::size(kMomentosMs), kArquivos, mortes, perdidos, duplos, rasgados, restos);
}

}  // namespace
}  // namespace torvex
