// The one directory a benchmark run works in: made fresh with mkdtemp under
// $TORVEX_BENCH_PARENT (else /var/tmp, a disk on most systems), refused on a
// memory file system where syncing costs nothing, mapped as drive C:, and
// removed, it alone, when the run ends.
#pragma once

#include <filesystem>
#include <string>

namespace torvex::bench {

class ScratchArea {
 public:
  ScratchArea();  // ends the run with status 2 when no such directory can be had
  ~ScratchArea();
  ScratchArea(const ScratchArea&) = delete;
  ScratchArea& operator=(const ScratchArea&) = delete;

  const std::filesystem::path& path() const { return path_; }
  const std::string& fileSystem() const { return fileSystem_; }

 private:
  std::filesystem::path path_;
  std::string fileSystem_;
};

}  // namespace torvex::bench
