// The one directory a benchmark works in: made fresh for this run under the
// temporary area ($TMPDIR, else /tmp), absolute, mapped as drive C:, and
// removed when the run ends. One at a time. Benchmarks take no directory from
// their command line, so they cannot delete anything they did not make.
#pragma once

#include <filesystem>
#include <string>

namespace torvex::bench {

class BenchDirectory {
 public:
  BenchDirectory();  // ends the run with status 2 when the directory cannot be made
  ~BenchDirectory();
  BenchDirectory(const BenchDirectory&) = delete;
  BenchDirectory& operator=(const BenchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A call under measurement failed, so no figure of the run means anything:
// prints "benchmark failed: WHAT", removes the BenchDirectory and ends
// the run with status 1.
[[noreturn]] void failRun(const std::string& what);

// Ends the run with a usage message (status 2) when it was given arguments.
void takeNoArguments(int argc, char** argv);

}  // namespace torvex::bench
