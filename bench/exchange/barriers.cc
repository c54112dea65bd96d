#include "bench/exchange/barriers.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <set>
#include <thread>

#include "bench/support/bench_directory.h"
#include "journal/tray_session.h"
#include "platform/platform.h"
#include "platform/scoped_platform.h"

namespace torvex::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The barrier the library made before it flushed only its own paths: one
// syncfs for each volume that holds any of them.
class VolumeSync : public ScopedPlatform {
 public:
  bool makeDurable(const std::vector<std::string>& files,
                   const std::vector<std::string>& directories) override {
    std::set<dev_t> synced;
    bool ok = true;
    for (const auto* paths : {&files, &directories}) {
      for (const std::string& p : *paths) {
        const std::string host = inner().hostPath(p.c_str());
        struct stat st;
        if (::stat(host.c_str(), &st) != 0 || !synced.insert(st.st_dev).second) continue;
        const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
        ok = fd >= 0 && ::syncfs(fd) == 0 && ok;
        if (fd >= 0) ::close(fd);
      }
    }
    return ok;
  }
};

// Another program writing heavily on the volume, as a package manager or a
// build does: a child process rewriting a file of its own, 1 MiB at a time,
// in a directory this benchmark made. It dies with the benchmark.
class HeavyWriter {
 public:
  explicit HeavyWriter(const fs::path& dir) : file_(dir / "heavy.dat") {
    fs::create_directories(dir);
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ < 0) failRun("cannot start the heavy writer");
    if (pid_ == 0) write(parent);
    std::this_thread::sleep_for(std::chrono::seconds(2));  // its dirty data builds up
  }
  ~HeavyWriter() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    fs::remove(file_);  // its unwritten data goes with it, so the next run is quiet
  }
  HeavyWriter(const HeavyWriter&) = delete;
  HeavyWriter& operator=(const HeavyWriter&) = delete;

 private:
  static constexpr size_t kBlock = 1 << 20;
  static constexpr off_t kWraps = off_t{512} << 20;  // the file's size: bounded

  [[noreturn]] void write(pid_t parent) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(0);
    const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const std::string block(kBlock, 'w');
    for (off_t at = 0; fd >= 0; at = (at + static_cast<off_t>(kBlock)) % kWraps) {
      if (::pwrite(fd, block.data(), kBlock, at) < 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));  // up to ~500 MB/s
    }
    ::_exit(1);
  }

  fs::path file_;
  pid_t pid_ = -1;
};

// A file of `bytes` bytes made at `path`, which must not exist yet.
void makeFile(const fs::path& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  const bool ok =
      fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  if (fd >= 0) ::close(fd);
  if (!ok) failRun("cannot write the floor's file " + path.string());
}

std::string readFile(const fs::path& path) {
  std::string bytes(4096, '\0');
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const ssize_t got = fd >= 0 ? ::read(fd, bytes.data(), bytes.size()) : -1;
  if (fd >= 0) ::close(fd);
  if (got < 0) failRun("cannot read the floor's file " + path.string());
  bytes.resize(static_cast<size_t>(got));
  return bytes;
}

void durable(const std::vector<std::string>& files, const std::vector<std::string>& dirs) {
  if (!platform().makeDurable(files, dirs)) failRun("the floor's barrier failed");
}

// A floor's folder area/name/sub, and how the platform names it.
struct Folder {
  fs::path host;
  std::string drive;
  Folder(const fs::path& area, const std::string& name, const std::string& sub)
      : host(area / name / sub), drive("C:/" + name + "/" + sub) {
    fs::create_directories(host);
  }
  std::string operator/(const std::string& file) const { return drive + "/" + file; }
};

// Milliseconds a file of `work(first, end)` run over n items a batch at a
// time, as the exchange calls take theirs.
template <typename Batch>
double batchedMs(int n, Batch work) {
  const int batch = static_cast<int>(batchLimits().files);
  const Clock::time_point start = Clock::now();
  for (int first = 0; first < n; first += batch) work(first, std::min(n, first + batch));
  return std::chrono::duration<double>(Clock::now() - start).count() * 1e3 / n;
}

