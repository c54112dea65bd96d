// POSIX: the tree is a fresh directory that TORVEX_DRIVES maps as drive C:.
#include "tests/support/temp_tree.h"

#include <cstdint>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <system_error>

#include "platform/platform_posix.h"

namespace torvex::testing {
namespace fs = std::filesystem;

namespace {

// Memory-backed when the host offers room: tests rewrite the same small
// files thousands of times, and on ext4 each truncate-and-rewrite waits for
// the disk (about 2 ms), which turns such a test into minutes.
fs::path baseDirectory() {
  constexpr std::uintmax_t kEnough = std::uintmax_t{1} << 30;
  std::error_code ec;
  const fs::path shm = "/dev/shm";
  if (fs::is_directory(shm, ec) && fs::space(shm, ec).available >= kEnough && !ec) return shm;
  return fs::temp_directory_path();
}

fs::path makeUniqueDirectory() {
  const fs::path base = baseDirectory();
  std::random_device random;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    fs::path candidate = base / ("torvex-test-" + std::to_string(random()) + "-" +
                                 std::to_string(random()));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) return candidate;
  }
  throw std::runtime_error("cannot make a temporary directory");
}

}  // namespace

TempTree::TempTree() : dir_(makeUniqueDirectory()) {
  if (const char* old = std::getenv("TORVEX_DRIVES")) {
    hadPrevious_ = true;
    previous_ = old;
  }
  ::setenv("TORVEX_DRIVES", ("C=" + dir_.string()).c_str(), 1);
  reloadEnvironment();
}

TempTree::TempTree(char drive) : dir_(makeUniqueDirectory()), drive_(drive) {
  const char* old = std::getenv("TORVEX_DRIVES");
  hadPrevious_ = old != nullptr;
  if (old) previous_ = old;
  const std::string mapping = std::string(1, drive) + "=" + dir_.string();
  ::setenv("TORVEX_DRIVES", (old ? previous_ + ";" + mapping : mapping).c_str(), 1);
  reloadEnvironment();
}

void removeTree(const fs::path& folder) {
  makeWritable(folder);
  std::error_code ec;
  fs::remove_all(folder, ec);
}

TempTree::~TempTree() {
  removeDirectory();
  if (hadPrevious_) {
    ::setenv("TORVEX_DRIVES", previous_.c_str(), 1);
  } else {
    ::unsetenv("TORVEX_DRIVES");
  }
  reloadEnvironment();
}

}  // namespace torvex::testing
