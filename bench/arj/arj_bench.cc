// Builds a deterministic mixed corpus (~45 MiB of text, binary records and
// random bytes), then times ExecArj against `arj` and `7zz` in the same run
// and prints the ratios, plus our peak memory. Usage: torvex_arj_bench (it
// works in a fresh directory under $TMPDIR).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "arj/exec_arj.h"
#include "bench/support/bench_directory.h"

namespace fs = std::filesystem;

namespace {

struct Rng {
  uint64_t s;
  uint32_t next() {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(s >> 33);
  }
};

// Zipf-like prose over a fixed vocabulary.
void textChunk(Rng& r, std::string& out, size_t n) {
  static std::vector<std::string> vocab = [] {
    std::vector<std::string> v;
    Rng g{42};
    for (int i = 0; i < 3000; ++i) {
      std::string w;
      int len = 2 + static_cast<int>(g.next() % 9);
      for (int k = 0; k < len; ++k) w += static_cast<char>('a' + g.next() % 26);
      v.push_back(w);
    }
    return v;
  }();
  while (out.size() < n) {
    uint32_t x = r.next() % 3000;
    out += vocab[(x * x) / 3000];
    out += (r.next() % 12 == 0) ? ".\r\n" : " ";
  }
  out.resize(n);
}

// Record-structured binary: counters, small fields, repeated opcodes.
void binaryChunk(Rng& r, std::string& out, size_t n, uint32_t& counter) {
  static const char kOps[][6] = {"\x55\x48\x89\xE5\x53", "\x48\x83\xEC\x20\x00",
                                 "\xE8\x00\x00\x00\x00", "\xC3\x90\x90\x90\x90"};
  while (out.size() < n) {
    uint32_t v = counter++;
    out.append(reinterpret_cast<const char*>(&v), 4);
    uint16_t small = static_cast<uint16_t>(r.next() % 300);
    out.append(reinterpret_cast<const char*>(&small), 2);
    out.append(kOps[r.next() % 4], 5);
    if (r.next() % 8 == 0) out.append(8, '\0');
  }
  out.resize(n);
}

void randomChunk(Rng& r, std::string& out, size_t n) {
  while (out.size() < n) {
    uint32_t v = r.next();
    out.append(reinterpret_cast<const char*>(&v), 4);
  }
  out.resize(n);
}

// Writes files chunk by chunk so the corpus never sits in memory.
std::vector<std::string> buildCorpus(const fs::path& dir) {
  fs::create_directories(dir);
  std::vector<std::string> names;
  Rng r{2026};
  uint32_t counter = 0;
  const size_t kChunk = 1 << 20;
  auto make = [&](const std::string& name, size_t size, int kind) {
    std::ofstream f(dir / name, std::ios::binary);
    for (size_t done = 0; done < size; done += kChunk) {
      std::string chunk;
      size_t n = std::min(kChunk, size - done);
      if (kind == 0) textChunk(r, chunk, n);
      if (kind == 1) binaryChunk(r, chunk, n, counter);
      if (kind == 2) randomChunk(r, chunk, n);
      f.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
    names.push_back(name);
  };
  const size_t MiB = 1 << 20;
  for (int i = 0; i < 6; ++i) make("text" + std::to_string(i) + ".txt", (1 + i) * MiB + 12345 * i, 0);
  for (int i = 0; i < 4; ++i) make("prog" + std::to_string(i) + ".bin", (2 + i) * MiB + 777 * i, 1);
  make("noise.dat", 6 * MiB, 2);
  make("log.txt", 4 * MiB, 0);
  return names;
}

// Best of `runs` timings: wall clock and CPU time (user + system) of this
// process and its children, so a busy machine does not blur the ratios.
struct Timing {
  double wall = 1e9, cpu = 1e9;
};

// CPU seconds of this process and its waited-for children, from
// /proc/self/stat (utime, stime, cutime, cstime: fields 14-17, in the
// kernel's fixed 100 ticks per second).
double cpuNow() {
  std::ifstream f("/proc/self/stat");
  std::string line;
  std::getline(f, line);
  std::istringstream rest(line.substr(line.rfind(')') + 2));
  std::string field;
  double ticks = 0;
  for (int i = 3; i <= 17 && rest >> field; ++i)
    if (i >= 14) ticks += std::stod(field);
  return ticks / 100.0;
}

// Peak resident memory of this process (VmHWM), in MB.
double peakMemoryMb() {
  std::ifstream f("/proc/self/status");
  for (std::string line; std::getline(f, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return -1;
}

Timing timed(const std::function<void()>& f, int runs = 2) {
  Timing best;
  for (int i = 0; i < runs; ++i) {
    double c0 = cpuNow();
    auto t0 = std::chrono::steady_clock::now();
    f();
    best.wall = std::min(best.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    best.cpu = std::min(best.cpu, cpuNow() - c0);
  }
  return best;
}

void report(const char* what, Timing o, const char* theirs, Timing t, const char* target) {
  std::printf("%-8s ours %.3f s wall / %.3f s cpu; %s %.3f s wall / %.3f s cpu -> %.2fx wall, %.2fx cpu (%s)\n",
              what, o.wall, o.cpu, theirs, t.wall, t.cpu, t.wall / o.wall, t.cpu / o.cpu, target);
}

void sh(const std::string& cmd) {
  if (std::system((cmd + " >/dev/null 2>&1").c_str()) != 0) torvex::bench::failRun(cmd);
}

void check(int level, const std::string& what) {
  if (level != 0) torvex::bench::failRun("ExecArj " + what + ": level " + std::to_string(level));
}

uint64_t dirSize(const fs::path& d) {
  uint64_t n = 0;
  for (auto& e : fs::recursive_directory_iterator(d))
    if (e.is_regular_file()) n += e.file_size();
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  torvex::bench::takeNoArguments(argc, argv);
  const torvex::bench::BenchDirectory directory;  // drive C:
  const fs::path& root = directory.path();
  const fs::path corpus = root / "corpus";
  auto names = buildCorpus(corpus);
  const double input = static_cast<double>(dirSize(corpus));
  std::printf("corpus: %zu files, %.1f MiB\n", names.size(), input / (1 << 20));

  // Writing: arj puts every file in one archive; the component makes one
  // archive per file, so ours does that.
  Timing arjA = timed([&] {
    fs::remove(root / "arj.arj");
    sh("cd '" + corpus.string() + "' && arj a -m1 -y ../arj.arj '*'");
  });
  Timing oursA = timed([&] {
    fs::remove_all(root / "ours");
    fs::create_directories(root / "ours");
    for (auto& n : names)
      check(ExecArj(("a \"C:/ours/" + n + ".ARJ\" \"C:/corpus/" + n + "\"").c_str(), 0), "a " + n);
  });
  double arjSize = static_cast<double>(fs::file_size(root / "arj.arj"));
  double oursSize = static_cast<double>(dirSize(root / "ours"));

  auto fresh = [&](const char* d) {
    fs::remove_all(root / d);
    fs::create_directories(root / d);
  };
  Timing arjE = timed([&] {
    fresh("x_arj");
    sh("cd '" + (root / "x_arj").string() + "' && arj e -y ../arj.arj");
  });
  Timing sevenX = timed([&] {
    fresh("x_7zz");
    sh("7zz x -y -o'" + (root / "x_7zz").string() + "' '" + (root / "arj.arj").string() + "'");
  });
  Timing oursE = timed([&] {
    fresh("x_ours");
    check(ExecArj("e \"C:/arj.arj\" \"C:/x_ours/\" -y", 0), "e");
  });
  Timing arjT = timed([&] { sh("arj t '" + (root / "arj.arj").string() + "'"); });
  Timing oursT = timed([&] { check(ExecArj("t \"C:/arj.arj\"", 0), "t"); });
  bool same = dirSize(root / "x_ours") == static_cast<uint64_t>(input);

  report("write", oursA, "arj a -m1", arjA, "target >= 2x");
  std::printf("size     ours %.3f of input, arj %.3f -> ours/arj %.4f (target <= 1.01)\n", oursSize / input,
              arjSize / input, oursSize / arjSize);
  report("extract", oursE, "arj e", arjE, "target >= 2x");
  report("extract", oursE, "7zz x", sevenX, "target > 1x");
  report("test", oursT, "arj t", arjT, "target >= 2x");
  if (!same) std::printf("EXTRACTED SIZE MISMATCH\n");
  std::printf("peak memory of this process: %.1f MB (target < 8)\n", peakMemoryMb());
  return same ? 0 : 1;
}