// ms a file of making n files of 1 KiB in area/name and making them durable
// with the platform's barrier, a batch at a time.
double floorMs(const fs::path& area, const std::string& name, int n) {
  const Folder dir(area, name, "files");
  const std::string text(1024, 'f');
  return batchedMs(n, [&](int first, int end) {
    std::vector<std::string> files;
    for (int i = first; i < end; ++i) {
      makeFile(dir.host / std::to_string(i), text);
      files.push_back(dir / std::to_string(i));
    }
    durable(files, {dir.drive});
  });
}

// The file system's part of an upload of n files of 1 KiB, with nothing of
// the library's: each source read and written whole as an archive, beside a
// record, in a private folder; a batch's pairs made durable, renamed into
// the tray, that made durable, then its sources removed, durably.
double uploadFloorMs(const fs::path& area, const std::string& name, int n) {
  const Folder sources(area, name, "src"), own(area, name, "own"), tray(area, name, "tray");
  for (int i = 0; i < n; ++i) makeFile(sources.host / std::to_string(i), std::string(1000, 's'));
  const std::string record(41, 'r');
  return batchedMs(n, [&](int first, int end) {
    std::vector<std::string> made;
    for (int i = first; i < end; ++i) {
      const std::string id = std::to_string(i);
      makeFile(own.host / (id + ".ARJ"), readFile(sources.host / id));
      makeFile(own.host / (id + ".DAT"), record);
      made.insert(made.end(), {own / (id + ".ARJ"), own / (id + ".DAT")});
    }
    durable(made, {own.drive});
    for (int i = first; i < end; ++i) {
      for (const char* kind : {".DAT", ".ARJ"}) {
        const std::string file = std::to_string(i) + kind;
        fs::rename(own.host / file, tray.host / file);
      }
    }
    durable({}, {tray.drive, own.drive});
    for (int i = first; i < end; ++i) fs::remove(sources.host / std::to_string(i));
    durable({}, {sources.drive});
  });
}

// The file system's part of a pass over n received archives of 1 KiB: each
// read, and its two members (a descriptor, then the data) written beside
// it in the tray, as the pass extracts them; a batch's data made durable,
// renamed to its destination, its descriptor removed, one record appended
// to the control file, all that made durable, then the archives removed,
// durably.
double downloadFloorMs(const fs::path& area, const std::string& name, int n) {
  const Folder work(area, name, "in/work"), tray(area, name, "in"), out(area, name, "out"),
      control(area, name, "ctl");
  for (int i = 0; i < n; ++i) makeFile(work.host / std::to_string(i), std::string(1200, 'a'));
  const std::string descriptor(50, 'd'), record(64, 'r');
  const fs::path log = control.host / "ContDown.dat";
  return batchedMs(n, [&](int first, int end) {
    std::vector<std::string> made;
    for (int i = first; i < end; ++i) {
      const std::string id = std::to_string(i);
      const std::string archive = readFile(work.host / id);
      makeFile(tray.host / (id + ".FN"), descriptor);
      makeFile(tray.host / (id + ".ARQ"), archive.substr(0, 1000));
      made.push_back(tray / (id + ".ARQ"));
    }
    durable(made, {tray.drive});
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    for (int i = first; i < end; ++i) {
      const std::string id = std::to_string(i);
      fs::rename(tray.host / (id + ".ARQ"), out.host / (id + ".TXT"));
      fs::remove(tray.host / (id + ".FN"));
      if (fd < 0 || ::write(fd, record.data(), record.size()) < 0) failRun("cannot append");
    }
    ::close(fd);
    durable({control / "ContDown.dat"}, {out.drive, tray.drive, control.drive});
    for (int i = first; i < end; ++i) fs::remove(work.host / std::to_string(i));
    durable({}, {work.drive});
  });
}

