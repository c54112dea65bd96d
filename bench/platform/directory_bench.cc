// Cost per directory entry of the POSIX back end's search, lookup and
// creation, at 1,000 and 10,000 entries: the per-entry figures must stay
// flat as the directory grows (no step may read the whole directory once
// per file).
#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/support/bench_directory.h"
#include "platform/file.h"

namespace fs = std::filesystem;
using namespace torvex;

namespace {

// The run's own directory, drive C:, made by main before any benchmark runs.
const torvex::bench::BenchDirectory* gScratch = nullptr;

const fs::path& scratchRoot() { return gScratch->path(); }

// A benchmark that met a failed call; the run then exits non-zero.
bool gFailed = false;

void fail(benchmark::State& state, const char* what) {
  gFailed = true;
  state.SkipWithError(what);
}

std::string entryName(long i) {
  char name[32];
  std::snprintf(name, sizeof name, "f%06ld.dat", i);
  return name;
}

// "C:/fill<n>" holding n files, made once per size.
std::string filledDirectory(long n) {
  const std::string rel = "fill" + std::to_string(n);
  const fs::path dir = scratchRoot() / rel;
  if (!fs::exists(dir)) {
    fs::create_directories(dir);
    for (long i = 0; i < n; ++i) std::ofstream(dir / entryName(i)) << i;
  }
  return "C:/" + rel;
}

void perEntry(benchmark::State& state, long entries) {
  state.counters["per_entry"] = benchmark::Counter(
      static_cast<double>(entries), benchmark::Counter::kIsIterationInvariantRate |
                                        benchmark::Counter::kInvert);
}

void BM_SearchAndList(benchmark::State& state) {
  const long n = state.range(0);
  const std::string pattern = filledDirectory(n) + "/*.DAT";
  for (auto _ : state) {
    long seen = 0;
    DirSearch s(pattern.c_str());
    if (s.found()) {
      do ++seen;
      while (s.next());
    }
    if (seen != n) fail(state, "wrong count");
  }
  perEntry(state, n);
}
BENCHMARK(BM_SearchAndList)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Existence of one name spelled as stored (one stat) or in another case
// (served from the directory cache once it is read).
void BM_ExistsExact(benchmark::State& state) {
  const std::string path = filledDirectory(state.range(0)) + "/" + entryName(state.range(0) / 2);
  for (auto _ : state) benchmark::DoNotOptimize(pathExists(path.c_str()));
}
BENCHMARK(BM_ExistsExact)->Arg(1000)->Arg(10000);

void BM_ExistsOtherCase(benchmark::State& state) {
  std::string name = entryName(state.range(0) / 2);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string path = filledDirectory(state.range(0)) + "/" + name;
  for (auto _ : state) {
    if (!pathExists(path.c_str())) fail(state, "not found");
  }
}
BENCHMARK(BM_ExistsOtherCase)->Arg(1000)->Arg(10000);

// Creating n new files one by one: each create must first make sure no
// entry of that name exists in another letter case.
void BM_CreateOneByOne(benchmark::State& state) {
  const long n = state.range(0);
  long round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string rel = "create" + std::to_string(n) + "-" + std::to_string(round++);
    fs::create_directories(scratchRoot() / rel);
    const std::string dir = "C:/" + rel + "/";
    state.ResumeTiming();
    for (long i = 0; i < n; ++i) {
      File f((dir + entryName(i)).c_str(), OpenMode::CreateNew);
      if (!f) {
        fail(state, "create failed");
        break;
      }
    }
    state.PauseTiming();
    fs::remove_all(scratchRoot() / rel);
    state.ResumeTiming();
  }
  perEntry(state, n);
}
BENCHMARK(BM_CreateOneByOne)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

// The same creations straight through the C library, without the layer:
// what the file system itself costs as the directory grows.
void BM_CreateOneByOneDirect(benchmark::State& state) {
  const long n = state.range(0);
  long round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path dir = scratchRoot() / ("direct" + std::to_string(n) + "-" +
                                             std::to_string(round++));
    fs::create_directories(dir);
    state.ResumeTiming();
    for (long i = 0; i < n; ++i) {
      std::FILE* f = std::fopen((dir / entryName(i)).c_str(), "wx");
      if (!f) {
        fail(state, "create failed");
        break;
      }
      std::fclose(f);
    }
    state.PauseTiming();
    fs::remove_all(dir);
    state.ResumeTiming();
  }
  perEntry(state, n);
}
BENCHMARK(BM_CreateOneByOneDirect)->Arg(1000)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  torvex::bench::BenchDirectory directory;
  gScratch = &directory;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return gFailed ? 1 : 0;
}
