// Delivers 1,000 and then 10,000 received archives, each in one pass, and
// prints the time per archive of both: it must not grow with the count.
// Beside it: the installed `arj e` plus a rename, per archive, on a sample of
// the same archives (one `arj` process per archive, as a host without the
// library would run it).
//
// Usage: torvex_download_bench   (works in a fresh directory under $TMPDIR)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "arj/exec_arj.h"
#include "bench/support/bench_directory.h"
#include "download/disponibiliza_arquivos.h"

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

namespace {

constexpr int kAmostraArj = 200;

double segundosDesde(Relogio::time_point inicio) {
  return std::chrono::duration<double>(Relogio::now() - inicio).count();
}

// Wall time and this process's CPU time per archive: on a shared machine the
// wall time carries other people's load, the CPU time does not.
struct Medida {
  double parede, cpu;
};

void escreve(const fs::path& p, const std::string& texto) {
  std::FILE* f = std::fopen(p.c_str(), "wb");
  const bool escrito = f && std::fwrite(texto.data(), 1, texto.size(), f) == texto.size();
  if (f) std::fclose(f);
  if (!escrito) torvex::bench::failRun("cannot write " + p.string());
}

// A fresh tray tree at C:/T with `n` received archives, each a 2 KB text
// payload for its own new destination under C:/OUT. `raiz` is the run's own
// directory: only what is inside it goes.
void preparaRecebidos(const fs::path& raiz, int n) {
  for (const auto& e : fs::directory_iterator(raiz)) fs::remove_all(e.path());
  for (const char* d : {"T/DATA", "T/INTRAY/WORK", "T/OUTTRAY/WORK", "OUT", "STAGE"}) {
    fs::create_directories(raiz / d);
  }
  std::string dados;
  for (int linha = 0; dados.size() < 2048; ++linha) {
    dados += "line " + std::to_string(linha) + " of a received report, some text to pack\r\n";
  }
  char base[16];
  for (int i = 1; i <= n; ++i) {
    std::snprintf(base, sizeof base, "D%05d", i);
    escreve(raiz / "STAGE" / (std::string(base) + ".FN"),
            std::string("C:/OUT/") + base + ".TXT\r\nABCDEF.GH+202612061504+\r\nM\r\n");
    escreve(raiz / "STAGE" / (std::string(base) + ".ARQ"), dados);
    for (const char* extensao : {".FN", ".ARQ"}) {
      std::string comando = std::string("a \"C:/T/INTRAY/WORK/") + base + ".ARJ\" \"C:/STAGE/" +
                            base + extensao + "\"";
      if (ExecArj(comando.c_str(), 0) != 0) torvex::bench::failRun(std::string("cannot build ") + base);
    }
  }
  fs::remove_all(raiz / "STAGE");
}

Medida microsPorArquivoNoPasse(const fs::path& raiz, int n) {
  preparaRecebidos(raiz, n);
  std::clock_t cpu = std::clock();
  Relogio::time_point inicio = Relogio::now();
  long resultado = torvex::disponibilizaArquivos("C:/T");
  Medida m{segundosDesde(inicio) * 1e6 / n,
           static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC * 1e6 / n};
  size_t restantes = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(raiz / "T/INTRAY/WORK")) ++restantes;
  if (resultado != 0 || restantes != 0) {
    torvex::bench::failRun("pass of " + std::to_string(n) + ": result " +
                           std::to_string(resultado) + ", " + std::to_string(restantes) +
                           " archives left");
  }
  return m;
}

double microsPorArquivoComArj(const fs::path& raiz) {
  preparaRecebidos(raiz, kAmostraArj);
  fs::path trabalho = raiz / "T/INTRAY/WORK";
  fs::path bandeja = raiz / "T/INTRAY";
  char base[16];
  Relogio::time_point inicio = Relogio::now();
  for (int i = 1; i <= kAmostraArj; ++i) {
    std::snprintf(base, sizeof base, "D%05d", i);
    std::string comando = "arj e -y '" + (trabalho / (std::string(base) + ".ARJ")).string() +
                          "' '" + bandeja.string() + "/' >/dev/null";
    if (std::system(comando.c_str()) != 0) torvex::bench::failRun("arj failed: " + comando);
    fs::rename(bandeja / (std::string(base) + ".ARQ"), raiz / "OUT" / (std::string(base) + ".TXT"));
  }
  return segundosDesde(inicio) * 1e6 / kAmostraArj;
}

}  // namespace

int main(int argc, char** argv) {
  torvex::bench::takeNoArguments(argc, argv);
  ::setenv("TORVEX_WINVER", "2.5", 1);  // direct mode: one pass takes every archive
  torvex::bench::BenchDirectory diretorio;  // drive C:
  const fs::path& raiz = diretorio.path();

  Medida mil = microsPorArquivoNoPasse(raiz, 1000);
  Medida dezMil = microsPorArquivoNoPasse(raiz, 10000);
  double arj = microsPorArquivoComArj(raiz);

  std::printf("one pass,  1,000 archives: %8.1f us wall, %7.1f us CPU per archive\n", mil.parede,
              mil.cpu);
  std::printf("one pass, 10,000 archives: %8.1f us wall, %7.1f us CPU per archive"
              " (x%.2f wall, x%.2f CPU of the 1,000 pass)\n",
              dezMil.parede, dezMil.cpu, dezMil.parede / mil.parede, dezMil.cpu / mil.cpu);
  std::printf("arj e + rename, sample %d: %8.1f us wall per archive (x%.2f of the 10,000 pass)\n",
              kAmostraArj, arj, arj / dezMil.parede);
  return 0;
}
