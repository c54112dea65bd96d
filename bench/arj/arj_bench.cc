// Times ExecArj against `arj` and `7zz` in the same run on corpora made at
// run time: real files every Debian system has (headers and documentation,
// a word list, executables and libraries, a source tar, taken in sorted
// order and cut to fixed sizes), random bytes from a fixed seed, packed
// files (gz, png, jpg...) followed by text, a database file of fixed-size
// pages, and a deterministic synthetic mix.
// Prints per kind and overall the size and time ratios (medians of three,
// wall and CPU) and our peak memory. Every member must come out no larger
// than arj -m1 makes it: a larger one is named and fails the run, as does
// any failed call.
// Usage: torvex_arj_bench [--short] (it works in a fresh directory under
// $TMPDIR); --short makes each corpus smaller and times one run, for CI.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include <sys/resource.h>

#include "arj/archive_reader.h"
#include "arj/archive_writer.h"
#include "arj/exec_arj.h"
#include "arj/file_streams.h"
#include "bench/support/bench_directory.h"
#include "platform/file.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kMiB = 1 << 20;
// Corpus sizes are divided by this in a short run.
uint64_t gShrink = 1;
int gRuns = 3;
void fail(const std::string& what) { torvex::bench::failRun(what); }

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

void sh(const std::string& cmd) {
  if (std::system((cmd + " >/dev/null 2>&1").c_str()) != 0) fail(cmd);
}

struct Rng {
  uint64_t s;
  uint32_t next() {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(s >> 33);
  }
};

// ---- synthetic corpus -----------------------------------------------------

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
void buildSynthetic(const fs::path& dir) {
  fs::create_directories(dir);
  Rng r{2026};
  uint32_t counter = 0;
  auto make = [&](const std::string& name, size_t size, int kind) {
    std::ofstream f(dir / name, std::ios::binary);
    for (size_t done = 0; done < size; done += kMiB) {
      std::string chunk;
      size_t n = std::min<size_t>(kMiB, size - done);
      if (kind == 0) textChunk(r, chunk, n);
      if (kind == 1) binaryChunk(r, chunk, n, counter);
      if (kind == 2) randomChunk(r, chunk, n);
      f.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    }
  };
  const uint64_t m = kMiB / gShrink;
  for (int i = 0; i < 6; ++i) make("text" + std::to_string(i) + ".txt", (1 + i) * m + 12345 * i, 0);
  for (int i = 0; i < 4; ++i) make("prog" + std::to_string(i) + ".bin", (2 + i) * m + 777 * i, 1);
  make("noise.dat", 6 * m, 2);
  make("log.txt", 4 * m, 0);
}

// ---- real corpus ------------------------------------------------------------

