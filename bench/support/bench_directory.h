// The one directory a benchmark works in: made fresh for this run under the
// temporary area ($TMPDIR, else /tmp), absolute, mapped as drive C:, and
// removed when the run ends. One at a time. Benchmarks take no directory from
// their command line, so they cannot delete anything they did not make.
// A benchmark of durable work asks for a disk: the directory is then made
// under $TORVEX_BENCH_PARENT (else /var/tmp, a disk on most systems) and
// refused on a memory file system, where a sync costs nothing.
#pragma once

#include <filesystem>
#include <string>

namespace torvex::bench {

class BenchDirectory {
 public:
  enum class Medium { Any, Disk };
  // Ends the run with status 2 when the directory cannot be made.
  explicit BenchDirectory(Medium medium = Medium::Any);
  ~BenchDirectory();
  BenchDirectory(const BenchDirectory&) = delete;
  BenchDirectory& operator=(const BenchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // "ext4", "ext4 without a journal", "xfs", ...
  const std::string& fileSystem() const { return fileSystem_; }

 private:
  std::filesystem::path path_;
  std::string fileSystem_;
};

// A call under measurement failed, so no figure of the run means anything:
// prints "benchmark failed: WHAT", removes the BenchDirectory and ends
// the run with status 1.
[[noreturn]] void failRun(const std::string& what);

// Ends the run with a usage message (status 2) when it was given arguments.
void takeNoArguments(int argc, char** argv);

}  // namespace torvex::bench
