#include "bench/support/bench_directory.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/platform.h"
#include "platform/scratch.h"

namespace torvex::bench {

namespace {

std::optional<ScratchDirectory> gLive;  // what failRun removes

void remove(const ScratchDirectory& dir) {
  if (!removeScratchDirectory(dir)) {
    std::fprintf(stderr, "benchmark: could not remove all of %s\n", dir.hostPath.c_str());
  }
}

}  // namespace

BenchDirectory::BenchDirectory() {
  ScratchDirectory dir;
  if (gLive || !createScratchDirectory('C', dir)) {
    std::fprintf(stderr, "benchmark: cannot make a fresh directory under $TMPDIR (or /tmp)\n");
    std::exit(2);
  }
  if (std::string problem = environmentProblem(); !problem.empty()) {
    std::fprintf(stderr, "benchmark: %s\n", problem.c_str());
    remove(dir);
    std::exit(2);
  }
  gLive = dir;
  path_ = dir.hostPath;
}

BenchDirectory::~BenchDirectory() {
  remove(*gLive);
  gLive.reset();
}

void failRun(const std::string& what) {
  std::fflush(stdout);
  std::fprintf(stderr, "benchmark failed: %s\n", what.c_str());
  if (gLive) remove(*gLive);
  std::exit(1);
}

void takeNoArguments(int argc, char** argv) {
  if (argc <= 1) return;
  std::fprintf(stderr,
               "usage: %s\n(it works in a fresh directory of its own under $TMPDIR, or /tmp)\n",
               argv[0]);
  std::exit(2);
}

}  // namespace torvex::bench
