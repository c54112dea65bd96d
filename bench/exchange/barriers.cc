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

// ms a file of making n files of 1 KiB in dir (area/name, a drive path
// "C:/name") and making them durable with the platform's barrier, a batch
// at a time, as the exchange calls make and flush theirs.
double floorMs(const fs::path& area, const std::string& name, int n) {
  const fs::path dir = area / name;
  fs::create_directories(dir);
  const std::string text(1024, 'f');
  const size_t batch = batchLimits().files;
  std::vector<std::string> files;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < n; ++i) {
    const std::string file = "f" + std::to_string(i);
    const int fd = ::open((dir / file).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
      failRun("cannot write the floor's files in " + dir.string());
    }
    ::close(fd);
    files.push_back("C:/" + name + "/" + file);
    if (files.size() == batch || i + 1 == n) {
      if (!platform().makeDurable(files, {"C:/" + name})) failRun("the floor's barrier failed");
      files.clear();
    }
  }
  return std::chrono::duration<double>(Clock::now() - start).count() * 1e3 / n;
}

struct Figures {
  double floor, upload, download;
};

Figures measure(const fs::path& area, const std::string& tag, int n, const ExchangeCall& upload,
                const ExchangeCall& download) {
  return {floorMs(area, "floor-" + tag, n), upload(area, "up-" + tag, n),
          download(area, "down-" + tag, n)};
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
      for (const auto& [name, f] : {std::pair{"syncfs", volume}, std::pair{"own files", own}}) {
        std::printf("%-9s %-10s %6d %7.3f %7.3f %7.2f %8.3f %7.2f %8.2f %8.2f\n",
                    condition.c_str(), name, n, f.floor, f.upload, f.upload / f.floor, f.download,
                    f.download / f.floor, f.upload / best, f.download / best);
      }
      std::fflush(stdout);
    }
  }
}

}  // namespace torvex::bench
