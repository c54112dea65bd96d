// One writer per tray tree, and a tree's own bookkeeping files out of reach
// of what it receives.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "download/disponibiliza_arquivos.h"
#include "platform/file.h"
#include "tests/download/received_archives.h"
#include "tests/support/environment.h"
#include "tests/support/windows_limits.h"

namespace torvex {
namespace {

namespace fs = std::filesystem;

class UmEscritor : public ::testing::Test {
 protected:
  UmEscritor() {
    testing::setVariable("TORVEX_WINVER", "6.1");
    testing::criaBandejas(arvore);
    arvore.mkdir("OUT");
  }
  ~UmEscritor() override {
    testing::setVariable("TORVEX_WINVER", nullptr);
  }
  static std::string nome(int i) {
    char n[16];
    std::snprintf(n, sizeof n, "D%05d.ARJ", i);
    return n;
  }
#ifndef _WIN32
  // A pass in a child process; its pid.
  static pid_t passaEmOutroProcesso() {
    pid_t pid = ::fork();
    if (pid == 0) _exit(disponibilizaArquivos("C:/T") == 0 ? 0 : 1);
    return pid;
  }
#endif
  testing::TempTree arvore;
};

#ifdef _WIN32
constexpr const char* kSemFork =
    "the other writers are forked children; Windows has no fork, and a child test program "
    "started with CreateProcess is not written yet";
#endif

TEST_F(UmEscritor, TwoConcurrentPassesLeaveAWholeControlFileAndDeliverEachArchiveOnce) {
#ifdef _WIN32
  GTEST_SKIP() << kSemFork;
#else
  arvore.write("OUT/APPEND.TXT", "");
  std::string esperado;
  for (int i = 1; i <= 40; ++i) {
    const std::string dados = "<" + std::to_string(i) + ">";
    esperado += dados;
    testing::criaRecebido(arvore, nome(i), testing::descritor("C:/OUT/APPEND.TXT", "s", "A"), dados);
  }
  pid_t a = passaEmOutroProcesso(), b = passaEmOutroProcesso();
  int estado = 0;
  ASSERT_EQ(::waitpid(a, &estado, 0), a);
  ASSERT_EQ(::waitpid(b, &estado, 0), b);

  const std::string controle = arvore.read("T/OUTTRAY/ContDown.dat");
  EXPECT_EQ(controle.find('\0'), std::string::npos);
  EXPECT_EQ(std::count(controle.begin(), controle.end(), '\n'), 5 * 40);
  auto registrados = testing::arquivosRegistrados(arvore);
  std::sort(registrados.begin(), registrados.end());
  for (int i = 1; i <= 40; ++i) {
    EXPECT_EQ(std::count(registrados.begin(), registrados.end(), nome(i)), 1) << nome(i);
    EXPECT_EQ(arvore.read("OUT/APPEND.TXT").find("<" + std::to_string(i) + ">"),
              arvore.read("OUT/APPEND.TXT").rfind("<" + std::to_string(i) + ">"));
  }
  EXPECT_EQ(arvore.read("OUT/APPEND.TXT").size(), esperado.size());  // each payload once
  EXPECT_TRUE(testing::listaRecebidos().empty());
#endif
}

TEST_F(UmEscritor, ASecondCallerWaitsForTheLockAndThenDoesItsWork) {
#ifdef _WIN32
  GTEST_SKIP() << kSemFork;
#else
  testing::criaRecebido(arvore, "D00001.ARJ", testing::descritor("C:/OUT/X.TXT", "s", "R"), "x");
  // Another process holds the lock until told to end (a child of ours would
  // inherit our own handle of the lock file, and with it the lock).
  int tomada[2], solta[2];
  ASSERT_EQ(::pipe(tomada), 0);
  ASSERT_EQ(::pipe(solta), 0);
  pid_t dono = ::fork();
  if (dono == 0) {
    File trava("C:/T/DATA/TORVEX.LCK", OpenMode::Append);
    char c = trava && trava.lock() ? 'y' : 'n';
    if (::write(tomada[1], &c, 1) != 1 || ::read(solta[0], &c, 1) != 1) _exit(2);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(tomada[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  pid_t filho = passaEmOutroProcesso();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  int estado = 0;
  EXPECT_EQ(::waitpid(filho, &estado, WNOHANG), 0) << "the pass ran while the lock was held";
  EXPECT_FALSE(arvore.exists("OUT/X.TXT"));
  ASSERT_EQ(::write(solta[1], &c, 1), 1);  // the holder ends: the system drops its lock
  ASSERT_EQ(::waitpid(dono, &estado, 0), dono);
  ASSERT_EQ(::waitpid(filho, &estado, 0), filho);
  EXPECT_EQ(WEXITSTATUS(estado), 0);
  EXPECT_EQ(arvore.read("OUT/X.TXT"), "x");
  for (int fd : {tomada[0], tomada[1], solta[0], solta[1]}) ::close(fd);
#endif
}

TEST_F(UmEscritor, ABookkeepingFileIsRefusedAsADestination) {
  testing::criaRecebido(arvore, "D00001.ARJ", testing::descritor("C:/OUT/FIRST.TXT", "s", "R"), "1");
  ASSERT_EQ(disponibilizaArquivos("C:/T"), 0);
  arvore.write("T/DATA/SEQPOST.DAT", std::string("\x05\0\0\0", 4));
  std::vector<const char*> destinos = {
      "C:/T/Outtray/ContDown.dat", "C:/T/outtray/../OUTTRAY/contdown.DAT",
      "C:/T/DATA/SEQPOST.DAT",     "C:/T/Data/torvex.jnl",                 "C:/T/DATA/TORVEX.LCK",
      "C:/T/Intray/Work/NEW.TXT",  "C:/T/INTRAY/WORK/D00009.ARJ",
  };
  if (testing::kNoSymbolicLinks) {
    std::printf("the control file through a link is left out: %s\n", testing::kLinksNotMade);
  } else {
    fs::create_symlink(arvore.path("T/OUTTRAY/ContDown.dat"), arvore.path("OUT/LINK.TXT"));
    destinos.push_back("C:/OUT/LINK.TXT");
  }
  for (const char* codigo : {"A", "R", "M"}) {
    int i = 2;
    for (const char* destino : destinos) {
      testing::criaRecebido(arvore, nome(i++), testing::descritor(destino, "s", codigo), "payload");
    }
    const std::string controle = arvore.read("T/OUTTRAY/ContDown.dat");
    disponibilizaArquivos("C:/T");
    EXPECT_EQ(arvore.read("T/OUTTRAY/ContDown.dat"), controle) << codigo;
    EXPECT_EQ(arvore.read("T/DATA/SEQPOST.DAT"), std::string("\x05\0\0\0", 4)) << codigo;
    EXPECT_EQ(arvore.read("T/DATA/TORVEX.JNL"), "") << codigo;
    EXPECT_FALSE(arvore.exists("T/INTRAY/WORK/NEW.TXT")) << codigo;
    EXPECT_EQ(testing::listaRecebidos().size(), std::size(destinos)) << "every archive stays";
    for (const std::string& n : testing::listaRecebidos()) fs::remove(arvore.path("T/INTRAY/WORK/" + n));
  }
}

TEST_F(UmEscritor, ArchivesWhoseNamesDifferInCaseAreDeliveredEachWithItsOwnPayload) {
  if (testing::kCaseBlindVolume) GTEST_SKIP() << testing::kNoCaseTwins;
  testing::criaRecebido(arvore, "D00001.ARJ", testing::descritor("C:/OUT/A.TXT", "s", "R"), "upper");
  fs::rename(arvore.path("T/INTRAY/WORK/D00001.ARJ"), arvore.path("T/INTRAY/WORK/keep"));
  testing::criaRecebido(arvore, "d00001.ARJ", testing::descritor("C:/OUT/B.TXT", "s", "R"), "lower");
  fs::rename(arvore.path("T/INTRAY/WORK/keep"), arvore.path("T/INTRAY/WORK/D00001.ARJ"));
  ASSERT_EQ(disponibilizaArquivos("C:/T"), 0);
  EXPECT_EQ(arvore.read("OUT/A.TXT"), "upper");
  EXPECT_EQ(arvore.read("OUT/B.TXT"), "lower");
}

}  // namespace
}  // namespace torvex