// Regular files under `root` (links skipped) in byte order of their paths.
std::vector<fs::path> sortedFiles(const fs::path& root, const std::function<bool(const fs::path&)>& keep) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec)) {
    if (it->is_symlink(ec) || !it->is_regular_file(ec)) continue;
    if (keep(it->path())) out.push_back(it->path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Concatenates the sources' files in order, up to each source's quota, into
// pieces of `piece` bytes named KIND00, KIND01, ...
class PieceWriter {
 public:
  PieceWriter(const fs::path& dir, std::string kind, uint64_t piece)
      : dir_(dir), kind_(std::move(kind)), piece_(piece) {
    fs::create_directories(dir_);
  }
  void take(const std::vector<fs::path>& files, uint64_t quota) {
    std::vector<char> buf(kMiB);
    uint64_t taken = 0;
    for (const fs::path& p : files) {
      std::ifstream in(p, std::ios::binary);
      while (taken < quota && in) {
        in.read(buf.data(), static_cast<std::streamsize>(std::min<uint64_t>(buf.size(), quota - taken)));
        put(buf.data(), static_cast<uint64_t>(in.gcount()));
        taken += static_cast<uint64_t>(in.gcount());
      }
      if (taken >= quota) break;
    }
  }
  void put(const char* p, uint64_t n) {
    while (n > 0) {
      if (!out_.is_open() || inPiece_ == piece_) {
        out_.close();
        char name[32];
        std::snprintf(name, sizeof name, "%s%02d", kind_.c_str(), count_++);
        out_.open(dir_ / name, std::ios::binary);
        inPiece_ = 0;
      }
      uint64_t k = std::min(n, piece_ - inPiece_);
      out_.write(p, static_cast<std::streamsize>(k));
      inPiece_ += k, p += k, n -= k;
    }
  }

 private:
  fs::path dir_;
  std::string kind_;
  uint64_t piece_, inPiece_ = 0;
  int count_ = 0;
  std::ofstream out_;
};

bool packed(const fs::path& p) {
  static const char* kPacked[] = {".gz", ".xz", ".bz2", ".zst", ".lz", ".zip", ".jar", ".png", ".jpg", ".pdf"};
  const std::string ext = p.extension().string();
  return std::any_of(std::begin(kPacked), std::end(kPacked), [&](const char* e) { return ext == e; });
}

// The system's word list or, where none is installed, one made the same
// way: the distinct words of the documentation, sorted, one a line.
void buildWords(const fs::path& dir, uint64_t size) {
  fs::create_directories(dir);
  std::ofstream out(dir / "words", std::ios::binary);
  if (fs::exists("/usr/share/dict/words")) {
    std::ifstream in("/usr/share/dict/words", std::ios::binary);
    std::vector<char> buf(size);
    in.read(buf.data(), static_cast<std::streamsize>(size));
    out.write(buf.data(), in.gcount());
    return;
  }
  std::set<std::string> words;
  uint64_t read = 0;
  for (const fs::path& p : sortedFiles("/usr/share/doc", [](const fs::path& p) { return !packed(p); })) {
    std::ifstream in(p, std::ios::binary);
    std::string w;
    for (char c; in.get(c) && read < 64 * size; ++read) {
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
        w += c;
      } else {
        if (w.size() > 1) words.insert(w);
        w.clear();
      }
    }
    if (read >= 64 * size) break;
  }
  uint64_t written = 0;
  for (const std::string& w : words) {
    if (written + w.size() + 1 > size) break;
    out << w << '\n';
    written += w.size() + 1;
  }
}

// A database file: fixed-size pages, each a header, a slot array growing
// forward and records of ledger rows growing back from the end, the space
// between them zero, as page-based stores leave it.
void buildDatabase(const fs::path& dir, uint64_t size) {
  fs::create_directories(dir);
  std::ofstream out(dir / "ledger.db", std::ios::binary);
  constexpr size_t kPage = 4096;
  static const char* kNames[] = {"ACME LTDA", "Banco do Vale", "Padaria Sol", "Transportes Norte",
                                 "Cooperativa Sul", "Mercado Central", "Oficina Rapida", "Farmacia Boa"};
  Rng r{77};
  uint32_t id = 1;
  for (uint64_t page = 0; page * kPage < size; ++page) {
    std::string p(kPage, '\0');
    size_t slotEnd = 16, recStart = kPage;
    uint16_t count = 0;
    const size_t fill = kPage - 300 - r.next() % 900;  // pages are partly full
    while (true) {
      char rec[128];
      int n = std::snprintf(rec, sizeof rec, "%c%c2026-%02u-%02u|%s|%u.%02u|%c", static_cast<char>(id & 0xFF),
                            static_cast<char>((id >> 8) & 0xFF), 1 + r.next() % 12, 1 + r.next() % 28,
                            kNames[r.next() % 8], r.next() % 100000, r.next() % 100, "CDP"[r.next() % 3]);
      if (recStart - static_cast<size_t>(n) < slotEnd + 2 || kPage - recStart + slotEnd > fill) break;
      recStart -= static_cast<size_t>(n);
      std::memcpy(&p[recStart], rec, static_cast<size_t>(n));
      const uint16_t at = static_cast<uint16_t>(recStart);
      std::memcpy(&p[slotEnd], &at, 2);
      slotEnd += 2, ++count, ++id;
    }
    const uint32_t number = static_cast<uint32_t>(page);
    std::memcpy(&p[0], &number, 4);
    p[4] = 13;  // page type: table leaf
    std::memcpy(&p[6], &count, 2);
    const uint16_t free = static_cast<uint16_t>(recStart);
    std::memcpy(&p[8], &free, 2);
    out.write(p.data(), static_cast<std::streamsize>(kPage));
  }
}

// Packed files first (what makes a member start incompressible), then text.
void buildMixed(const fs::path& dir, uint64_t size) {
  PieceWriter w(dir, "mixed", size);
  w.take(sortedFiles("/usr/share", [](const fs::path& p) { return packed(p); }), size / 2);
  w.take(sortedFiles("/usr/share/doc", [](const fs::path& p) { return !packed(p); }), size / 4);
  w.take(sortedFiles("/usr/share", [](const fs::path& p) { return packed(p); }), size / 4 + size / 8);
}

// One source tar of the headers and the scripts every system has.
void buildSourceTar(const fs::path& dir, uint64_t size) {
  fs::create_directories(dir);
  sh("tar --sort=name -cf - -C /usr include share/perl5 lib/python3 2>/dev/null | head -c " +
     std::to_string(size) + " > " + quoted(dir / "source.tar") + "; test -s " + quoted(dir / "source.tar"));
}

void buildReal(const fs::path& corpus) {
  auto all = [](const fs::path&) { return true; };
  const uint64_t m = kMiB / gShrink;
  {
    PieceWriter w(corpus / "text", "text", 2 * m);
    w.take(sortedFiles("/usr/include", all), 14 * m);
    w.take(sortedFiles("/usr/share/doc", [](const fs::path& p) { return !packed(p); }), 6 * m);
  }
  buildWords(corpus / "words", 4 * m);
  buildSourceTar(corpus / "srctar", 40 * m);
  {
    PieceWriter w(corpus / "exec", "exec", 2 * m);
    w.take(sortedFiles("/usr/bin", all), 12 * m);
    w.take(sortedFiles("/usr/lib", [](const fs::path& p) {
             return p.filename().string().find(".so") != std::string::npos;
           }), 8 * m);
  }
  buildDatabase(corpus / "database", 24 * m);
  buildMixed(corpus / "mixed", 12 * m);
  {
    PieceWriter w(corpus / "random", "random", 5 * m);
    Rng r{1605};
    std::string chunk;
    for (int i = 0; i < 5; ++i) {
      chunk.clear();
      randomChunk(r, chunk, m);
      w.put(chunk.data(), chunk.size());
    }
  }
}

// ---- measuring --------------------------------------------------------------

// CPU seconds (user + system) of this process and its waited-for children.
double cpuNow() {
  double t = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage u{};
    ::getrusage(who, &u);
    t += static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  }
  return t;
}

