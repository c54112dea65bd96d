// Packs 1,000 and 10,000 small files in one call each and prints the time per
// file, which must not grow with the count, beside the time the arj program
// takes to make one archive per file for a sample of the same files.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench/support/bench_directory.h"
#include "upload/gera_arquivo_upload.h"

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

namespace {

double segundosDesde(Relogio::time_point inicio) {
  return std::chrono::duration<double>(Relogio::now() - inicio).count();
}

// `n` small text files of 100 to 400 bytes in `dir`.
void criaFontes(const fs::path& dir, int n) {
  fs::create_directories(dir);
  std::mt19937 aleatorio(12345);
  for (int i = 0; i < n; ++i) {
    std::ofstream f(dir / ("arq" + std::to_string(i) + ".txt"), std::ios::binary);
    int linhas = 2 + static_cast<int>(aleatorio() % 8);
    for (int l = 0; l < linhas; ++l) {
      f << "registro " << i << " linha " << l << " valor " << aleatorio() % 100000 << "\r\n";
    }
  }
}

size_t contaArquivos(const fs::path& dir, const std::string& extensao) {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator(dir)) n += e.path().extension() == extensao;
  return n;
}

struct Medida {
  double porArquivo = -1;     // wall-clock seconds per file; -1 when some were missed
  double cpuPorArquivo = -1;  // processor seconds per file, free of the disk's waits
};

// Empties the run's own directory `base`, leaving it in place.
void esvazia(const fs::path& base) {
  for (const auto& e : fs::directory_iterator(base)) fs::remove_all(e.path());
}

// One call packing `n` files.
Medida medeUpload(const fs::path& base, int n) {
  esvazia(base);
  fs::create_directories(base / "T/OUTTRAY/WORK");
  fs::create_directories(base / "T/DATA");  // the tray tree's lock and journal live here
  criaFontes(base / "fontes", n);
  auto inicio = Relogio::now();
  std::clock_t cpuInicio = std::clock();
  LONG resultado = torvex::geraArquivoUpload("C:/T", "C:/fontes/*.txt", "", 1);
  double cpu = static_cast<double>(std::clock() - cpuInicio) / CLOCKS_PER_SEC;
  double segundos = segundosDesde(inicio);
  if (resultado != 0 || contaArquivos(base / "T/OUTTRAY/WORK", ".ARJ") != static_cast<size_t>(n)) {
    return {};
  }
  return {segundos / n, cpu / n};
}

// Seconds per file for the arj program making one archive per file.
double medeArj(const fs::path& base, int amostra) {
  esvazia(base);
  fs::create_directories(base / "saida");
  criaFontes(base / "fontes", amostra);
  std::string script = "cd '" + (base / "fontes").string() +
                       "' && for f in *.txt; do arj a -y ../saida/\"$f\".arj \"$f\" >/dev/null "
                       "|| exit 1; done";
  auto inicio = Relogio::now();
  int estado = std::system(script.c_str());
  double segundos = segundosDesde(inicio);
  if (estado != 0 || contaArquivos(base / "saida", ".arj") != static_cast<size_t>(amostra)) {
    return -1;
  }
  return segundos / amostra;
}

}  // namespace

int main(int argc, char** argv) {
  torvex::bench::takeNoArguments(argc, argv);
  const torvex::bench::BenchDirectory diretorio;  // drive C:
  const fs::path& base = diretorio.path();

  const Medida mil = medeUpload(base, 1000);
  const Medida dezMil = medeUpload(base, 10000);
  const bool temArj = std::system("command -v arj >/dev/null 2>&1") == 0;
  const double arj = temArj ? medeArj(base, 500) : -1;

  if (mil.porArquivo < 0 || dezMil.porArquivo < 0) {
    torvex::bench::failRun("geraArquivoUpload: some files were not packed");
  }
  if (temArj && arj < 0) torvex::bench::failRun("arj a failed");
  // Each file is flushed to the medium several times, so the wall clock
  // follows the disk; the processor time shows the work of the call itself.
  std::printf("geraArquivoUpload,  1,000 files: %8.3f ms per file (%.3f ms processor)\n",
              mil.porArquivo * 1e3, mil.cpuPorArquivo * 1e3);
  std::printf("geraArquivoUpload, 10,000 files: %8.3f ms per file (%.3f ms processor)\n",
              dezMil.porArquivo * 1e3, dezMil.cpuPorArquivo * 1e3);
  std::printf("per-file ratio 10,000 / 1,000:   %8.2f (processor %.2f)\n",
              dezMil.porArquivo / mil.porArquivo, dezMil.cpuPorArquivo / mil.cpuPorArquivo);
  if (arj > 0) {
    std::printf("arj a, one archive per file (500-file sample): %8.3f ms per file\n", arj * 1e3);
    std::printf("geraArquivoUpload / arj a (10,000 files):       %8.2f\n",
                dezMil.porArquivo / arj);
  } else {
    std::printf("arj a: not measured (not installed)\n");
  }
  return 0;
}
