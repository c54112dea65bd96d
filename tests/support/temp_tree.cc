#include "tests/support/temp_tree.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
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
    hadDrives_ = true;
    oldDrives_ = old;
  }
  ::setenv("TORVEX_DRIVES", ("C=" + dir_.string()).c_str(), 1);
  reloadEnvironment();
}

TempTree::TempTree(char drive) : dir_(makeUniqueDirectory()), drive_(drive) {
  const char* old = std::getenv("TORVEX_DRIVES");
  hadDrives_ = old != nullptr;
  if (old) oldDrives_ = old;
  const std::string mapping = std::string(1, drive) + "=" + dir_.string();
  ::setenv("TORVEX_DRIVES", (old ? oldDrives_ + ";" + mapping : mapping).c_str(), 1);
  reloadEnvironment();
}

TempTree::~TempTree() {
  std::error_code ec;
  // Leave the directory first if a test made it (or a drive in it) current.
  const fs::path cwd = fs::current_path(ec);
  if (!ec && cwd.string().rfind(dir_.string(), 0) == 0) fs::current_path(dir_.parent_path(), ec);
  // Read-only files and directories a test made must not block the clean-up.
  for (auto it = fs::recursive_directory_iterator(dir_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(dir_, ec);
  if (hadDrives_) {
    ::setenv("TORVEX_DRIVES", oldDrives_.c_str(), 1);
  } else {
    ::unsetenv("TORVEX_DRIVES");
  }
  reloadEnvironment();
}

void TempTree::write(std::string_view rel, std::string_view bytes) const {
  const fs::path p = path(rel);
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string TempTree::read(std::string_view rel) const {
  std::ifstream in(path(rel), std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempTree::exists(std::string_view rel) const {
  std::error_code ec;
  return fs::symlink_status(path(rel), ec).type() != fs::file_type::not_found && !ec;
}

void TempTree::mkdir(std::string_view rel) const { fs::create_directories(path(rel)); }

}  // namespace torvex::testing