// Peak resident memory of this process (VmHWM), in MB.
double peakMemoryMb() {
  std::ifstream f("/proc/self/status");
  for (std::string line; std::getline(f, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return -1;
}

struct Timing {
  double wall = 0, cpu = 0;
  Timing& operator+=(const Timing& o) {
    wall += o.wall, cpu += o.cpu;
    return *this;
  }
};

double median3(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Medians of three runs; `prepare` runs untimed before each.
Timing timed(const std::function<void()>& prepare, const std::function<void()>& f) {
  std::vector<double> walls, cpus;
  for (int i = 0; i < gRuns; ++i) {
    prepare();
    double c0 = cpuNow();
    auto t0 = std::chrono::steady_clock::now();
    f();
    walls.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    cpus.push_back(cpuNow() - c0);
  }
  return {median3(walls), median3(cpus)};
}


void execArj(const std::string& line) {
  if (int level = ExecArj(line.c_str(), 0); level != 0) fail("ExecArj " + line + ": level " + std::to_string(level));
}

std::vector<std::string> namesIn(const fs::path& d) {
  std::vector<std::string> n;
  for (auto& e : fs::directory_iterator(d)) n.push_back(e.path().filename().string());
  std::sort(n.begin(), n.end());
  return n;
}

uint64_t dirSize(const fs::path& d) {
  uint64_t n = 0;
  for (auto& e : fs::recursive_directory_iterator(d))
    if (e.is_regular_file()) n += e.file_size();
  return n;
}

bool sameFile(const fs::path& a, const fs::path& b) {
  std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
  std::istreambuf_iterator<char> xi(x), yi(y), end;
  return std::equal(xi, end, yi, end);
}

void freshDir(const fs::path& d) {
  fs::remove_all(d);
  fs::create_directories(d);
}

// Writes one archive per file with the codec's method 4 (ExecArj writes
// method 1 only), through the same file streams ExecArj uses. `from` and
// `to` are the drive paths of the directories.
void codecArchives(const std::vector<std::string>& names, const std::string& from, const std::string& to,
                   int method) {
  for (const std::string& n : names) {
    torvex::File in((from + "/" + n).c_str(), torvex::OpenMode::Read);
    torvex::File out((to + "/" + n + ".ARJ").c_str(), torvex::OpenMode::Write);
    if (!in || !out) return fail("open " + n);
    torvex::arj::FileSource source(in);
    torvex::arj::FileSink sink(out);
    torvex::arj::ArchiveWriter w(sink);
    torvex::arj::MainHeader m;
    m.name = n + ".ARJ";
    torvex::arj::MemberHeader h;
    h.name = n;
    if (w.begin(m) != torvex::arj::Status::Ok ||
        w.addMember(h, source, method, static_cast<uint64_t>(in.size())) != torvex::arj::Status::Ok ||
        w.finish() != torvex::arj::Status::Ok || !sink.flush())
      fail("method " + std::to_string(method) + " archive of " + n);
  }
}

// Reads an archive file for its members' sizes.
class StreamSource : public torvex::arj::ByteSource {
 public:
  explicit StreamSource(const fs::path& p) : in_(p, std::ios::binary) {}
  long read(uint8_t* buf, size_t n) override {
    in_.read(reinterpret_cast<char*>(buf), static_cast<std::streamsize>(n));
    return in_.bad() ? -1 : static_cast<long>(in_.gcount());
  }

 private:
  std::ifstream in_;
};

// Compressed size of each member, by name.
std::map<std::string, uint64_t> memberSizes(const fs::path& archive) {
  StreamSource src(archive);
  torvex::arj::ArchiveReader r(src);
  std::map<std::string, uint64_t> out;
  if (r.open() != torvex::arj::Status::Ok) fail("reading " + archive.string());
  torvex::arj::Status s;
  while ((s = r.next()) == torvex::arj::Status::Ok) out[r.member().name] = r.member().compressedSize;
  if (s != torvex::arj::Status::End) fail("reading " + archive.string());
  return out;
}

// Members we made larger than arj -m1 did: "kind/name ours arj" lines.
std::vector<std::string> gLarger;

struct Row {
  std::string kind;
  double mib = 0;
  double oursM1 = 0, arjM1 = 0, oursM4 = 0, arjM4 = 0;  // bytes
  Timing oursA, arjA, oursA4, arjA4, oursE, arjE, sevenX, oursT, arjT;
  Row& operator+=(const Row& o) {
    mib += o.mib, oursM1 += o.oursM1, arjM1 += o.arjM1, oursM4 += o.oursM4, arjM4 += o.arjM4;
    oursA += o.oursA, arjA += o.arjA, oursA4 += o.oursA4, arjA4 += o.arjA4, oursE += o.oursE;
    arjE += o.arjE, sevenX += o.sevenX, oursT += o.oursT, arjT += o.arjT;
    return *this;
  }
};

// Everything for one kind: `dir` holds its files; work goes under `work`.
Row measure(const std::string& kind, const fs::path& dir, const fs::path& work) {
  Row row;
  row.kind = kind;
  row.mib = static_cast<double>(dirSize(dir)) / kMiB;
  const std::vector<std::string> names = namesIn(dir);
  const fs::path w = work / kind;
  fs::create_directories(w);
  const fs::path arj1 = w / "arj1.arj", arj4 = w / "arj4.arj";
  const std::string drive = "C:/" + fs::relative(w, work.parent_path()).generic_string();

  // Writing: arj puts every file in one archive; the component makes one
  // archive per file, so ours does that.
  row.arjA = timed([&] { fs::remove(arj1); },
                   [&] { sh("cd " + quoted(dir) + " && arj a -m1 -y " + quoted(arj1) + " '*'"); });
  row.arjA4 = timed([&] { fs::remove(arj4); },
                    [&] { sh("cd " + quoted(dir) + " && arj a -m4 -y " + quoted(arj4) + " '*'"); });
  row.oursA = timed([&] { freshDir(w / "ours1"); }, [&] {
    for (const std::string& n : names)
      execArj("a \"" + drive + "/ours1/" + n + ".ARJ\" \"C:/corpus/" + kind + "/" + n + "\"");
  });
  row.oursA4 = timed([&] { freshDir(w / "ours4"); },
                     [&] { codecArchives(names, "C:/corpus/" + kind, drive + "/ours4", 4); });
  row.arjM1 = static_cast<double>(fs::file_size(arj1));
  row.arjM4 = static_cast<double>(fs::file_size(arj4));
  row.oursM1 = static_cast<double>(dirSize(w / "ours1"));
  row.oursM4 = static_cast<double>(dirSize(w / "ours4"));
  const std::map<std::string, uint64_t> theirs = memberSizes(arj1);
  for (const std::string& n : names) {
    const auto ours = memberSizes(w / "ours1" / (n + ".ARJ"));
    if (ours.size() != 1 || !theirs.count(n)) fail("members of " + kind + "/" + n);
    if (ours.begin()->second > theirs.at(n))
      gLarger.push_back(kind + "/" + n + " " + std::to_string(ours.begin()->second) + " " +
                        std::to_string(theirs.at(n)));
  }
  // Our archives must pass arj's own test.
  for (const char* sub : {"ours1", "ours4"})
    for (const std::string& a : namesIn(w / sub)) sh("arj t " + quoted(w / sub / a));

  // Reading arj's archive: extraction and test.
  row.arjE = timed([&] { freshDir(w / "x_arj"); }, [&] { sh("cd " + quoted(w / "x_arj") + " && arj e -y " + quoted(arj1)); });
  row.sevenX = timed([&] { freshDir(w / "x_7zz"); },
                     [&] { sh("7zz x -y -o" + quoted(w / "x_7zz") + " " + quoted(arj1)); });
  row.oursE = timed([&] { freshDir(w / "x_ours"); }, [&] { execArj("e \"" + drive + "/arj1.arj\" \"" + drive + "/x_ours/\" -y"); });
  row.arjT = timed([] {}, [&] { sh("arj t " + quoted(arj1)); });
  row.oursT = timed([] {}, [&] { execArj("t \"" + drive + "/arj1.arj\""); });
  for (const std::string& n : names)
    if (!sameFile(dir / n, w / "x_ours" / n)) fail("extracted " + kind + "/" + n + " differs");
  fs::remove_all(w);
  return row;
}

void printHeader() {
  std::printf("%-9s %6s | %-8s %-15s | %-8s %-15s | %-15s %-15s | %-15s\n", "kind", "MiB", "m1 size", "m1 write",
              "m4 size", "m4 write", "extract", "extract", "test");
  std::printf("%-9s %6s | %-8s %-15s | %-8s %-15s | %-15s %-15s | %-15s\n", "", "", "ours/arj", "vs arj a -m1",
              "ours/arj", "vs arj a -m4", "vs arj e", "vs 7zz x", "vs arj t");
}

// Speed-up: their time over ours, wall (CPU).
std::string speedup(const Timing& ours, const Timing& theirs) {
  char s[40];
  std::snprintf(s, sizeof s, "%.2fx (%.2fx)", theirs.wall / ours.wall, theirs.cpu / ours.cpu);
  return s;
}

void printRow(const Row& r) {
  std::printf("%-9s %6.1f | %8.4f %-15s | %8.4f %-15s | %-15s %-15s | %-15s\n", r.kind.c_str(), r.mib,
              r.oursM1 / r.arjM1, speedup(r.oursA, r.arjA).c_str(), r.oursM4 / r.arjM4,
              speedup(r.oursA4, r.arjA4).c_str(), speedup(r.oursE, r.arjE).c_str(),
              speedup(r.oursE, r.sevenX).c_str(), speedup(r.oursT, r.arjT).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--short") {
    gShrink = 8;
    gRuns = 1;
  } else {
    torvex::bench::takeNoArguments(argc, argv);
  }
  const torvex::bench::BenchDirectory root;  // drive C:
  const fs::path corpus = root.path() / "corpus", work = root.path() / "work";
  buildReal(corpus);
  buildSynthetic(corpus / "synthetic");

  std::printf("Ratios: size ours/arj (<= 1 is smaller); times arj-or-7zz/ours, wall (CPU), %s.\n",
              gRuns == 1 ? "one run" : "medians of 3");
  printHeader();
  Row real, text;
  real.kind = "real";
  text.kind = "all text";
  for (const char* kind : {"text", "words", "srctar", "exec", "database", "mixed", "random"}) {
    Row r = measure(kind, corpus / kind, work);
    printRow(r);
    real += r;
    if (std::strcmp(kind, "text") == 0 || std::strcmp(kind, "words") == 0 || std::strcmp(kind, "srctar") == 0)
      text += r;
  }
  printRow(real);
  printRow(text);
  printRow(measure("synthetic", corpus / "synthetic", work));
  std::printf("targets: every member's m1 size <= arj's (checked), m1 write >= 2x, extract > 1x 7zz x;"
              " moonshot: all text m1 size <= 0.98\n");
  std::printf("peak memory of this process: %.1f MB\n", peakMemoryMb());
  if (!gLarger.empty()) {
    for (const std::string& l : gLarger) std::printf("LARGER than arj -m1 (member ours arj): %s\n", l.c_str());
    fail(std::to_string(gLarger.size()) + " member(s) larger than arj -m1 makes them");
  }
  return 0;
}
