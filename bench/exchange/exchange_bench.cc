// One call packing N files of about 1 KiB (geraArquivoUpload) and one pass
// delivering N received archives of about 1 KiB (disponibilizaArquivos), on
// a disk, durable as the library always is; beside them, in the same run,
// the arj program: one `arj a` process per file, and one `arj e` process
// plus a rename per archive (these do not sync). Prints wall and processor
// time per file and the peer's time over ours: per-file time must stay flat
// as N grows, and the ratio is the speed-up over the peer.
//
// Prints each call's peak memory too: it must not grow with N.
// Usage: torvex_exchange_bench [N...]   (default 1000 10000)
// The peer runs on the first min(N, 1000) items of each size. Exits 1 when
// a call fails or leaves the trays other than it should, 2 on bad usage.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <exception>
#include <string>
#include <vector>

#include "arj/exec_arj.h"
#include "bench/support/bench_directory.h"
#include "download/disponibiliza_arquivos.h"
#include "trays/bandejas.h"
#include "upload/gera_arquivo_upload.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using torvex::bench::failRun;

constexpr int kPeerSample = 1000;
constexpr int kMaxItems = 1000000;

// Processor seconds of this process and of its waited-for children.
double cpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return s(u.ru_utime) + s(u.ru_stime);
}

// Peak resident memory of this process since the last resetPeakMemory(),
// in MB; -1 where the system does not say.
double peakMemoryMb() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  double kb = -1;
  while (std::fgets(line, sizeof line, f)) {
    if (std::sscanf(line, "VmHWM: %lf", &kb) == 1) break;
  }
  std::fclose(f);
  return kb < 0 ? -1 : kb / 1024;
}

// Lets the next peakMemoryMb() see only what comes after (Linux 4.0 on).
void resetPeakMemory() {
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

// Per-item wall and processor milliseconds of what runs in `work`, and the
// peak memory while it ran (ours only: the peer's are other processes).
struct Cost {
  double wall = 0, cpu = 0, peakMb = -1;
};

template <typename Work>
Cost measure(int items, int who, Work work) {
  if (who == RUSAGE_SELF) resetPeakMemory();
  const double cpu = cpuSeconds(who);
  const Clock::time_point start = Clock::now();
  work();
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  return {wall * 1e3 / items, (cpuSeconds(who) - cpu) * 1e3 / items,
          who == RUSAGE_SELF ? peakMemoryMb() : -1};
}

size_t countEntries(const fs::path& dir, const std::string& extension = {}) {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    n += extension.empty() || e.path().extension() == extension;
  }
  return n;
}

void write(const fs::path& p, const std::string& bytes) {
  std::FILE* f = std::fopen(p.c_str(), "wb");
  const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f && std::fclose(f) != 0) failRun("cannot write " + p.string());
  if (!ok) failRun("cannot write " + p.string());
}

// About 1 KiB of report text, different for each item.
std::string payload(int i) {
  std::string text;
  for (int line = 0; text.size() < 1000; ++line) {
    text += "item " + std::to_string(i) + " line " + std::to_string(line) +
            " of a report to exchange\r\n";
  }
  return text;
}

// Runs `args` as one process with no shell, its output discarded.
void spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (rc != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    failRun("the peer failed: " + args[0] + " " + args[1] + " " + args[3]);
  }
}

fs::path fresh(const fs::path& dir) {
  fs::create_directories(dir);
  return dir;
}

struct Row {
  int n;
  Cost ours, peer;
};

Row upload(const fs::path& area, int n) {
  const std::string name = "up" + std::to_string(n);
  const fs::path base = fresh(area / name);
  const std::string root = "C:/" + name + "/T";
  if (torvex::criaInfraEstrutura(root.c_str()) != 0) failRun("criaInfraEstrutura failed");
  const fs::path sources = fresh(base / "src");
  for (int i = 0; i < n; ++i) write(sources / ("arq" + std::to_string(i) + ".txt"), payload(i));

  const std::string fi = "C:/" + name + "/src/*.txt";
  long result = -1;
  Row row{n, measure(n, RUSAGE_SELF,
                     [&] { result = torvex::geraArquivoUpload(root.c_str(), fi.c_str(), "", 1); }),
          {}};
  const fs::path work = base / "T/OUTTRAY/WORK";
  if (result != 0 || countEntries(work, ".ARJ") != static_cast<size_t>(n) ||
      countEntries(work, ".DAT") != static_cast<size_t>(n) || countEntries(sources) != 0) {
    failRun("geraArquivoUpload of " + std::to_string(n) + " files: result " +
                    std::to_string(result) + ", " + std::to_string(countEntries(work, ".ARJ")) +
                    " archives, " + std::to_string(countEntries(sources)) + " sources left");
  }

  const int sample = std::min(n, kPeerSample);
  const fs::path peerSources = fresh(base / "peer-src"), peerOut = fresh(base / "peer-out");
  for (int i = 0; i < sample; ++i) {
    write(peerSources / ("arq" + std::to_string(i) + ".txt"), payload(i));
  }
  row.peer = measure(sample, RUSAGE_CHILDREN, [&] {
    for (int i = 0; i < sample; ++i) {
      const std::string file = "arq" + std::to_string(i) + ".txt";
      spawn({"arj", "a", "-y", (peerOut / (file + ".arj")).string(), (peerSources / file).string()});
    }
  });
  return row;
}