struct Figures {
  double floor, upload, download, uploadFloor, downloadFloor;
};

Figures measure(const fs::path& area, const std::string& tag, int n, const ExchangeCall& upload,
                const ExchangeCall& download) {
  Figures f{};
  f.floor = floorMs(area, "floor-" + tag, n);
  f.uploadFloor = uploadFloorMs(area, "upfloor-" + tag, n);
  f.upload = upload(area, "up-" + tag, n);
  f.downloadFloor = downloadFloorMs(area, "downfloor-" + tag, n);
  f.download = download(area, "down-" + tag, n);
  return f;
}

}  // namespace

void compareBarriers(const fs::path& area, const std::vector<int>& counts,
                     const ExchangeCall& upload, const ExchangeCall& download) {
  std::printf("\nbarriers: ms a file, wall; the floor makes N files of 1 KiB durable in batches of\n"
              "%zu by the same barrier, just before the calls; \"best floor\": the lower of the two\n"
              "floors in that condition; writer: another process rewriting 512 MiB on the volume\n",
              batchLimits().files);
  std::printf("%-9s %-10s %6s %7s %7s %7s %8s %7s %8s %8s\n", "condition", "barrier", "files",
              "floor", "upload", "x floor", "download", "x floor", "x best", "x best");
  struct Effects {
    std::string condition, barrier;
    int n;
    double upFloor, upload, upBest, downFloor, download, downBest;
  };
  std::vector<Effects> effects;
  for (int n : counts) {
    for (bool writer : {false, true}) {
      const std::string condition = writer ? "writer" : "quiet";
      std::optional<HeavyWriter> busy;
      if (writer) busy.emplace(area / ("writer-" + std::to_string(n)));
      const std::string tag = condition + "-" + std::to_string(n);
      Figures volume;
      {
        VolumeSync syncfs;
        volume = measure(area, "syncfs-" + tag, n, upload, download);
      }
      const Figures own = measure(area, "own-" + tag, n, upload, download);
      const double best = std::min(volume.floor, own.floor);
      const double upBest = std::min(volume.uploadFloor, own.uploadFloor);
      const double downBest = std::min(volume.downloadFloor, own.downloadFloor);
      for (const auto& [name, f] : {std::pair{"syncfs", volume}, std::pair{"own files", own}}) {
        std::printf("%-9s %-10s %6d %7.3f %7.3f %7.2f %8.3f %7.2f %8.2f %8.2f\n",
                    condition.c_str(), name, n, f.floor, f.upload, f.upload / f.floor, f.download,
                    f.download / f.floor, f.upload / best, f.download / best);
        effects.push_back({condition, name, n, f.uploadFloor, f.upload, upBest, f.downloadFloor,
                           f.download, downBest});
      }
      std::fflush(stdout);
    }
  }
  std::printf("\nthe same calls against the file system's part of each, done bare with the same\n"
              "barrier and batches (upload: each source read, an archive and a record written\n"
              "privately, durable, both renamed into the tray, durable, the source removed,\n"
              "durable; download: each archive read and its two members written in the tray,\n"
              "the data durable, renamed to its destination, the descriptor removed, a record\n"
              "appended to the control file, durable, the archive removed, durable); \"x best\":\n"
              "over the lower of the two such floors\n");
  std::printf("%-9s %-10s %6s %8s %7s %7s %7s %8s %8s %7s %7s\n", "condition", "barrier", "files",
              "up floor", "upload", "x floor", "x best", "dl floor", "download", "x floor",
              "x best");
  for (const Effects& e : effects) {
    std::printf("%-9s %-10s %6d %8.3f %7.3f %7.2f %7.2f %8.3f %8.3f %7.2f %7.2f\n",
                e.condition.c_str(), e.barrier.c_str(), e.n, e.upFloor, e.upload,
                e.upload / e.upFloor, e.upload / e.upBest, e.downFloor, e.download,
                e.download / e.downFloor, e.download / e.downBest);
  }
}

}  // namespace torvex::bench