// The name of the i-th received archive, without extension: "D" and five
// characters, as a pass looks for them. Base 36, so that one pass can take
// more than 99,999 archives.
std::string archiveId(int i) {
  std::string id = "D00000";
  for (size_t at = id.size() - 1; i > 0 && at > 0; --at, i /= 36) {
    id[at] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[i % 36];
  }
  return id;
}

// `n` received archives in `intray`, each a destination descriptor and a
// payload for a new file C:/<name>/OUT/Dxxxxx.TXT.
void receive(const fs::path& base, const std::string& name, const fs::path& intray, int n) {
  const fs::path stage = fresh(base / "stage");
  for (int i = 1; i <= n; ++i) {
    const std::string id = archiveId(i);
    write(stage / (id + ".FN"),
          "C:/" + name + "/OUT/" + id + ".TXT\r\nABCDEF.GH+202612061504+\r\nM\r\n");
    write(stage / (id + ".ARQ"), payload(i));
    for (const char* part : {".FN", ".ARQ"}) {
      const std::string line = "a \"" + (intray / (id + ".ARJ")).string() + "\" \"" +
                               (stage / (id + part)).string() + "\"";
      if (ExecArj(line.c_str(), 0) != 0) failRun("cannot build " + line);
    }
  }
  // The staged parts stay until the run ends: deleting thousands of files
  // just before a measurement would charge it for them (a file system
  // without a journal passes over inodes freed in the last minute each time
  // it makes a file).
}

Row download(const fs::path& area, int n) {
  const std::string name = "down" + std::to_string(n);
  const fs::path base = fresh(area / name);
  const std::string root = "C:/" + name + "/T";
  if (torvex::criaInfraEstrutura(root.c_str()) != 0) failRun("criaInfraEstrutura failed");
  const fs::path intray = base / "T/INTRAY/WORK", out = fresh(base / "OUT");
  receive(base, name, intray, n);

  long result = -1;
  Row row{n, measure(n, RUSAGE_SELF, [&] { result = torvex::disponibilizaArquivos(root.c_str()); }),
          {}};
  if (result != 0 || countEntries(intray) != 0 || countEntries(out) != static_cast<size_t>(n)) {
    failRun("disponibilizaArquivos of " + std::to_string(n) + " archives: result " +
                    std::to_string(result) + ", " + std::to_string(countEntries(intray)) +
                    " archives left, " + std::to_string(countEntries(out)) + " delivered");
  }

  const int sample = std::min(n, kPeerSample);
  const fs::path peerIn = fresh(base / "peer-in"), peerTray = fresh(base / "peer-tray"),
                 peerOut = fresh(base / "peer-out");
  receive(base, name, peerIn, sample);
  row.peer = measure(sample, RUSAGE_CHILDREN, [&] {
    for (int i = 1; i <= sample; ++i) {
      const std::string id = archiveId(i);
      spawn({"arj", "e", "-y", (peerIn / (id + ".ARJ")).string(),
             peerTray.string() + "/"});
      fs::rename(peerTray / (id + ".ARQ"), peerOut / (id + ".TXT"));
    }
  });
  return row;
}

void print(const char* what, const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    std::printf("%-8s %6d %9.3f %9.3f   %9.3f %9.3f   %7.2f %7.2f   %8.1f\n", what, r.n,
                r.ours.wall, r.ours.cpu, r.peer.wall, r.peer.cpu, r.peer.wall / r.ours.wall,
                r.peer.cpu / r.ours.cpu, r.ours.peakMb);
  }
  if (rows.size() > 1) {
    std::printf("%-8s at %d over at %d: per-file wall %.2f, processor %.2f; peak memory %.2f\n",
                what, rows.back().n, rows.front().n, rows.back().ours.wall / rows.front().ours.wall,
                rows.back().ours.cpu / rows.front().ours.cpu,
                rows.back().ours.peakMb / rows.front().ours.peakMb);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) {
    char* end = nullptr;
    const long n = std::strtol(argv[i], &end, 10);
    if (*end != '\0' || n < 1 || n > kMaxItems) {
      std::fprintf(stderr, "usage: %s [N...]   (1 <= N <= %d; default 1000 10000)\n", argv[0],
                   kMaxItems);
      return 2;
    }
    counts.push_back(static_cast<int>(n));
  }
  if (counts.empty()) counts = {1000, 10000};
  ::setenv("TORVEX_WINVER", "2.5", 1);  // direct mode: one pass takes every archive

  torvex::bench::BenchDirectory area(torvex::bench::BenchDirectory::Medium::Disk);
  std::vector<Row> up, down;
  try {
    for (int n : counts) {
      up.push_back(upload(area.path(), n));
      down.push_back(download(area.path(), n));
    }
  } catch (const std::exception& e) {  // a file system error of the setup
    failRun(e.what());
  }
  std::printf("file system: %s; ms per file; peer: arj a per file (upload), arj e + rename per\n"
              "archive (download), on up to %d items; peer/ours above 1 means we are faster\n",
              area.fileSystem().c_str(), kPeerSample);
  std::printf("%-8s %6s %9s %9s   %9s %9s   %7s %7s   %8s\n", "", "files", "wall", "CPU",
              "peer wall", "peer CPU", "wall x", "CPU x", "peak MB");
  print("upload", up);
  print("download", down);
  return 0;
}
